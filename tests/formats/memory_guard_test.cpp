// Tests of the chain's memory need and its refusal.
#include "formats/memory_guard.h"

#include <gtest/gtest.h>

#include "formats/radiance_header.h"

namespace orvex {
namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;

ChainSizes Unchanged(uint64_t width, uint64_t height) {
    const CanvasSize size{width, height};
    return {size, size, size, size};
}

TEST(RotatedCanvas, QuarterTurnsSwapOrKeepTheSidesAndOthersGrowTheBox) {
    EXPECT_EQ(RotatedCanvas(400, 300, 90).width, 300u);
    EXPECT_EQ(RotatedCanvas(400, 300, 270).height, 400u);
    EXPECT_EQ(RotatedCanvas(400, 300, 180).width, 400u);
    EXPECT_EQ(RotatedCanvas(400, 300, -90).width, 300u);
    // 45 degrees: both sides (w + h) / sqrt(2), about twice the pixels of a square.
    const CanvasSize turned = RotatedCanvas(1000, 1000, 45);
    EXPECT_NEAR(static_cast<double>(turned.width), 1415.0, 2.0);
    EXPECT_NEAR(static_cast<double>(turned.Pixels()) / 1e6, 2.0, 0.01);
}

TEST(ChainMemoryBytes, WithoutGrowthItIsTheToneMappingNeed) {
    EXPECT_EQ(ChainMemoryBytes(Unchanged(1000, 1000)), 1000ull * 1000 * kToneMapBytesPerPixel);
}

// The guard once counted only the loaded size: a rotation or a larger resize
// target made the chain need far more than was checked.
TEST(ChainMemoryBytes, MemoryGuardCountsRotationCanvasAndResizeTarget) {
    ChainSizes turned = Unchanged(10000, 10000);
    turned.turning = turned.rotated = turned.resized = RotatedCanvas(10000, 10000, 45);
    EXPECT_GT(ChainMemoryBytes(turned), 2 * ChainMemoryBytes(Unchanged(10000, 10000)) - 1000000);

    ChainSizes enlarged = Unchanged(1000, 1000);
    enlarged.resized = {8000, 6000};
    EXPECT_EQ(ChainMemoryBytes(enlarged), 8000ull * 6000 * kToneMapBytesPerPixel);

    // An advanced rotation cuts back to the loaded size but passes through
    // the large canvas: the canvas and the cut are held together.
    ChainSizes advanced = Unchanged(1000, 1000);
    advanced.turning = {3000, 3000};
    EXPECT_EQ(ChainMemoryBytes(advanced), (9000000ull + 1000000ull) * kFloatBytesPerPixel);
}

TEST(CheckChainMemory, RefusesWithTheSizesNamedAndPassesWhatFits) {
    ChainSizes sizes = Unchanged(20000, 10000);
    sizes.turning = sizes.rotated = {21214, 21214};
    sizes.resized = {30000, 30000};
    std::string reason;
    EXPECT_FALSE(CheckChainMemory(sizes, 4 * kGiB, &reason));
    EXPECT_EQ(reason,
              "a 20000 x 10000 picture turned on a 21214 x 21214 canvas and resized to "
              "30000 x 30000 needs 23 GiB of memory, but only 4.0 GiB is available");
    EXPECT_TRUE(CheckChainMemory(sizes, ChainMemoryBytes(sizes), &reason));
    EXPECT_TRUE(CheckChainMemory(sizes, 0, &reason));  // nothing known: no refusal
}

TEST(ChainMemoryBytes, HugeSizesSaturateInsteadOfWrapping) {
    const CanvasSize huge{uint64_t{1} << 40, uint64_t{1} << 40};
    EXPECT_EQ(ChainMemoryBytes({huge, huge, huge, huge}), UINT64_MAX);
    EXPECT_FALSE(CheckChainMemory({huge, huge, huge, huge}, UINT64_MAX - 1, nullptr));
}

}  // namespace
}  // namespace orvex
