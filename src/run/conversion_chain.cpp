// The fixed order of the chain's steps, and what happens around the save:
// the output must not replace its own input, and missing sub-folders below
// the output folder are created.
#include "run/conversion_chain.h"

#include <FreeImage.h>

#include <filesystem>
#include <system_error>

#include "formats/image_io.h"
#include "run/chain_steps.h"
#include "run/gain_map_steps.h"
#include "run/output_names.h"
#include "imaging/chain_memory.h"
#include "platform/available_memory.h"
#include "run/run_resources.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "settings/file_name_mask.h"
#include "settings/project_state.h"
#include "text/unicode_case.h"

namespace orvex {
namespace {


int WidthOf(const Bitmap& image) { return static_cast<int>(FreeImage_GetWidth(image.get())); }
int HeightOf(const Bitmap& image) { return static_cast<int>(FreeImage_GetHeight(image.get())); }

// The input's sub-folder must stay below the output folder: relative, and
// without "." or ".." parts.
bool IsPlainSubfolder(const std::string& subfolder) {
    const std::filesystem::path path(subfolder);
    if (path.is_absolute()) return false;
    for (const auto& part : path) {
        if (part == "." || part == "..") return false;
    }
    return true;
}

// Creates OutputFolder + InputSubfolder when sub-folders are kept. The output
// folder itself is never created: a missing one is the starter's error.
RunCheck PrepareOutputFolder(const ConversionSettings& settings, const FileContext& file) {
    if (settings.KeepSubfolders == 0 || file.InputSubfolder.empty()) return {};
    std::error_code error;
    if (!std::filesystem::is_directory(file.OutputFolder, error))
        return FileFailure("The output folder does not exist: " + file.OutputFolder);
    if (!IsPlainSubfolder(file.InputSubfolder))
        return FileFailure("The sub-folder leaves the output folder: " + file.InputSubfolder);
    const std::string folder = file.OutputFolder + file.InputSubfolder;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error))
        return FileFailure("Cannot create the folder " + folder);
    return {};
}

}  // namespace

const char* ChainStepName(ChainStep step) {
    for (const ChainStepRow& row : ChainStepTable()) {
        if (row.step == step) return row.name;
    }
    return "unknown";
}

Result<Bitmap> LoadChainInput(FileContext& file, const RunResources* resources) {
    std::string loadReason;
    Bitmap image =
        LoadInputImage(file.InputPath, &loadReason, resources ? resources->pixels() : nullptr);
    file.SourceBitDepth = image ? static_cast<int32_t>(FreeImage_GetBPP(image.get())) : 0;
    file.SourceWidth = image ? WidthOf(image) : 0;
    file.SourceHeight = image ? HeightOf(image) : 0;
    if (!image || WidthOf(image) == 0 || HeightOf(image) == 0)
        return FileFailure(loadReason.empty() ? "The file could not be loaded" : loadReason);
    return image;
}

namespace {

// A rotation's larger canvas or a larger resize target must fit in what is
// left, counting the loaded picture, which is already held.
RunCheck ChainFitsInMemory(const Bitmap& image, const ConversionSettings& settings) {
    const uint64_t available = AvailableMemoryBytes();
    if (available == 0) return {};  // nothing can be told: the load's own guard stands
    std::string memoryReason;
    const ChainSizes sizes = ChainSizesFor(static_cast<uint64_t>(WidthOf(image)),
                                           static_cast<uint64_t>(HeightOf(image)), settings);
    if (CheckChainMemory(sizes, available + FreeImage_GetMemorySize(image.get()), &memoryReason))
        return {};
    return FileFailure(memoryReason);
}

}  // namespace

Result<Bitmap> ProcessImage(Bitmap image, const ConversionSettings& settings, FileContext& file,
                            const RunResources* resources, const StepCheckpoint& checkpoint) {
    if (!image) return FileFailure("No picture to process");
    if (RunCheck fits = ChainFitsInMemory(image, settings); !fits.ok()) return fits;

    // The one picture alive between the steps goes from row to row; a step
    // that gives none fails the file, a stop at a checkpoint lets it go.
    StepInput input{settings, file, resources, 0, 0, {}};
    for (const ChainStepRow& row : ChainStepTable()) {
        if (!row.apply) continue;  // load, name and save happen around the picture
        if (!row.isOn || row.isOn(settings)) {
            image = row.apply(std::move(image), input);
            if (!image) {
                return FileFailure(!input.reason.empty()
                                       ? input.reason
                                       : std::string("No image after the ") + row.name + " step");
            }
        }
        if (checkpoint && !checkpoint(row.step)) return FileFailure(kStoppedReason);
    }
    file.FinalWidth = WidthOf(image);
    file.FinalHeight = HeightOf(image);
    return image;
}

