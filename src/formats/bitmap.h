// The owning handle of a FreeImage bitmap. Every step of the chain takes one
// and gives one back, so a bitmap is unloaded exactly once whatever path a
// step takes. Only forward declarations here: code that includes this header
// (the desktop among it) never sees FreeImage's BOOL/TRUE/BYTE macros.
#pragma once

#include <cstddef>
#include <memory>

struct FIBITMAP;

namespace orvex {

class PixelPool;

struct BitmapDeleter {
    // Pixel memory a bitmap does not own itself (see AllocateUnclearedRgbf)
    // and that bitmap: the memory is freed after exactly that bitmap is
    // unloaded, so a handle reset or moved to another picture frees it once
    // and at the right time.
    const FIBITMAP* pixelsOf = nullptr;
    void* borrowedPixels = nullptr;
    size_t borrowedBytes = 0;
    // Where the memory goes back to; null frees it at once.
    std::shared_ptr<PixelPool> pool;

    void operator()(FIBITMAP* bitmap) noexcept;
};

using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// Takes ownership of a bitmap a FreeImage call returned (null stays null).
inline Bitmap AdoptBitmap(FIBITMAP* bitmap) { return Bitmap(bitmap); }

// The pixel memory of one run's pictures, kept when a picture is let go for
// the next picture of the same size, so that a batch writes into pages it
// already has. Each run has its own: two runs in one process never take from
// or stop each other's pool. Shared by the pictures made from it, so it lives
// as long as the last of them.
class PixelPool {
public:
    PixelPool();
    ~PixelPool();
    PixelPool(const PixelPool&) = delete;
    PixelPool& operator=(const PixelPool&) = delete;

    // The run has handed out its last file: memory let go from now on is
    // freed at once, beside the files still being written.
    void StopKeeping();
    // Gives back what is kept and keeps again.
    void Release();
    // How many bytes of pixel memory are kept at the moment.
    size_t KeptBytes() const;

    // A block of `bytes` (a kept one of that size when there is one), or
    // null; and its return.
    void* Take(size_t bytes);
    void Give(void* block, size_t bytes);

private:
    struct Kept;
    struct State;
    std::unique_ptr<State> m_state;
};

// A 96-bit floating-point RGB picture whose pixels are NOT cleared: the
// caller must write every one. FreeImage clears a new picture in one pass on
// one core, which for a large picture costs as much as decoding it; fresh
// pages from the system instead are first touched by whoever writes them
// (the decoder, on all cores). Null when the memory is not there. The pixels
// live as long as the handle holds this picture: never release() it. With a
// pool the memory comes from it and goes back to it.
Bitmap AllocateUnclearedRgbf(unsigned width, unsigned height,
                             const std::shared_ptr<PixelPool>& pool = nullptr);

// A 24-bit picture (blue, green, red, as FreeImage lays them out), NOT
// cleared either, rows padded to whole 32-bit words: the caller writes every
// pixel and every row's padding.
Bitmap AllocateUncleared24(unsigned width, unsigned height,
                           const std::shared_ptr<PixelPool>& pool = nullptr);

}  // namespace orvex
