// Chain step: resizing to the target width and height, in pixels or percent.
#pragma once

#include <FreeImage.h>

#include <optional>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// The size a width x height picture is resampled to, or nothing when the
// settings leave it as it is (resizing off, a bad unit, a target of 0, already
// at the target, or a small picture with LARGEIMAGES).
std::optional<PixelSize> ResizeTarget(int width, int height, const ConversionSettings& settings);

// The FreeImage filter of an ImageResizeAlgorithm value (bicubic for unknown ones).
FREE_IMAGE_FILTER ResizeFilterFor(int algorithm);

// Returns the image to continue with; width and height are its current size.
Bitmap ResizeImage(Bitmap image, int width, int height, const ConversionSettings& settings);

}  // namespace orvex
