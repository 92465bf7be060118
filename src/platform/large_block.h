// Memory for whole pictures and whole files read at once. A block of a few
// megabytes or more is aligned to 2 MiB and asks the kernel for huge pages,
// so that first writing it costs one page fault for every 2 MiB instead of
// one for every 4 KiB; on a virtual machine those faults and the clearing of
// small pages took as long as decoding a large picture. Where the kernel
// gives no huge pages the block is ordinary memory.
#pragma once

#include <cstddef>
#include <memory>

namespace orvex {

// An uninitialised block of `bytes` (at least 64-byte aligned), or nullptr
// when there is not enough memory. Give it back with FreeLargeBlock.
void* AllocateLargeBlock(size_t bytes);

void FreeLargeBlock(void* block) noexcept;

// Gives the memory of bytes [from, to) of a block of `blockBytes` back to
// the system, as far as whole pages lie inside: what they held is gone, the
// rest of the block is untouched, and the block is freed as usual. For a
// block read once from front to back, such as a file's data being decoded,
// so that its first part is not held while the last is used. Small blocks,
// which share their pages with the heap, are left alone.
void ReleaseLargeBlockPages(void* block, size_t blockBytes, size_t from, size_t to) noexcept;

struct LargeBlockDeleter {
    void operator()(unsigned char* block) const noexcept { FreeLargeBlock(block); }
};

using LargeBuffer = std::unique_ptr<unsigned char[], LargeBlockDeleter>;

inline LargeBuffer AllocateLargeBuffer(size_t bytes) {
    return LargeBuffer(static_cast<unsigned char*>(AllocateLargeBlock(bytes)));
}

}  // namespace orvex
