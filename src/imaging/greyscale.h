// Chain step: conversion to an 8-bit greyscale picture.
#pragma once

#include <FreeImage.h>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;

// With DoImageGreyscale on, the picture (made 24-bit first when deeper than
// 32 bits) is replaced by its 8-bit greyscale. Returns the image to continue with.
Bitmap MakeGreyscale(Bitmap image, const ConversionSettings& settings);

}  // namespace orvex
