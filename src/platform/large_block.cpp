#include "platform/large_block.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace orvex {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kSmallAlignment = 64;
// Below this the block is mostly one or two huge pages' worth and the heap's
// own memory serves as well.
constexpr size_t kSmallestHuge = 4 * kHugePage;

size_t RoundUp(size_t value, size_t step) { return (value + step - 1) / step * step; }

}  // namespace

void* AllocateLargeBlock(size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (bytes > SIZE_MAX - kHugePage) return nullptr;
    const size_t rounded = RoundUp(bytes, kSmallAlignment);
    // posix_memalign rather than aligned_alloc: the block's size need not be
    // a multiple of its alignment.
    void* block = nullptr;
    if (rounded < kSmallestHuge)
        return ::posix_memalign(&block, kSmallAlignment, rounded) == 0 ? block : nullptr;
    if (::posix_memalign(&block, kHugePage, rounded) != 0) return nullptr;
    // Only the whole huge pages: a huge page over the block's last part would
    // make up to 2 MiB resident that the block never uses. Only advice, too:
    // without transparent huge pages the call fails and the block works as it
    // is.
    (void)::madvise(block, rounded / kHugePage * kHugePage, MADV_HUGEPAGE);
    return block;
}

void FreeLargeBlock(void* block) noexcept { std::free(block); }

void ReleaseLargeBlockPages(void* block, size_t blockBytes, size_t from, size_t to) noexcept {
    if (block == nullptr || RoundUp(blockBytes, kSmallAlignment) < kSmallestHuge) return;
    to = std::min(to, blockBytes);
    if (from >= to) return;
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<uintptr_t>(block) + from;
    const auto end = reinterpret_cast<uintptr_t>(block) + to;
    const uintptr_t first = (start + page - 1) / page * page;
    const uintptr_t last = end / page * page;
    if (first < last) (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

}  // namespace orvex
