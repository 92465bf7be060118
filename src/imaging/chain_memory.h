// The sizes the chain's geometric steps will give a picture, worked out from
// the settings before any of them runs, for the memory guard.
#pragma once

#include <cstdint>

#include "formats/memory_guard.h"

namespace orvex {

struct ConversionSettings;

// The sizes a width x height picture takes through rotation and resizing
// under `settings` (the same rules RotateImage and ResizeImage follow).
ChainSizes ChainSizesFor(uint64_t width, uint64_t height, const ConversionSettings& settings);

}  // namespace orvex
