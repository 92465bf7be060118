// Blocks for whole pictures: aligned for SIMD rows, on huge-page boundaries
// when large, usable to their last byte, and refused rather than wrapped
// when the size cannot be had.
#include "platform/large_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace orvex {
namespace {

TEST(LargeBlock, SmallAndLargeBlocksAreAlignedAndWhole) {
    for (size_t bytes : {size_t{0}, size_t{1}, size_t{100}, size_t{3} << 20,
                         (size_t{8} << 20) + 12345, size_t{40} << 20}) {
        SCOPED_TRACE(bytes);
        LargeBuffer block = AllocateLargeBuffer(bytes);
        ASSERT_NE(block, nullptr);
        const auto address = reinterpret_cast<uintptr_t>(block.get());
        EXPECT_EQ(address % 64, 0u);
        if (bytes >= (size_t{8} << 20)) {
            EXPECT_EQ(address % (size_t{2} << 20), 0u);
        }
        if (bytes > 0) {
            std::memset(block.get(), 0xA5, bytes);
            EXPECT_EQ(block[bytes - 1], 0xA5);
        }
    }
}

TEST(LargeBlock, SizesThatCannotBeHadAreRefused) {
    EXPECT_EQ(AllocateLargeBlock(SIZE_MAX), nullptr);
    EXPECT_EQ(AllocateLargeBlock(SIZE_MAX - 100), nullptr);
    FreeLargeBlock(nullptr);
}

}  // namespace
}  // namespace orvex
