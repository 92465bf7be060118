// What a picture needs in memory on its way through the chain, before any
// pixel is allocated, and the refusal when it will not fit.
#pragma once

#include <cstdint>
#include <string>

namespace orvex {

// Bytes a pixel takes in the floating-point picture the reader gives.
inline constexpr uint64_t kFloatBytesPerPixel = 12;

struct CanvasSize {
    uint64_t width = 0;
    uint64_t height = 0;
    uint64_t Pixels() const {
        return height != 0 && width > UINT64_MAX / height ? UINT64_MAX : width * height;
    }
};

// The canvas a width x height picture turned by `degrees` counter-clockwise
// needs to hold all of it (the picture's own size at 0, 90, 180 and 270).
CanvasSize RotatedCanvas(uint64_t width, uint64_t height, int degrees);

// The sizes a picture takes before tone mapping: as loaded, the largest
// canvas a rotation makes on its way (as loaded when not rotated), after the
// rotation (an advanced one keeps the loaded size) and after resizing.
struct ChainSizes {
    CanvasSize loaded;
    CanvasSize turning;
    CanvasSize rotated;
    CanvasSize resized;
};

// The most memory the chain holds at once for these sizes: each step keeps
// its source and its result, and tone mapping needs its working copies.
uint64_t ChainMemoryBytes(const ChainSizes& sizes);

// False with a reason naming the sizes when the chain needs more than
// `availableBytes`; availableBytes 0 (nothing known) lets everything pass.
bool CheckChainMemory(const ChainSizes& sizes, uint64_t availableBytes, std::string* reason);

// "3 MiB", "2.5 GiB": a byte count for a message.
std::string MemoryText(uint64_t bytes);

}  // namespace orvex
