// Unloading through FreeImage, kept out of the header so it stays free of
// FreeImage's own declarations.
#include "formats/bitmap.h"

#include <FreeImage.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define ORVEX_POISON(address, bytes) __asan_poison_memory_region(address, bytes)
#define ORVEX_UNPOISON(address, bytes) __asan_unpoison_memory_region(address, bytes)
#else
#define ORVEX_POISON(address, bytes) ((void)(address), (void)(bytes))
#define ORVEX_UNPOISON(address, bytes) ((void)(address), (void)(bytes))
#endif

namespace orvex {
namespace {

// FreeImage's own alignment of pixel rows, kept for SIMD loads.
constexpr uint64_t kAlignment = 64;

uint64_t RoundUp(uint64_t value, uint64_t step) { return (value + step - 1) / step * step; }

// Pixel blocks of pictures that were let go, kept for the next picture of the
// same size. Fresh memory costs a page fault and a cleared page for every
// 4 KiB the decoder writes, about a third of the time of a six-megapixel
// picture; a batch of pictures from one camera reuses the blocks instead.
// Only blocks of the size asked for last are kept (a picture of another size
// gives all of them back first), never more than kMostKept, and
// ReleaseKeptPixels() gives them back when a run ends.
class KeptPixels {
public:
    static KeptPixels& Instance() {
        static KeptPixels kept;
        return kept;
    }

    void* Take(size_t bytes) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (bytes == m_blockBytes && !m_blocks.empty()) {
                void* block = m_blocks.back();
                m_blocks.pop_back();
                ORVEX_UNPOISON(block, bytes);
                return block;
            }
            ReleaseLocked();
            m_blockBytes = bytes;
        }
        return std::aligned_alloc(kAlignment, bytes);
    }

    void Give(void* block, size_t bytes) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (bytes != m_blockBytes || m_blocks.size() >= kMostKept || bytes < kSmallestKept) {
            std::free(block);
            return;
        }
        ORVEX_POISON(block, bytes);  // a picture's stale pointer shows up in the sanitizer build
        m_blocks.push_back(block);
    }

    void Release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        ReleaseLocked();
    }

    ~KeptPixels() { Release(); }

private:
    // As many as a run converts files at once, with room to spare.
    static constexpr size_t kMostKept = 4;
    // Small pictures come from the heap's own free lists anyway.
    static constexpr size_t kSmallestKept = 1u << 20;

    void ReleaseLocked() {
        for (void* block : m_blocks) {
            ORVEX_UNPOISON(block, m_blockBytes);
            std::free(block);
        }
        m_blocks.clear();
    }

    std::mutex m_mutex;
    size_t m_blockBytes = 0;
    std::vector<void*> m_blocks;
};

}  // namespace

void ReleaseKeptPixels() { KeptPixels::Instance().Release(); }

void BitmapDeleter::operator()(FIBITMAP* bitmap) noexcept {
    if (!bitmap) return;
    FreeImage_Unload(bitmap);
    if (bitmap == pixelsOf) {
        KeptPixels::Instance().Give(borrowedPixels, borrowedBytes);
        pixelsOf = nullptr;
        borrowedPixels = nullptr;
        borrowedBytes = 0;
    }
}

Bitmap AllocateUnclearedRgbf(unsigned width, unsigned height) {
    constexpr unsigned kPixelBytes = sizeof(FIRGBF);
    if (width == 0 || height == 0 || width > static_cast<unsigned>(std::numeric_limits<int>::max()) ||
        height > static_cast<unsigned>(std::numeric_limits<int>::max())) {
        return nullptr;
    }
    // FreeImage's own row length for the type: whole 32-bit words.
    const uint64_t pitch = uint64_t{width} * kPixelBytes;
    if (pitch > static_cast<uint64_t>(std::numeric_limits<int>::max())) return nullptr;
    const uint64_t bytes = pitch * height;
    if (bytes > std::numeric_limits<size_t>::max()) return nullptr;

    // Plain heap memory (a kept block of the same size when there is one): a
    // new large block comes straight from the system as fresh pages, and the
    // leak checker watches it like any other.
    const size_t blockBytes = static_cast<size_t>(RoundUp(bytes, kAlignment));
    void* pixels = KeptPixels::Instance().Take(blockBytes);
    if (!pixels) return nullptr;
    // A header around memory it does not own: FreeImage_Unload leaves the
    // pixels alone, the deleter frees them.
    FIBITMAP* bitmap = FreeImage_ConvertFromRawBitsEx(
        FALSE, static_cast<BYTE*>(pixels), FIT_RGBF, static_cast<int>(width),
        static_cast<int>(height), static_cast<int>(pitch), 8 * kPixelBytes, 0, 0, 0, FALSE);
    if (!bitmap) {
        KeptPixels::Instance().Give(pixels, blockBytes);
        return nullptr;
    }
    return Bitmap(bitmap, BitmapDeleter{bitmap, pixels, blockBytes});
}

}  // namespace orvex