namespace {

// How often a "%rnd%" name that is taken in this run is drawn again before
// the file fails; with 99,999 numbers, only a run of tens of thousands of
// files comes near.
constexpr int kNameDraws = 100;

bool MaskDrawsPerFile(const ConversionSettings& settings) {
    return ToLowerUtf8(settings.FilenameMask).find("%rnd%") != std::string::npos;
}

// Names the output (file.OutputPath), refuses to replace the input (any
// input of the run, and an output the run wrote, when `outputs` are given)
// and creates the kept sub-folder; then the name checkpoint.
RunCheck NameChainOutput(const ConversionSettings& settings, FileContext& file,
                         const StepCheckpoint& checkpoint, const RunOutputs* outputs) {
    for (int draw = 1;; ++draw) {
        const std::string name = ExpandFileNameMask(settings, file);
        if (!IsPlainFileName(name))
            return FileFailure("The file-name mask gives no plain file name: " + name);
        file.OutputPath = BuildOutputPath(settings, file);
        if (IsSameFile(file.InputPath, file.OutputPath))
            return FileFailure("The output file would replace the input file");
        const std::string refusal = outputs ? outputs->Refusal(file.OutputPath, file.InputPath) : "";
        if (refusal.empty()) break;
        if (!MaskDrawsPerFile(settings) || draw == kNameDraws) return FileFailure(refusal);
        file.RandomNumber = DrawRandomNumber();
    }
    if (RunCheck folder = PrepareOutputFolder(settings, file); !folder.ok()) return folder;
    if (checkpoint && !checkpoint(ChainStep::Name)) return FileFailure(kStoppedReason);
    return {};
}

RunCheck SaveFailed(const std::string& saveReason) {
    return FileFailure(saveReason.empty() ? "The file could not be saved" : saveReason);
}

}  // namespace

RunCheck SaveChainOutput(Bitmap image, const ConversionSettings& settings, FileContext& file,
                         const StepCheckpoint& checkpoint, RunOutputs* outputs) {
    if (!image) return FileFailure("No picture to save");
    // With a gain map the file is made in memory, then named and stored.
    if (file.GainMap)
        return SaveEncodedChainOutput(EncodeChainOutput(std::move(image), file), settings, file,
                                      checkpoint, outputs);
    if (RunCheck named = NameChainOutput(settings, file, checkpoint, outputs); !named.ok())
        return named;
    std::string saveReason;
    if (!SaveImage(image.get(), file.OutputPath, file.OutputFormatId, file.SaveFlags, &saveReason))
        return SaveFailed(saveReason);
    if (outputs) outputs->Written(file.OutputPath, file.InputPath);
    return {};
}

Result<std::string> EncodeChainOutput(Bitmap image, FileContext& file) {
    if (file.GainMap) return EncodeWithGainMap(std::move(image), file);
    std::string bytes;
    std::string reason;
    if (!EncodeImage(image.get(), file.OutputFormatId, file.SaveFlags, &bytes, &reason))
        return SaveFailed(reason);
    return bytes;
}

RunCheck SaveEncodedChainOutput(const Result<std::string>& output,
                                const ConversionSettings& settings, FileContext& file,
                                const StepCheckpoint& checkpoint, RunOutputs* outputs) {
    if (RunCheck named = NameChainOutput(settings, file, checkpoint, outputs); !named.ok())
        return named;
    if (!output.ok()) return output.fault();
    std::string saveReason;
    if (!SaveEncoded(output.value(), file.OutputPath, &saveReason)) return SaveFailed(saveReason);
    if (outputs) outputs->Written(file.OutputPath, file.InputPath);
    return {};
}

Result<Bitmap> LoadAndProcess(const ConversionSettings& settings, FileContext& file,
                              const RunResources* resources, const StepCheckpoint& checkpoint) {
    Result<Bitmap> image = LoadChainInput(file, resources);
    if (!image.ok()) return image;
    if (checkpoint && !checkpoint(ChainStep::Load)) return FileFailure(kStoppedReason);
    return ProcessImage(std::move(image.value()), settings, file, resources, checkpoint);
}

RunCheck ConvertCurrentFile(const ConversionSettings& settings, FileContext& file,
                            const RunResources* resources, const StepCheckpoint& checkpoint,
                            RunOutputs* outputs) {
    Result<Bitmap> image = LoadAndProcess(settings, file, resources, checkpoint);
    if (!image.ok()) return image.fault();
    return SaveChainOutput(std::move(image.value()), settings, file, checkpoint, outputs);
}

}  // namespace orvex
