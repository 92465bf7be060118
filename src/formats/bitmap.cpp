// Unloading through FreeImage, kept out of the header so it stays free of
// FreeImage's own declarations.
#include "formats/bitmap.h"

#include <FreeImage.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <mutex>
#include <vector>

#include "platform/large_block.h"

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

// Blocks are kept for the sizes asked for lately (a file asks for two: its
// decoded picture and its tone-mapped one), never more than kMostKept of one
// size. Fresh memory costs a page fault and a cleared page for every page
// the decoder writes (with 4 KiB pages about a third of the time of a
// six-megapixel picture, less with huge pages); a batch of pictures from one
// camera reuses the blocks instead.
//
// As many as a run converts files at once, with room to spare.
constexpr size_t kMostKept = 4;
// Small pictures come from the heap's own free lists anyway.
constexpr size_t kSmallestKept = 1u << 20;

}  // namespace

struct PixelPool::Kept {
    size_t bytes = 0;
    void* block = nullptr;
};

struct PixelPool::State {
    std::mutex mutex;
    std::array<size_t, 2> askedFor{};
    std::vector<Kept> blocks;
    bool keeping = true;

    static void FreeAll(std::vector<Kept>& blocks) {
        for (const Kept& kept : blocks) {
            ORVEX_UNPOISON(kept.block, kept.bytes);
            FreeLargeBlock(kept.block);
        }
        blocks.clear();
    }

    bool IsAskedFor(size_t bytes) const {
        return std::find(askedFor.begin(), askedFor.end(), bytes) != askedFor.end();
    }

    size_t KeptOf(size_t bytes) const {
        return static_cast<size_t>(std::count_if(
            blocks.begin(), blocks.end(), [bytes](const Kept& k) { return k.bytes == bytes; }));
    }

    // Moves `bytes` to the front of the sizes asked for lately; blocks of a
    // size that drops out are moved to `unwanted`, to be freed unlocked.
    void NoteAskedFor(size_t bytes, std::vector<Kept>& unwanted) {
        auto found = std::find(askedFor.begin(), askedFor.end(), bytes);
        if (found == askedFor.end()) found = askedFor.end() - 1;
        std::rotate(askedFor.begin(), found, found + 1);
        askedFor.front() = bytes;
        auto kept = std::stable_partition(blocks.begin(), blocks.end(),
                                          [this](const Kept& k) { return IsAskedFor(k.bytes); });
        unwanted.assign(kept, blocks.end());
        blocks.erase(kept, blocks.end());
    }
};

PixelPool::PixelPool() : m_state(std::make_unique<State>()) {}

PixelPool::~PixelPool() { Release(); }

void* PixelPool::Take(size_t bytes) {
    std::vector<Kept> unwanted;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->NoteAskedFor(bytes, unwanted);
        auto& blocks = m_state->blocks;
        for (auto kept = blocks.rbegin(); kept != blocks.rend(); ++kept) {
            if (kept->bytes != bytes) continue;
            void* block = kept->block;
            blocks.erase(std::next(kept).base());
            ORVEX_UNPOISON(block, bytes);
            State::FreeAll(unwanted);
            return block;
        }
    }
    State::FreeAll(unwanted);
    return AllocateLargeBlock(bytes);
}

void PixelPool::Give(void* block, size_t bytes) {
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        if (m_state->keeping && bytes >= kSmallestKept && m_state->IsAskedFor(bytes) &&
            m_state->KeptOf(bytes) < kMostKept) {
            // A picture's stale pointer shows up in the sanitizer build.
            ORVEX_POISON(block, bytes);
            m_state->blocks.push_back(Kept{bytes, block});
            return;
        }
    }
    FreeLargeBlock(block);
}

void PixelPool::StopKeeping() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->keeping = false;
}

void PixelPool::Release() {
    std::vector<Kept> blocks;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        blocks.swap(m_state->blocks);
        m_state->askedFor.fill(0);
        m_state->keeping = true;
    }
    State::FreeAll(blocks);
}

size_t PixelPool::KeptBytes() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    size_t total = 0;
    for (const Kept& kept : m_state->blocks) total += kept.bytes;
    return total;
}

namespace {

// A header around pixel memory FreeImage does not own: FreeImage_Unload
// leaves the pixels alone, the deleter gives them back to the pool.
Bitmap AllocateUncleared(const std::shared_ptr<PixelPool>& pool, FREE_IMAGE_TYPE type,
                         unsigned bitsPerPixel, unsigned width, unsigned height, unsigned redMask,
                         unsigned greenMask, unsigned blueMask) {
    if (width == 0 || height == 0 ||
        width > static_cast<unsigned>(std::numeric_limits<int>::max()) ||
        height > static_cast<unsigned>(std::numeric_limits<int>::max())) {
        return nullptr;
    }
    // FreeImage's own row length: whole 32-bit words.
    const uint64_t pitch = RoundUp(uint64_t{width} * bitsPerPixel, 32) / 8;
    if (pitch > static_cast<uint64_t>(std::numeric_limits<int>::max())) return nullptr;
    const uint64_t bytes = pitch * height;
    if (bytes > std::numeric_limits<size_t>::max()) return nullptr;

    // A kept block of the same size when there is one, else a fresh large
    // block on huge pages where the kernel has them; heap memory either way,
    // so the leak checker watches it like any other.
    const size_t blockBytes = static_cast<size_t>(RoundUp(bytes, kAlignment));
    void* pixels = pool ? pool->Take(blockBytes) : AllocateLargeBlock(blockBytes);
    if (!pixels) return nullptr;
    FIBITMAP* bitmap = FreeImage_ConvertFromRawBitsEx(
        FALSE, static_cast<BYTE*>(pixels), type, static_cast<int>(width), static_cast<int>(height),
        static_cast<int>(pitch), bitsPerPixel, redMask, greenMask, blueMask, FALSE);
    if (!bitmap) {
        if (pool) {
            pool->Give(pixels, blockBytes);
        } else {
            FreeLargeBlock(pixels);
        }
        return nullptr;
    }
    return Bitmap(bitmap, BitmapDeleter{bitmap, pixels, blockBytes, pool});
}

}  // namespace

void BitmapDeleter::operator()(FIBITMAP* bitmap) noexcept {
    if (!bitmap) return;
    FreeImage_Unload(bitmap);
    if (bitmap == pixelsOf) {
        if (pool) {
            pool->Give(borrowedPixels, borrowedBytes);
        } else {
            FreeLargeBlock(borrowedPixels);
        }
        pixelsOf = nullptr;
        borrowedPixels = nullptr;
        borrowedBytes = 0;
        pool.reset();
    }
}

Bitmap AllocateUnclearedRgbf(unsigned width, unsigned height,
                             const std::shared_ptr<PixelPool>& pool) {
    return AllocateUncleared(pool, FIT_RGBF, 8 * sizeof(FIRGBF), width, height, 0, 0, 0);
}

Bitmap AllocateUncleared24(unsigned width, unsigned height,
                           const std::shared_ptr<PixelPool>& pool) {
    return AllocateUncleared(pool, FIT_BITMAP, 24, width, height, FI_RGBA_RED_MASK,
                             FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
}

}  // namespace orvex
