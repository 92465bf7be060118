// The chain's peak memory from the sizes its steps produce.
#include "formats/memory_guard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "formats/radiance_header.h"

namespace orvex {
namespace {

std::string SizeText(const CanvasSize& size) {
    return std::to_string(size.width) + " x " + std::to_string(size.height);
}

bool SameSize(const CanvasSize& a, const CanvasSize& b) {
    return a.width == b.width && a.height == b.height;
}

// Multiplies without wrapping: a product past 2^64 stays at the top.
uint64_t Times(uint64_t a, uint64_t b) {
    if (a != 0 && b > UINT64_MAX / a) return UINT64_MAX;
    return a * b;
}

uint64_t Plus(uint64_t a, uint64_t b) { return b > UINT64_MAX - a ? UINT64_MAX : a + b; }

}  // namespace

CanvasSize RotatedCanvas(uint64_t width, uint64_t height, int degrees) {
    const int turn = ((degrees % 360) + 360) % 360;
    if (turn % 180 == 0) return {width, height};
    if (turn % 90 == 0) return {height, width};
    constexpr double kPi = 3.14159265358979323846;
    const double radians = turn * kPi / 180.0;
    const double c = std::fabs(std::cos(radians));
    const double s = std::fabs(std::sin(radians));
    const double w = static_cast<double>(width);
    const double h = static_cast<double>(height);
    // One pixel more each way than the exact box, as the rotation rounds up.
    return {static_cast<uint64_t>(std::ceil(w * c + h * s)) + 1,
            static_cast<uint64_t>(std::ceil(w * s + h * c)) + 1};
}

uint64_t ChainMemoryBytes(const ChainSizes& sizes) {
    const auto floats = [](const CanvasSize& size) {
        return Times(size.Pixels(), kFloatBytesPerPixel);
    };
    // Loading and tone mapping at the size each sees.
    uint64_t peak = Times(sizes.loaded.Pixels(), kToneMapBytesPerPixel);
    peak = std::max(peak, Times(sizes.resized.Pixels(), kToneMapBytesPerPixel));
    // The rotation holds the loaded picture and its turned canvas; an
    // advanced one then cuts the result out of that canvas.
    peak = std::max(peak, Plus(floats(sizes.loaded), floats(sizes.turning)));
    peak = std::max(peak, Plus(floats(sizes.turning), floats(sizes.rotated)));
    // Resizing holds its source and its target.
    peak = std::max(peak, Plus(floats(sizes.rotated), floats(sizes.resized)));
    return peak;
}

bool CheckChainMemory(const ChainSizes& sizes, uint64_t availableBytes, std::string* reason) {
    const uint64_t needed = ChainMemoryBytes(sizes);
    if (availableBytes == 0 || needed <= availableBytes) return true;
    if (reason) {
        std::string what = "a " + SizeText(sizes.loaded) + " picture";
        if (!SameSize(sizes.turning, sizes.loaded)) {
            what += " turned on a " + SizeText(sizes.turning) + " canvas";
        }
        if (!SameSize(sizes.resized, sizes.rotated)) {
            what += " and resized to " + SizeText(sizes.resized);
        }
        *reason = what + " needs " + MemoryText(needed) + " of memory, but only " +
                  MemoryText(availableBytes) + " is available";
    }
    return false;
}

std::string MemoryText(uint64_t bytes) {
    constexpr uint64_t kMiB = uint64_t{1} << 20;
    constexpr uint64_t kGiB = uint64_t{1} << 30;
    char text[64];
    if (bytes >= 10 * kGiB) {
        std::snprintf(text, sizeof text, "%llu GiB",
                      static_cast<unsigned long long>((bytes + kGiB / 2) / kGiB));
    } else if (bytes >= kGiB) {
        std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / kGiB);
    } else {
        std::snprintf(text, sizeof text, "%llu MiB",
                      static_cast<unsigned long long>((bytes + kMiB - 1) / kMiB));
    }
    return text;
}

}  // namespace orvex
