// The fixed order of the chain's steps, and what happens around the save:
// the output must not replace its own input, and missing sub-folders below
// the output folder are created.
#include "run/conversion_chain.h"

#include <FreeImage.h>

#include <filesystem>
#include <system_error>

#include "formats/image_io.h"
#include "imaging/bit_depth.h"
#include "imaging/chain_memory.h"
#include "imaging/colour_correction.h"
#include "imaging/dither.h"
#include "imaging/flip.h"
#include "imaging/greyscale.h"
#include "imaging/normalise.h"
#include "imaging/resize.h"
#include "imaging/rotate.h"
#include "drawing/solid_frame.h"
#include "imaging/threshold.h"
#include "imaging/tone_map.h"
#include "drawing/watermark.h"
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

// Runs the steps one after another on the one bitmap alive between them.
class StepRunner {
public:
    StepRunner(Bitmap image, const StepCheckpoint& checkpoint, std::string* failureReason)
        : m_image(std::move(image)), m_checkpoint(checkpoint), m_reason(failureReason) {}

    // `step` takes the bitmap and hands back its replacement; a null one
    // fails the file.
    template <typename Step>
    bool Run(ChainStep name, Step&& step) {
        if (m_failed) return false;
        m_image = step(std::move(m_image));
        if (!m_image) {
            m_failed = true;
            return Fail(m_reason, std::string("No image after the ") + ChainStepName(name) +
                                      " step");
        }
        return Passed(name);
    }

    // A step that works in place.
    template <typename Step>
    bool RunInPlace(ChainStep name, Step&& step) {
        if (m_failed) return false;
        step(m_image.get());
        return Passed(name);
    }

    bool Passed(ChainStep name) {
        if (m_checkpoint && !m_checkpoint(name)) {
            m_failed = true;
            m_image.reset();
            return Fail(m_reason, kStoppedReason);
        }
        return true;
    }

    bool failed() const { return m_failed; }
    const Bitmap& image() const { return m_image; }
    Bitmap Take() { return m_failed ? Bitmap() : std::move(m_image); }
    void Abandon(const std::string& reason) {
        m_failed = true;
        m_image.reset();
        Fail(m_reason, reason);
    }

private:
    Bitmap m_image;
    const StepCheckpoint& m_checkpoint;
    std::string* m_reason;
    bool m_failed = false;
};

}  // namespace

const char* ChainStepName(ChainStep step) {
    switch (step) {
        case ChainStep::Load: return "load";
        case ChainStep::Rotate: return "rotation";
        case ChainStep::Resize: return "resize";
        case ChainStep::Normalise: return "pixel type";
        case ChainStep::ToneMap: return "tone mapping";
        case ChainStep::Flip: return "flip";
        case ChainStep::ColourCorrection: return "colour correction";
        case ChainStep::Greyscale: return "greyscale";
        case ChainStep::Threshold: return "threshold";
        case ChainStep::Dither: return "dither";
        case ChainStep::Frame: return "frame";
        case ChainStep::Watermark: return "watermark";
        case ChainStep::BitDepth: return "output depth";
        case ChainStep::Name: return "naming";
        case ChainStep::Save: return "save";
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
    StepRunner chain(std::move(image), checkpoint, failureReason);

    // Geometry; the size after resizing is the one every later step and the
    // placeholders use.
    chain.Run(ChainStep::Rotate, [&](Bitmap in) { return RotateImage(std::move(in), settings); });
    chain.Run(ChainStep::Resize, [&](Bitmap in) {
        const int width = WidthOf(in);
        const int height = HeightOf(in);
        return ResizeImage(std::move(in), width, height, settings);
    });
    if (chain.failed()) return {};
    const int width = WidthOf(chain.image());
    const int height = HeightOf(chain.image());

    // Down to a standard bitmap.
    chain.Run(ChainStep::Normalise, [](Bitmap in) { return NormalisePixelType(std::move(in)); });
    chain.Run(ChainStep::ToneMap, [&](Bitmap in) {
        return ToneMapImage(std::move(in), resources ? resources->pixels() : nullptr);
    });

    // Flip and colours.
    chain.RunInPlace(ChainStep::Flip, [&](FIBITMAP* in) { FlipImage(in, settings); });
    chain.Run(ChainStep::ColourCorrection,
              [&](Bitmap in) { return AdjustColours(std::move(in), settings); });
    chain.Run(ChainStep::Greyscale,
              [&](Bitmap in) { return MakeGreyscale(std::move(in), settings); });
    chain.Run(ChainStep::Threshold,
              [&](Bitmap in) { return ApplyThreshold(std::move(in), settings); });
    chain.Run(ChainStep::Dither, [&](Bitmap in) { return ApplyDither(std::move(in), settings); });

    // Frame and watermark, placed by the size after resizing.
    chain.Run(ChainStep::Frame,
              [&](Bitmap in) { return DrawSolidFrame(std::move(in), width, height, settings); });
    if (chain.failed()) return {};
    file.CurrentWidth = width;
    file.CurrentHeight = height;
    file.CurrentFrame = 1;
    std::string watermarkReason;
    chain.Run(ChainStep::Watermark, [&](Bitmap in) {
        if (resources && !resources->watermarkFailure().empty()) {
            watermarkReason = resources->watermarkFailure();
            return Bitmap();
        }
        const WatermarkSources sources = resources ? resources->watermark() : WatermarkSources();
        return DrawWatermark(std::move(in), width, height, settings, file, sources,
                             &watermarkReason);
    });
    if (chain.failed()) {
        // A watermark that could not be made fails the file with its own reason.
        if (!watermarkReason.empty() && failureReason) *failureReason = watermarkReason;
        return {};
    }

    // Output depth (the name may show it, so it comes first).
    Bitmap result = ApplyOutputBitDepth(chain.Take(), file);
    if (!result) {
        Fail(failureReason, "No image at the output depth " + std::to_string(file.OutputBitDepth));
        return {};
    }
    if (checkpoint && !checkpoint(ChainStep::BitDepth)) {
        Fail(failureReason, kStoppedReason);
        return {};
    }
    return result;
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
