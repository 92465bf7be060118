// The owning handle of a FreeImage bitmap. Every step of the chain takes one
// and gives one back, so a bitmap is unloaded exactly once whatever path a
// step takes. Only forward declarations here: code that includes this header
// (the desktop among it) never sees FreeImage's BOOL/TRUE/BYTE macros.
#pragma once

#include <cstddef>
#include <memory>

struct FIBITMAP;

namespace orvex {

struct BitmapDeleter {
    // Pixel memory a bitmap does not own itself (see AllocateUnclearedRgbf)
    // and that bitmap: the memory is freed after exactly that bitmap is
    // unloaded, so a handle reset or moved to another picture frees it once
    // and at the right time.
    const FIBITMAP* pixelsOf = nullptr;
    void* borrowedPixels = nullptr;
    size_t borrowedBytes = 0;

    void operator()(FIBITMAP* bitmap) noexcept;
};

using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// Takes ownership of a bitmap a FreeImage call returned (null stays null).
inline Bitmap AdoptBitmap(FIBITMAP* bitmap) { return Bitmap(bitmap); }

// A 96-bit floating-point RGB picture whose pixels are NOT cleared: the
// caller must write every one. FreeImage clears a new picture in one pass on
// one core, which for a large picture costs as much as decoding it; fresh
// pages from the system instead are first touched by whoever writes them
// (the decoder, on all cores). Null when the memory is not there. The pixels
// live as long as the handle holds this picture: never release() it.
Bitmap AllocateUnclearedRgbf(unsigned width, unsigned height);

// A 24-bit picture (blue, green, red, as FreeImage lays them out), NOT
// cleared either, rows padded to whole 32-bit words: the caller writes every
// pixel and every row's padding.
Bitmap AllocateUncleared24(unsigned width, unsigned height);

// The pixel memory of such pictures is kept for the next picture of the same
// size, so that a batch writes into pages it already has. A run that has
// handed out its last file stops keeping (memory let go from then on is freed
// at once, beside the files still being written); ReleaseKeptPixels() gives
// back what is kept and keeps again (the worker calls it when a run ends).
void StopKeepingPixels();
void ReleaseKeptPixels();
// How many bytes of pixel memory are kept at the moment.
size_t KeptPixelBytes();

}  // namespace orvex
