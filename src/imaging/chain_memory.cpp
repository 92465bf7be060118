// Chain sizes from the rotation and resize settings.
#include "imaging/chain_memory.h"

#include <limits>

#include "imaging/resize.h"
#include "settings/conversion_settings.h"

namespace orvex {

ChainSizes ChainSizesFor(uint64_t width, uint64_t height, const ConversionSettings& settings) {
    ChainSizes sizes;
    sizes.loaded = {width, height};
    sizes.turning = sizes.loaded;
    sizes.rotated = sizes.loaded;
    const bool rotates = settings.DoImageRotation != 0 && settings.ImageRotation >= 1 &&
                         settings.ImageRotation <= 359 &&
                         (settings.ImageRotationType == 0 || settings.ImageRotationType == 1);
    if (rotates) {
        sizes.turning = RotatedCanvas(width, height, settings.ImageRotation);
        // A simple rotation keeps the whole canvas; an advanced one cuts the
        // loaded size out of it.
        if (settings.ImageRotationType == 0) sizes.rotated = sizes.turning;
    }
    sizes.resized = sizes.rotated;
    constexpr uint64_t kIntMax = std::numeric_limits<int>::max();
    if (sizes.rotated.width <= kIntMax && sizes.rotated.height <= kIntMax) {
        if (const auto target = ResizeTarget(static_cast<int>(sizes.rotated.width),
                                             static_cast<int>(sizes.rotated.height), settings)) {
            sizes.resized = {static_cast<uint64_t>(target->width),
                             static_cast<uint64_t>(target->height)};
        }
    }
    return sizes;
}

}  // namespace orvex
