// The rows of the chain: each step's name, when it acts, its work and its
// report. The work of each step is in a file of its own under imaging/ and
// drawing/; a row only adapts its call.
#include "run/chain_steps.h"

#include <FreeImage.h>

#include "drawing/solid_frame.h"
#include "drawing/watermark.h"
#include "imaging/bit_depth.h"
#include "imaging/colour_correction.h"
#include "imaging/dither.h"
#include "imaging/flip.h"
#include "imaging/greyscale.h"
#include "imaging/normalise.h"
#include "imaging/resize.h"
#include "imaging/rotate.h"
#include "imaging/threshold.h"
#include "imaging/tone_map.h"
#include "run/gain_map_steps.h"
#include "run/run_resources.h"
#include "run/sequence_statistics.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"

namespace orvex {
namespace {

using CS = ConversionSettings;

std::shared_ptr<PixelPool> PixelsOf(const StepInput& input) {
    return input.resources ? input.resources->pixels() : nullptr;
}

Bitmap Rotate(Bitmap image, StepInput& in) { return RotateImage(std::move(image), in.settings); }

// The size after resizing is the one every later step and the placeholders use.
Bitmap Resize(Bitmap image, StepInput& in) {
    const int width = static_cast<int>(FreeImage_GetWidth(image.get()));
    const int height = static_cast<int>(FreeImage_GetHeight(image.get()));
    Bitmap resized = ResizeImage(std::move(image), width, height, in.settings);
    if (!resized) return resized;
    in.width = static_cast<int>(FreeImage_GetWidth(resized.get()));
    in.height = static_cast<int>(FreeImage_GetHeight(resized.get()));
    in.file.CurrentWidth = in.width;
    in.file.CurrentHeight = in.height;
    in.file.CurrentFrame = 1;
    return resized;
}

Bitmap Normalise(Bitmap image, StepInput&) { return NormalisePixelType(std::move(image)); }

// The operator's controls from the settings; a frame of a sequence is scaled
// by the sequence's statistics rather than its own. A gain map's source is
// measured on the HDR picture first, with the statistics the mapping then
// uses.
Bitmap ToneMap(Bitmap image, StepInput& in) {
    DragoControls controls = DragoControlsFor(in.settings);
    controls.statistics = SequenceToneControls(in.file).statistics;
    if (!KeepHdrForGainMap(image.get(), in.settings, in.file, controls, &in.reason)) return {};
    return ToneMapImage(std::move(image), PixelsOf(in), controls);
}

Bitmap Flip(Bitmap image, StepInput& in) {
    FlipImage(image.get(), in.settings);
    return image;
}

Bitmap Colours(Bitmap image, StepInput& in) { return AdjustColours(std::move(image), in.settings); }

Bitmap Greyscale(Bitmap image, StepInput& in) { return MakeGreyscale(std::move(image), in.settings); }

Bitmap Threshold(Bitmap image, StepInput& in) {
    return ApplyThreshold(std::move(image), in.settings);
}

Bitmap Dither(Bitmap image, StepInput& in) { return ApplyDither(std::move(image), in.settings); }

// Placed by the size after resizing.
Bitmap DrawFrame(Bitmap image, StepInput& in) {
    return DrawSolidFrame(std::move(image), in.width, in.height, in.settings);
}
Bitmap Frame(Bitmap image, StepInput& in) { return DrawKeepingGainMap(std::move(image), in, DrawFrame); }

// A watermark that cannot be made fails the file with its own reason.
Bitmap DrawMark(Bitmap image, StepInput& in) {
    if (in.resources && !in.resources->watermarkFailure().empty()) {
        in.reason = in.resources->watermarkFailure();
        return {};
    }
    const WatermarkSources sources = in.resources ? in.resources->watermark() : WatermarkSources();
    return DrawWatermark(std::move(image), in.width, in.height, in.settings, in.file, sources,
                         &in.reason);
}

Bitmap Watermark(Bitmap image, StepInput& in) {
    return DrawKeepingGainMap(std::move(image), in, DrawMark);
}

// The name may show the depth, so it is chosen before the name.
Bitmap BitDepth(Bitmap image, StepInput& in) {
    Bitmap result = ApplyOutputBitDepth(std::move(image), in.file);
    if (!result)
        in.reason = "No image at the output depth " + std::to_string(in.file.OutputBitDepth);
    return result;
}

bool RotationOn(const CS& s) { return s.DoImageRotation != 0; }
bool FlipOn(const CS& s) { return s.DoImageFlipHorizontal != 0 || s.DoImageFlipVertical != 0; }
bool ColoursOn(const CS& s) { return s.DoImageColorCorrection != 0; }
bool GreyscaleOn(const CS& s) { return s.DoImageGreyscale != 0; }
bool ThresholdOn(const CS& s) { return s.DoImageThreshold != 0; }
bool DitherOn(const CS& s) { return s.DoImageDither != 0; }
bool FrameOn(const CS& s) { return s.DoFrame != 0; }
bool WatermarkOn(const CS& s) { return s.DoWatermark != 0; }

}  // namespace

const std::vector<ChainStepRow>& ChainStepTable() {
    using S = ChainStep;
    static const std::vector<ChainStepRow> rows{
        {S::Load, "load", nullptr, nullptr, nullptr},
        {S::Rotate, "rotation", RotationOn, Rotate, ReportRotation},
        // Always: it tells the later steps the size they place things by.
        {S::Resize, "resize", nullptr, Resize, ReportResize},
        {S::Normalise, "pixel type", nullptr, Normalise, nullptr},
        {S::ToneMap, "tone mapping", nullptr, ToneMap, ReportToneMapping},
        {S::Flip, "flip", FlipOn, Flip, ReportFlip},
        {S::ColourCorrection, "colour correction", ColoursOn, Colours, ReportColourCorrection},
        {S::Greyscale, "greyscale", GreyscaleOn, Greyscale, ReportGreyscale},
        {S::Threshold, "threshold", ThresholdOn, Threshold, ReportThreshold},
        {S::Dither, "dither", DitherOn, Dither, ReportDither},
        {S::Frame, "frame", FrameOn, Frame, ReportFrame},
        {S::Watermark, "watermark", WatermarkOn, Watermark, ReportWatermark},
        {S::BitDepth, "output depth", nullptr, BitDepth, nullptr},
        {S::Name, "naming", nullptr, nullptr, nullptr},
        {S::Save, "save", nullptr, nullptr, nullptr},
    };
    return rows;
}

}  // namespace orvex
