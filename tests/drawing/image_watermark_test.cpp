// The image watermark: transparency, opacity, the grey filter, cutting at
// the picture's edges, and files that must not give an overlay.
#include "drawing/image_watermark.h"

#include <gtest/gtest.h>

#include "drawing_test_support.h"
#include "drawing/watermark.h"
#include "drawing/watermark_placement.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "support/temp_folder.h"

namespace orvex {
namespace {

using test::PixelAt;
using test::SameColour;
using test_support::ScopedTempFolder;
using test_support::WriteFileBytes;

class ImageWatermark : public ::testing::Test {
protected:
    void SetUp() override {
        settings.DoWatermark = 2;
        settings.ImagePosition = 0;
        settings.ImageXOffset = 0;
        settings.ImageYOffset = 0;
    }
    // Stamps the logo file on a white picture.
    Bitmap Stamp(const std::string& logo, int width = 60, int height = 60) {
        settings.Image = logo;
        return DrawWatermark(test::MakeSolid24(width, height, 255, 255, 255), width, height,
                             settings, project, nullptr);
    }
    ScopedTempFolder folder{"image-watermark"};
    ConversionSettings settings;
    FileContext project;
};

// A 20 x 20 logo: an opaque red centre on transparent surroundings.
std::string WriteRedCentreLogo(const ScopedTempFolder& folder) {
    const std::string path = folder.File("centre.png");
    test::SavePicture(test::Make32(20, 20,
                                   [](int x, int y) {
                                       const bool inside = x >= 5 && x < 15 && y >= 5 && y < 15;
                                       return inside ? Rgba{255, 0, 0, 255} : Rgba{};
                                   }),
                      FIF_PNG, path);
    return path;
}

TEST_F(ImageWatermark, APngLogoKeepsItsTransparency) {
    Bitmap stamped = Stamp(WriteRedCentreLogo(folder));
    ASSERT_EQ(FreeImage_GetBPP(stamped.get()), 24u);
    EXPECT_TRUE(SameColour(PixelAt(stamped.get(), 2, 2), 255, 255, 255));
    EXPECT_TRUE(SameColour(PixelAt(stamped.get(), 10, 10), 255, 0, 0));
    EXPECT_TRUE(SameColour(PixelAt(stamped.get(), 17, 10), 255, 255, 255));
}

TEST_F(ImageWatermark, OpacityLetsThePictureShowThroughAnyLogo) {
    settings.ImageOpacity = 128;
    Bitmap png = Stamp(WriteRedCentreLogo(folder));
    EXPECT_TRUE(SameColour(PixelAt(png.get(), 10, 10), 255, 127, 127, 2));
    // A logo without alpha of its own blends the same way.
    const std::string bmp = folder.File("red.bmp");
    ASSERT_TRUE(test::SavePicture(test::MakeSolid24(8, 8, 255, 0, 0), FIF_BMP, bmp));
    Bitmap opaque = Stamp(bmp);
    EXPECT_TRUE(SameColour(PixelAt(opaque.get(), 4, 4), 255, 127, 127, 2));
}

TEST_F(ImageWatermark, GreyFilterTurnsRedIntoGrey76) {
    EXPECT_EQ(WatermarkGrey(255, 0, 0), 76);
    EXPECT_EQ(WatermarkGrey(255, 255, 255), 255);
    settings.ImageGreyscale = 1;
    const std::string jpeg = folder.File("red.jpg");
    ASSERT_TRUE(test::SavePicture(test::MakeSolid24(16, 16, 255, 0, 0), FIF_JPEG, jpeg));
    Bitmap fromJpeg = Stamp(jpeg);
    const Rgba grey = PixelAt(fromJpeg.get(), 8, 8);
    EXPECT_TRUE(SameColour(grey, grey.red, grey.red, grey.red));
    EXPECT_NEAR(grey.red, 76, 3);  // JPEG's own rounding
    Bitmap fromPng = Stamp(WriteRedCentreLogo(folder));
    EXPECT_TRUE(SameColour(PixelAt(fromPng.get(), 10, 10), 76, 76, 76));
    EXPECT_TRUE(SameColour(PixelAt(fromPng.get(), 2, 2), 255, 255, 255));
}

TEST_F(ImageWatermark, ALogoLargerThanTheAreaIsCutAtRightAndBottom) {
    const std::string path = folder.File("quarters.png");
    test::SavePicture(
        test::Make32(50, 50,
                     [](int x, int y) {
                         return x < 25 && y < 25 ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 255};
                     }),
        FIF_PNG, path);
    settings.ImagePosition = 8;
    settings.ImageXOffset = settings.ImageYOffset = 10;
    Bitmap stamped = Stamp(path, 40, 40);
    // 30 x 30 of its top-left part remain, ending 10 pixels from the edges.
    EXPECT_TRUE(SameColour(PixelAt(stamped.get(), 0, 0), 255, 0, 0));
    EXPECT_TRUE(SameColour(PixelAt(stamped.get(), 24, 24), 255, 0, 0));
    EXPECT_TRUE(SameColour(PixelAt(stamped.get(), 29, 29), 0, 0, 255));
    EXPECT_TRUE(SameColour(PixelAt(stamped.get(), 30, 30), 255, 255, 255));
}

// A watermark picture that does not decode once passed the file unmarked: it
// is refused before any work, and fails the file should it go bad meanwhile.
TEST_F(ImageWatermark, WatermarkPictureThatCannotBeDecodedIsRefusedWithItsReason) {
    // Garbage bytes with a picture's name; a PNG cut off after its header;
    // a header that claims 100000 x 100000; a format that is not offered.
    WriteFileBytes(folder.File("garbage.png"), std::string(300, 'x'));
    const std::string logo = WriteRedCentreLogo(folder);
    const std::string png = test_support::ReadFileBytes(logo);
    WriteFileBytes(folder.File("truncated.png"), png.substr(0, 50));
    std::string huge = png;
    huge.replace(16, 8, std::string("\x00\x01\x86\xa0\x00\x01\x86\xa0", 8));
    WriteFileBytes(folder.File("huge_declared_size.png"), huge);
    WriteFileBytes(folder.File("logo.xpm"),
                   "/* XPM */\nstatic char *x[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n");
    ASSERT_TRUE(test::SavePicture(AdoptBitmap(FreeImage_Allocate(kMaximumOverlaySide + 1, 1, 24)),
                                  FIF_PNG, folder.File("too_wide.png")));
    ASSERT_TRUE(test::SavePicture(test::MakeSolid24(8, 8, 255, 0, 0), FIF_TIFF,
                                  folder.File("logo.tif")));
    const Bitmap palette = AdoptBitmap(FreeImage_Allocate(8, 8, 8));
    ASSERT_TRUE(test::SavePicture(palette, FIF_GIF, folder.File("logo.gif")));
    WriteFileBytes(folder.File("notes.txt"), "just some text\n");
    for (const char* name : {"garbage.png", "truncated.png", "huge_declared_size.png", "logo.xpm",
                             "too_wide.png", "missing.png", "logo.tif", "logo.gif", "notes.txt"}) {
        settings.Image = folder.File(name);
        std::string reason;
        EXPECT_FALSE(CanDecodeWatermarkImage(settings.Image, &reason)) << name;
        EXPECT_EQ(reason.rfind("the watermark picture ", 0), 0u) << name << ": " << reason;
        reason.clear();
        EXPECT_EQ(BuildImageOverlay(settings, &reason), nullptr) << name;
        EXPECT_FALSE(reason.empty()) << name;
        reason.clear();
        EXPECT_EQ(DrawWatermark(test::MakeSolid32(30, 30, Rgba{1, 2, 3, 255}), 30, 30, settings,
                                project, nullptr, &reason),
                  nullptr)
            << name;
        EXPECT_FALSE(reason.empty()) << name;
    }
    std::string reason;
    EXPECT_TRUE(CanDecodeWatermarkImage(logo, &reason)) << reason;
    EXPECT_FALSE(CanDecodeWatermarkImage("", &reason));
}

}  // namespace
}  // namespace orvex
