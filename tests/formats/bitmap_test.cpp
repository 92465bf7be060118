// Pictures over pixel memory the bitmap does not own: FreeImage works on
// them like on its own, and the handle frees the memory exactly once (the
// sanitizer build's leak checker watches every test here).
#include "formats/bitmap.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <limits>

namespace orvex {
namespace {

TEST(UnclearedPictureTest, IsAnOrdinaryFloatPictureForFreeImage) {
    Bitmap picture = AllocateUnclearedRgbf(5, 3);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(FreeImage_GetImageType(picture.get()), FIT_RGBF);
    EXPECT_EQ(FreeImage_GetWidth(picture.get()), 5u);
    EXPECT_EQ(FreeImage_GetHeight(picture.get()), 3u);
    EXPECT_EQ(FreeImage_GetPitch(picture.get()), 5u * sizeof(FIRGBF));
    for (unsigned y = 0; y < 3; ++y) {
        auto* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(picture.get(), y));
        for (unsigned x = 0; x < 5; ++x) row[x] = FIRGBF{float(x), float(y), 0.5f};
    }
    // A copy and a conversion are FreeImage's own pictures with the same pixels.
    const Bitmap copy = AdoptBitmap(FreeImage_Clone(picture.get()));
    ASSERT_NE(copy, nullptr);
    const auto* copied = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(copy.get(), 2));
    EXPECT_EQ(copied[4].red, 4.0f);
    EXPECT_EQ(copied[4].green, 2.0f);
    const Bitmap bytes = AdoptBitmap(FreeImage_ConvertToType(picture.get(), FIT_RGBAF));
    EXPECT_NE(bytes, nullptr);
}

TEST(UnclearedPictureTest, HandlesFreeThePixelsOnceWhateverTheyAreMovedOrResetTo) {
    Bitmap first = AllocateUnclearedRgbf(64, 64);
    Bitmap moved = std::move(first);
    ASSERT_NE(moved, nullptr);
    // Reset to FreeImage's own picture: the borrowed pixels go with the old
    // one, and the new one is unloaded alone later.
    moved.reset(FreeImage_AllocateT(FIT_RGBF, 4, 4));
    EXPECT_NE(moved, nullptr);
    moved = AllocateUnclearedRgbf(8, 8);
    moved.reset();
    EXPECT_EQ(moved, nullptr);
}

TEST(UnclearedPictureTest, APictureLetGoLendsItsMemoryToTheNextOfItsSize) {
    Bitmap first = AllocateUnclearedRgbf(1024, 512);
    ASSERT_NE(first, nullptr);
    const void* pixels = FreeImage_GetBits(first.get());
    first.reset();
    Bitmap second = AllocateUnclearedRgbf(1024, 512);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(FreeImage_GetBits(second.get()), pixels);
    // Two pictures alive at once never share.
    Bitmap third = AllocateUnclearedRgbf(1024, 512);
    ASSERT_NE(third, nullptr);
    EXPECT_NE(FreeImage_GetBits(third.get()), pixels);
    // A picture of another size gets memory of its own; the kept blocks go.
    second.reset();
    Bitmap other = AllocateUnclearedRgbf(512, 1024 + 1);
    ASSERT_NE(other, nullptr);
    third.reset();
    other.reset();
    ReleaseKeptPixels();
}

TEST(UnclearedPictureTest, RefusesEmptyAndImpossibleSizes) {
    EXPECT_EQ(AllocateUnclearedRgbf(0, 10), nullptr);
    EXPECT_EQ(AllocateUnclearedRgbf(10, 0), nullptr);
    // A row longer than FreeImage can describe.
    EXPECT_EQ(AllocateUnclearedRgbf(std::numeric_limits<int>::max() / 4, 1), nullptr);
}

}  // namespace
}  // namespace orvex
