// Pictures over pixel memory the bitmap does not own: FreeImage works on
// them like on its own, and the handle frees the memory exactly once (the
// sanitizer build's leak checker watches every test here).
#include "formats/bitmap.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <limits>
#include <memory>

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

TEST(UnclearedPictureTest, APictureLetGoLendsItsMemoryToTheNextOfItsSizeInItsPool) {
    const auto pool = std::make_shared<PixelPool>();
    Bitmap first = AllocateUnclearedRgbf(1024, 512, pool);
    ASSERT_NE(first, nullptr);
    const void* pixels = FreeImage_GetBits(first.get());
    first.reset();
    Bitmap second = AllocateUnclearedRgbf(1024, 512, pool);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(FreeImage_GetBits(second.get()), pixels);
    // Two pictures alive at once never share.
    Bitmap third = AllocateUnclearedRgbf(1024, 512, pool);
    ASSERT_NE(third, nullptr);
    EXPECT_NE(FreeImage_GetBits(third.get()), pixels);
    // A picture of another size gets memory of its own.
    second.reset();
    Bitmap other = AllocateUnclearedRgbf(512, 1024 + 1, pool);
    ASSERT_NE(other, nullptr);
    third.reset();
    other.reset();
}

TEST(UnclearedPictureTest, PoolsOfTwoRunsNeverLendToEachOtherAndOutlivePicturesSafely) {
    auto mine = std::make_shared<PixelPool>();
    const auto theirs = std::make_shared<PixelPool>();
    Bitmap picture = AllocateUnclearedRgbf(1024, 512, mine);
    const void* pixels = FreeImage_GetBits(picture.get());
    picture.reset();
    EXPECT_EQ(mine->KeptBytes(), 1024u * 512 * 12);
    Bitmap other = AllocateUnclearedRgbf(1024, 512, theirs);
    EXPECT_NE(FreeImage_GetBits(other.get()), pixels);
    EXPECT_EQ(mine->KeptBytes(), 1024u * 512 * 12);
    // One run stopping its pool leaves the other's keeping as it was.
    mine->StopKeeping();
    other.reset();
    EXPECT_EQ(theirs->KeptBytes(), 1024u * 512 * 12);
    // A picture may outlive the run that owned its pool: the pool lives on
    // with it, and gives the memory back when the picture goes.
    Bitmap kept = AllocateUncleared24(2048, 1024, mine);
    mine.reset();
    ASSERT_NE(kept, nullptr);
    FreeImage_GetBits(kept.get())[0] = 1;
    kept.reset();
    // Without a pool the memory is freed at once.
    Bitmap alone = AllocateUncleared24(2048, 1024);
    EXPECT_NE(alone, nullptr);
}

TEST(UnclearedPictureTest, A24BitPictureHasFreeImagesLayoutAndWorksWithItsCalls) {
    // 7 pixels of 3 bytes: rows padded to 24 bytes, as FreeImage pads them.
    Bitmap picture = AllocateUncleared24(7, 3);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(FreeImage_GetImageType(picture.get()), FIT_BITMAP);
    EXPECT_EQ(FreeImage_GetBPP(picture.get()), 24u);
    EXPECT_EQ(FreeImage_GetPitch(picture.get()), 24u);
    EXPECT_EQ(FreeImage_GetRedMask(picture.get()), static_cast<unsigned>(FI_RGBA_RED_MASK));
    for (unsigned y = 0; y < 3; ++y) {
        BYTE* row = FreeImage_GetScanLine(picture.get(), static_cast<int>(y));
        for (unsigned i = 0; i < 24; ++i) row[i] = static_cast<BYTE>(i < 21 ? 10 * y + i : 0);
    }
    const Bitmap copy = AdoptBitmap(FreeImage_Clone(picture.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(FreeImage_GetScanLine(copy.get(), 2)[20], 40);
    const Bitmap wide = AdoptBitmap(FreeImage_ConvertTo32Bits(picture.get()));
    ASSERT_NE(wide, nullptr);
    RGBQUAD pixel{};
    ASSERT_TRUE(FreeImage_GetPixelColor(wide.get(), 6, 1, &pixel));
    EXPECT_EQ(pixel.rgbBlue, 28);
    EXPECT_EQ(pixel.rgbRed, 30);
    FIMEMORY* memory = FreeImage_OpenMemory();
    EXPECT_TRUE(FreeImage_SaveToMemory(FIF_JPEG, picture.get(), memory, JPEG_QUALITYGOOD));
    FreeImage_CloseMemory(memory);
}

TEST(UnclearedPictureTest, KeepsMemoryForBothSizesAFileAsksForInTurn) {
    const auto pool = std::make_shared<PixelPool>();
    // A file's decoded picture and its tone-mapped one, file after file.
    Bitmap decoded = AllocateUnclearedRgbf(800, 600, pool);
    Bitmap mapped = AllocateUncleared24(800, 600, pool);
    ASSERT_NE(decoded, nullptr);
    ASSERT_NE(mapped, nullptr);
    const void* decodedPixels = FreeImage_GetBits(decoded.get());
    const void* mappedPixels = FreeImage_GetBits(mapped.get());
    decoded.reset();
    mapped.reset();
    EXPECT_EQ(pool->KeptBytes(), 800u * 600 * (12 + 3));
    decoded = AllocateUnclearedRgbf(800, 600, pool);
    EXPECT_EQ(FreeImage_GetBits(decoded.get()), decodedPixels);
    mapped = AllocateUncleared24(800, 600, pool);
    EXPECT_EQ(FreeImage_GetBits(mapped.get()), mappedPixels);
    EXPECT_EQ(pool->KeptBytes(), 0u);

    // Once the last file is out, memory let go is freed, not kept; a release
    // gives back the rest and keeping starts again.
    Bitmap spare = AllocateUncleared24(800, 600, pool);
    spare.reset();
    pool->StopKeeping();
    decoded.reset();
    mapped.reset();
    EXPECT_EQ(pool->KeptBytes(), 800u * 600 * 3);
    pool->Release();
    EXPECT_EQ(pool->KeptBytes(), 0u);
    mapped = AllocateUncleared24(800, 600, pool);
    mapped.reset();
    EXPECT_EQ(pool->KeptBytes(), 800u * 600 * 3);

    // Two other sizes push the old one out.
    Bitmap other = AllocateUnclearedRgbf(640, 480, pool);
    Bitmap third = AllocateUnclearedRgbf(480, 640 + 1, pool);
    EXPECT_EQ(pool->KeptBytes(), 0u);
    other.reset();
    third.reset();
    pool->Release();
}

TEST(UnclearedPictureTest, RefusesEmptyAndImpossibleSizes) {
    EXPECT_EQ(AllocateUnclearedRgbf(0, 10), nullptr);
    EXPECT_EQ(AllocateUnclearedRgbf(10, 0), nullptr);
    // A row longer than FreeImage can describe.
    EXPECT_EQ(AllocateUnclearedRgbf(std::numeric_limits<int>::max() / 4, 1), nullptr);
    EXPECT_EQ(AllocateUncleared24(0, 1), nullptr);
    EXPECT_EQ(AllocateUncleared24(std::numeric_limits<int>::max() / 2, 1), nullptr);
}

}  // namespace
}  // namespace orvex
