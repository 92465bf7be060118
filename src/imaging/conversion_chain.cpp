// The fixed order of the chain's steps, and what happens around the save:
// the output must not replace its own input, and missing sub-folders below
// the output folder are created.
#include "imaging/conversion_chain.h"

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
#include "imaging/solid_frame.h"
#include "imaging/threshold.h"
#include "imaging/tone_map.h"
#include "imaging/watermark.h"
#include "platform/available_memory.h"
#include "settings/conversion_settings.h"
#include "settings/file_name_mask.h"
#include "settings/project_state.h"

namespace orvex {
namespace {

// Owns the one bitmap alive between steps; unloads it when the chain ends
// early.
class ChainImage {
public:
    explicit ChainImage(FIBITMAP* image) : m_image(image) {}
    ~ChainImage() { FreeImage_Unload(m_image); }
    ChainImage(const ChainImage&) = delete;
    ChainImage& operator=(const ChainImage&) = delete;

    FIBITMAP* get() const { return m_image; }
    // A step consumed the bitmap and handed back its replacement.
    void reset(FIBITMAP* replacement) { m_image = replacement; }
    FIBITMAP* release() {
        FIBITMAP* image = m_image;
        m_image = nullptr;
        return image;
    }
    int width() const { return m_image ? static_cast<int>(FreeImage_GetWidth(m_image)) : 0; }
    int height() const { return m_image ? static_cast<int>(FreeImage_GetHeight(m_image)) : 0; }

private:
    FIBITMAP* m_image;
};

bool Fail(std::string* failureReason, const std::string& reason) {
    if (failureReason) *failureReason = reason;
    return false;
}

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
bool PrepareOutputFolder(const ConversionSettings& settings, const ProjectState& project,
                         std::string* failureReason) {
    if (settings.KeepSubfolders == 0 || project.InputSubfolder.empty()) return true;
    std::error_code error;
    if (!std::filesystem::is_directory(project.OutputFolder, error)) {
        return Fail(failureReason, "The output folder does not exist: " + project.OutputFolder);
    }
    if (!IsPlainSubfolder(project.InputSubfolder)) {
        return Fail(failureReason,
                    "The sub-folder leaves the output folder: " + project.InputSubfolder);
    }
    const std::string folder = project.OutputFolder + project.InputSubfolder;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        return Fail(failureReason, "Cannot create the folder " + folder);
    }
    return true;
}

}  // namespace

bool ConvertCurrentFile(const ConversionSettings& settings, ProjectState& project,
                        const WatermarkFont* font, const std::function<void()>& checkpoint,
                        std::string* failureReason) {
    auto pause = [&checkpoint] {
        if (checkpoint) checkpoint();
    };
    // A step that hands back no image fails the file; nothing is written.
    auto lost = [failureReason](const char* step) {
        return Fail(failureReason, std::string("No image after the ") + step + " step");
    };

    // 1-2: load; a failed load or a zero dimension fails the file.
    std::string loadReason;
    ChainImage image(LoadInputImage(project.InputPath, &loadReason));
    project.SourceBitDepth = image.get() ? static_cast<int32_t>(FreeImage_GetBPP(image.get())) : 0;
    if (!image.get() || image.width() == 0 || image.height() == 0) {
        return Fail(failureReason,
                    loadReason.empty() ? "The file could not be loaded" : loadReason);
    }
    // A rotation's larger canvas or a larger resize target must fit in what
    // is left, counting the loaded picture, which is already held.
    if (const uint64_t available = AvailableMemoryBytes(); available != 0) {
        std::string memoryReason;
        const ChainSizes sizes = ChainSizesFor(static_cast<uint64_t>(image.width()),
                                               static_cast<uint64_t>(image.height()), settings);
        if (!CheckChainMemory(sizes, available + FreeImage_GetMemorySize(image.get()),
                              &memoryReason)) {
            return Fail(failureReason, memoryReason);
        }
    }
    pause();

    // 3-4: geometry; the size after resizing is the one every later step
    // and the placeholders use.
    image.reset(RotateImage(image.get(), settings));
    if (!image.get()) return lost("rotation");
    pause();
    image.reset(ResizeImage(image.get(), image.width(), image.height(), settings));
    if (!image.get()) return lost("resize");
    const int width = image.width();
    const int height = image.height();
    pause();

    // 5-6: down to a standard bitmap.
    image.reset(NormalisePixelType(image.get()));
    if (!image.get()) return lost("pixel type");
    pause();
    image.reset(ToneMapImage(image.get()));
    if (!image.get()) return lost("tone mapping");
    pause();

    // 7-11: flip and colours.
    FlipImage(image.get(), settings);
    pause();
    image.reset(AdjustColours(image.get(), settings));
    if (!image.get()) return lost("colour correction");
    pause();
    image.reset(MakeGreyscale(image.get(), settings));
    if (!image.get()) return lost("greyscale");
    pause();
    image.reset(ApplyThreshold(image.get(), settings));
    if (!image.get()) return lost("threshold");
    pause();
    image.reset(ApplyDither(image.get(), settings));
    if (!image.get()) return lost("dither");
    pause();

    // 12-14: frame and watermark, placed by the size after resizing.
    image.reset(DrawSolidFrame(image.get(), width, height, settings));
    if (!image.get()) return lost("frame");
    project.CurrentWidth = width;
    project.CurrentHeight = height;
    project.CurrentFrame = 1;
    pause();
    std::string watermarkReason;
    image.reset(DrawWatermark(image.get(), width, height, settings, project, font,
                              &watermarkReason));
    if (!image.get()) {
        return watermarkReason.empty() ? lost("watermark") : Fail(failureReason, watermarkReason);
    }
    pause();

    // 15-16: output depth, then the name (which may show the depth).
    image.reset(ApplyOutputBitDepth(image.get(), project));
    if (!image.get()) {
        return Fail(failureReason,
                    "No image at the output depth " + std::to_string(project.OutputBitDepth));
    }
    project.OutputPath = BuildOutputPath(settings, project);
    if (IsSameFile(project.InputPath, project.OutputPath)) {
        return Fail(failureReason, "The output file would replace the input file");
    }
    if (!PrepareOutputFolder(settings, project, failureReason)) return false;
    pause();

    // 17-18: the save unloads the image whatever its outcome.
    std::string saveReason;
    if (!SaveImage(image.release(), project.OutputPath, project.OutputFormatId, project.SaveFlags,
                   &saveReason)) {
        return Fail(failureReason, saveReason.empty() ? "The file could not be saved" : saveReason);
    }
    return true;
}

}  // namespace orvex
