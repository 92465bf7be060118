// Resizing: the target size from the settings, then one FreeImage rescale.
#include "imaging/resize.h"

#include <cmath>

#include "imaging/bitmap_step.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

constexpr int kUnitPixels = 0;
constexpr int kUnitPercent = 1;
constexpr int kLargeImagesOnly = 1;

// One dimension's target; 0 for an unknown unit, which disables resizing.
int TargetFromSetting(int value, int unit, int current) {
    if (unit == kUnitPixels) return value;
    if (unit == kUnitPercent) {
        return static_cast<int>(std::lround(value / 100.0 * current));
    }
    return 0;
}

// The other dimension of a proportional resize: the target divided by the
// single-precision aspect ratio, rounded half away from zero, and never less
// than one pixel (a zero size would make the rescale fail).
int Proportional(int target, float ratio) {
    const long rounded = std::lround(static_cast<float>(target) / ratio);
    return rounded < 1 ? 1 : static_cast<int>(rounded);
}

}  // namespace

std::optional<PixelSize> ResizeTarget(int width, int height, const ConversionSettings& settings) {
    if (settings.DoImageResize == 0 || width <= 0 || height <= 0) return std::nullopt;
    const int targetWidth = TargetFromSetting(settings.ImageWidth, settings.ImageWidthUnit, width);
    const int targetHeight =
        TargetFromSetting(settings.ImageHeight, settings.ImageHeightUnit, height);
    if (targetWidth <= 0 || targetHeight <= 0) return std::nullopt;
    if (targetWidth == width && targetHeight == height) return std::nullopt;
    // Large images only: a picture smaller in both dimensions is kept; one
    // larger in either dimension is resized even if the other one grows.
    if (settings.ImageResizeType == kLargeImagesOnly && width < targetWidth &&
        height < targetHeight) {
        return std::nullopt;
    }

    PixelSize size{targetWidth, targetHeight};
    if (settings.KeepAspectRatio != 0) {
        // Only the target of the longer side counts.
        if (width >= height) {
            const float ratio = static_cast<float>(width) / static_cast<float>(height);
            size = {targetWidth, Proportional(targetWidth, ratio)};
        } else {
            const float ratio = static_cast<float>(height) / static_cast<float>(width);
            size = {Proportional(targetHeight, ratio), targetHeight};
        }
    }
    if (size.width == width && size.height == height) return std::nullopt;
    return size;
}

FREE_IMAGE_FILTER ResizeFilterFor(int algorithm) {
    switch (algorithm) {
        case 0:
            return FILTER_BOX;
        case 1:
            return FILTER_BILINEAR;
        case 2:
            return FILTER_BSPLINE;
        case 3:
            return FILTER_BICUBIC;
        case 4:
            return FILTER_CATMULLROM;
        case 5:
            return FILTER_LANCZOS3;
        default:
            return FILTER_BICUBIC;
    }
}

Bitmap ResizeImage(Bitmap image, int width, int height, const ConversionSettings& settings) {
    if (!image) return image;
    const std::optional<PixelSize> target = ResizeTarget(width, height, settings);
    if (!target) return image;
    const FREE_IMAGE_FILTER filter = ResizeFilterFor(settings.ImageResizeAlgorithm);
    return ReplaceBitmap(std::move(image), [&target, filter](FIBITMAP* in) {
        return FreeImage_Rescale(in, target->width, target->height, filter);
    });
}

}  // namespace orvex
