// Tone mapping with the Drago operator. The operator scales by the largest
// luminance of the picture, so a picture that is black throughout would
// divide zero by zero; it turns such a picture into a black one instead.
#include "imaging/tone_map.h"

#include "imaging/bitmap_step.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

// Luminance as the tone mapper computes it (the Y of CIE XYZ from linear RGB).
template <typename Channel>
bool RowHasLight(const BYTE* row, unsigned width, unsigned channelsPerPixel) {
    const Channel* pixel = reinterpret_cast<const Channel*>(row);
    for (unsigned x = 0; x < width; ++x, pixel += channelsPerPixel) {
        const float luminance = 0.2126f * static_cast<float>(pixel[0]) +
                                0.7152f * static_cast<float>(pixel[1]) +
                                0.0722f * static_cast<float>(pixel[2]);
        if (luminance > 0.0f) return true;
    }
    return false;
}

}  // namespace

bool HasPositiveLuminance(FIBITMAP* image) {
    const unsigned width = FreeImage_GetWidth(image);
    const unsigned height = FreeImage_GetHeight(image);
    // The channel structs of these types hold red, green, blue (and alpha)
    // in that order on every platform.
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(image);
    bool (*rowHasLight)(const BYTE*, unsigned, unsigned) = nullptr;
    if (type == FIT_RGBF || type == FIT_RGBAF) {
        rowHasLight = RowHasLight<float>;
    } else if (type == FIT_RGB16 || type == FIT_RGBA16) {
        rowHasLight = RowHasLight<WORD>;
    } else {
        return true;  // not a type this check knows; the operator decides
    }
    const unsigned channels = (type == FIT_RGBAF || type == FIT_RGBA16) ? 4 : 3;
    for (unsigned y = 0; y < height; ++y) {
        if (rowHasLight(FreeImage_GetScanLine(image, static_cast<int>(y)), width, channels)) {
            return true;
        }
    }
    return false;
}

DragoControls DragoControlsFor(const ConversionSettings& settings) {
    DragoControls controls;
    controls.exposure = settings.DragoExposure;
    controls.bias = settings.DragoBias;
    controls.gamma = settings.DragoGamma;
    controls.saturation = settings.DragoSaturation;
    return controls;
}

Bitmap ToneMapImage(Bitmap image, const std::shared_ptr<PixelPool>& pixels,
                    const DragoControls& controls) {
    if (!image || FreeImage_GetBPP(image.get()) <= 32) return image;
    // The mapped picture is a new one; the deep one is unloaded on return.
    return DragoToneMap(image.get(), controls, pixels);
}

}  // namespace orvex
