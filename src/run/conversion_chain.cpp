// The fixed order of the chain's steps, and what happens around the save:
// the output must not replace its own input, and missing sub-folders below
// the output folder are created.
#include "run/conversion_chain.h"

#include <FreeImage.h>

#include <filesystem>
#include <system_error>

#include "formats/image_io.h"
#include "run/chain_steps.h"
#include "imaging/chain_memory.h"
#include "platform/available_memory.h"
#include "run/run_resources.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "settings/file_name_mask.h"

namespace orvex {
namespace {

bool Fail(std::string* failureReason, const std::string& reason) {
    if (failureReason) *failureReason = reason;
    return false;
}

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
bool PrepareOutputFolder(const ConversionSettings& settings, const FileContext& file,
                         std::string* failureReason) {
    if (settings.KeepSubfolders == 0 || file.InputSubfolder.empty()) return true;
    std::error_code error;
    if (!std::filesystem::is_directory(file.OutputFolder, error)) {
        return Fail(failureReason, "The output folder does not exist: " + file.OutputFolder);
    }
    if (!IsPlainSubfolder(file.InputSubfolder)) {
        return Fail(failureReason,
                    "The sub-folder leaves the output folder: " + file.InputSubfolder);
    }
    const std::string folder = file.OutputFolder + file.InputSubfolder;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        return Fail(failureReason, "Cannot create the folder " + folder);
    }
    return true;
}

}  // namespace

const char* ChainStepName(ChainStep step) {
    for (const ChainStepRow& row : ChainStepTable()) {
        if (row.step == step) return row.name;
    }
    return "unknown";
}

Bitmap LoadChainInput(FileContext& file, std::string* failureReason,
                      const RunResources* resources) {
    std::string loadReason;
    Bitmap image =
        LoadInputImage(file.InputPath, &loadReason, resources ? resources->pixels() : nullptr);
    file.SourceBitDepth = image ? static_cast<int32_t>(FreeImage_GetBPP(image.get())) : 0;
    if (!image || WidthOf(image) == 0 || HeightOf(image) == 0) {
        Fail(failureReason, loadReason.empty() ? "The file could not be loaded" : loadReason);
        return {};
    }
    return image;
}

namespace {

// A rotation's larger canvas or a larger resize target must fit in what is
// left, counting the loaded picture, which is already held.
bool ChainFitsInMemory(const Bitmap& image, const ConversionSettings& settings,
                       std::string* failureReason) {
    const uint64_t available = AvailableMemoryBytes();
    if (available == 0) return true;  // nothing can be told: the load's own guard stands
    std::string memoryReason;
    const ChainSizes sizes = ChainSizesFor(static_cast<uint64_t>(WidthOf(image)),
                                           static_cast<uint64_t>(HeightOf(image)), settings);
    if (CheckChainMemory(sizes, available + FreeImage_GetMemorySize(image.get()), &memoryReason))
        return true;
    return Fail(failureReason, memoryReason);
}

}  // namespace

Bitmap ProcessImage(Bitmap image, const ConversionSettings& settings, FileContext& file,
                    const RunResources* resources, const StepCheckpoint& checkpoint,
                    std::string* failureReason) {
    if (!image) {
        Fail(failureReason, "No picture to process");
        return {};
    }
    if (!ChainFitsInMemory(image, settings, failureReason)) return {};

    // The one picture alive between the steps goes from row to row; a step
    // that gives none fails the file, a stop at a checkpoint lets it go.
    StepInput input{settings, file, resources, 0, 0, {}};
    for (const ChainStepRow& row : ChainStepTable()) {
        if (!row.apply) continue;  // load, name and save happen around the picture
        if (!row.isOn || row.isOn(settings)) {
            image = row.apply(std::move(image), input);
            if (!image) {
                Fail(failureReason, !input.reason.empty()
                                        ? input.reason
                                        : std::string("No image after the ") + row.name + " step");
                return {};
            }
        }
        if (checkpoint && !checkpoint(row.step)) {
            Fail(failureReason, kStoppedReason);
            return {};
        }
    }
    return image;
}

namespace {

// Names the output (file.OutputPath), refuses to replace the input and
// creates the kept sub-folder; then the name checkpoint.
bool NameChainOutput(const ConversionSettings& settings, FileContext& file,
                     const StepCheckpoint& checkpoint, std::string* failureReason) {
    const std::string name = ExpandFileNameMask(settings, file);
    if (!IsPlainFileName(name)) {
        return Fail(failureReason, "The file-name mask gives no plain file name: " + name);
    }
    file.OutputPath = BuildOutputPath(settings, file);
    if (IsSameFile(file.InputPath, file.OutputPath)) {
        return Fail(failureReason, "The output file would replace the input file");
    }
    if (!PrepareOutputFolder(settings, file, failureReason)) return false;
    if (checkpoint && !checkpoint(ChainStep::Name)) return Fail(failureReason, kStoppedReason);
    return true;
}

bool SaveFailed(std::string* failureReason, const std::string& saveReason) {
    return Fail(failureReason, saveReason.empty() ? "The file could not be saved" : saveReason);
}

}  // namespace

bool SaveChainOutput(Bitmap image, const ConversionSettings& settings, FileContext& file,
                     const StepCheckpoint& checkpoint, std::string* failureReason) {
    if (!image) return Fail(failureReason, "No picture to save");
    if (!NameChainOutput(settings, file, checkpoint, failureReason)) return false;
    std::string saveReason;
    if (!SaveImage(image.get(), file.OutputPath, file.OutputFormatId, file.SaveFlags,
                   &saveReason)) {
        return SaveFailed(failureReason, saveReason);
    }
    return true;
}

EncodedOutput EncodeChainOutput(Bitmap image, const FileContext& file) {
    EncodedOutput output;
    output.written = EncodeImage(image.get(), file.OutputFormatId, file.SaveFlags, &output.bytes,
                                 &output.reason);
    return output;
}

bool SaveEncodedChainOutput(const EncodedOutput& output, const ConversionSettings& settings,
                            FileContext& file, const StepCheckpoint& checkpoint,
                            std::string* failureReason) {
    if (!NameChainOutput(settings, file, checkpoint, failureReason)) return false;
    if (!output.written) return SaveFailed(failureReason, output.reason);
    std::string saveReason;
    if (!SaveEncoded(output.bytes, file.OutputPath, &saveReason)) {
        return SaveFailed(failureReason, saveReason);
    }
    return true;
}

Bitmap LoadAndProcess(const ConversionSettings& settings, FileContext& file,
                      const RunResources* resources, const StepCheckpoint& checkpoint,
                      std::string* failureReason) {
    Bitmap image = LoadChainInput(file, failureReason, resources);
    if (!image) return {};
    if (checkpoint && !checkpoint(ChainStep::Load)) {
        Fail(failureReason, kStoppedReason);
        return {};
    }
    return ProcessImage(std::move(image), settings, file, resources, checkpoint, failureReason);
}

bool ConvertCurrentFile(const ConversionSettings& settings, FileContext& file,
                        const RunResources* resources, const StepCheckpoint& checkpoint,
                        std::string* failureReason) {
    Bitmap image = LoadAndProcess(settings, file, resources, checkpoint, failureReason);
    if (!image) return false;
    return SaveChainOutput(std::move(image), settings, file, checkpoint, failureReason);
}

}  // namespace orvex
