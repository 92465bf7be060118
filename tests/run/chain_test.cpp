// Real Radiance files through the whole chain, checked on the JPEG written,
// and a picture the steps cannot convert failing the file without a leak.
#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/bit_depth.h"
#include "imaging/colour_correction.h"
#include "run/conversion_chain.h"
#include "run/output_names.h"
#include "imaging/dither.h"
#include "imaging/greyscale.h"
#include "imaging/rotate.h"
#include "drawing/solid_frame.h"
#include "imaging/threshold.h"
#include "imaging/tone_map.h"
#include "imaging/imaging_test_support.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "support/hdr_writer.h"

namespace orvex {
namespace {

using test_support::Rgb;

// A picture with a bright red marker in its top-left corner on mid grey.
Rgb Marked(int x, int y) {
    return (x < 6 && y < 6) ? Rgb{8.0f, 0.0f, 0.0f} : Rgb{0.5f, 0.5f, 0.5f};
}

class ChainTest : public ::testing::Test {
protected:
    ChainTest() : folder("chain") { test::PrepareJpegOutput(project, folder.File("out/")); }

    // Writes an HDR input named `name` and makes it the current file.
    void Input(const std::string& name, int width, int height,
               const test_support::PixelFunction& pixel = Marked) {
        project.InputPath = folder.File(name);
        ASSERT_TRUE(test_support::WriteHdrWithFreeImage(project.InputPath, width, height, pixel));
    }

    bool Convert() {
        reason.clear();
        const RunCheck converted = ConvertCurrentFile(settings, project, nullptr);
        reason = converted.detail;
        return converted.ok();
    }

    Bitmap ReadOutput() const {
        return AdoptBitmap(FreeImage_Load(FIF_JPEG, project.OutputPath.c_str(), 0));
    }

    test_support::ScopedTempFolder folder;
    ConversionSettings settings;
    FileContext project;
    std::string reason;
};

TEST_F(ChainTest, DefaultSettingsGiveATwentyFourBitJpegOfTheSameSize) {
    Input("Sunset.HDR", 64, 48);
    ASSERT_TRUE(Convert()) << reason;
    EXPECT_EQ(project.OutputPath, project.OutputFolder + "Sunset.jpg");
    EXPECT_EQ(project.SourceBitDepth, 96);
    EXPECT_EQ(project.OutputBitDepth, 24);
    EXPECT_EQ(project.CurrentWidth, 64);
    EXPECT_EQ(project.CurrentHeight, 48);
    EXPECT_EQ(project.CurrentFrame, 1);
    Bitmap output(ReadOutput());
    ASSERT_NE(output.get(), nullptr);
    EXPECT_EQ(test::Bpp(output.get()), 24u);
    EXPECT_EQ(test::Width(output.get()), 64u);
    EXPECT_EQ(test::Height(output.get()), 48u);
    const test::Colour marker = test::ColourAt(output.get(), 2, 2);
    EXPECT_GT(marker.red, marker.green + 100);
    const test::Colour grey = test::ColourAt(output.get(), 40, 30);
    EXPECT_NEAR(grey.red, grey.green, 4);
}

TEST_F(ChainTest, AnAllBlackPictureGivesABlackJpeg) {
    Input("night.hdr", 40, 30, [](int, int) { return Rgb{0, 0, 0}; });
    ASSERT_TRUE(Convert()) << reason;
    Bitmap output(ReadOutput());
    ASSERT_NE(output.get(), nullptr);
    EXPECT_EQ(test::Width(output.get()), 40u);
    EXPECT_EQ(test::Height(output.get()), 30u);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) ASSERT_LE(test::ColourAt(output.get(), x, y).green, 2);
    }
}

TEST_F(ChainTest, EightBitJpegIsGreyscale) {
    Input("a.hdr", 32, 16);
    project.AutoBitDepth = 0;
    project.OutputBitDepth = 8;
    ASSERT_TRUE(Convert()) << reason;
    Bitmap output(ReadOutput());
    ASSERT_NE(output.get(), nullptr);
    EXPECT_EQ(test::Bpp(output.get()), 8u);
    EXPECT_EQ(FreeImage_GetColorType(output.get()), FIC_MINISBLACK);
}

TEST_F(ChainTest, QuarterTurnOfTheLoadedPictureTurnsTheCanvas) {
    Input("turn.hdr", 40, 20);
    settings.DoImageRotation = 1;
    settings.ImageRotation = 90;
    ASSERT_TRUE(Convert()) << reason;
    EXPECT_EQ(project.CurrentWidth, 20);
    EXPECT_EQ(project.CurrentHeight, 40);
    Bitmap output(ReadOutput());
    ASSERT_NE(output.get(), nullptr);
    EXPECT_EQ(test::Width(output.get()), 20u);
    const test::Colour marker = test::ColourAt(output.get(), 2, 37);  // now bottom-left
    EXPECT_GT(marker.red, marker.green + 100);
    const test::Colour topLeft = test::ColourAt(output.get(), 2, 2);
    EXPECT_NEAR(topLeft.red, topLeft.green, 10);
}

TEST_F(ChainTest, FullTurnAndAdvancedRotationKeepTheSize) {
    Input("keep.hdr", 40, 20);
    settings.DoImageRotation = 1;
    settings.ImageRotation = 360;
    ASSERT_TRUE(Convert()) << reason;
    EXPECT_EQ(project.CurrentWidth, 40);
    {
        Bitmap output(ReadOutput());
        const test::Colour marker = test::ColourAt(output.get(), 2, 2);
        EXPECT_GT(marker.red, marker.green + 100);
    }
    settings.ImageRotation = 30;
    settings.ImageRotationType = 1;
    ASSERT_TRUE(Convert()) << reason;
    EXPECT_EQ(project.CurrentWidth, 40);
    EXPECT_EQ(project.CurrentHeight, 20);
}

struct ChainResizeCase {
    const char* name;
    int width, height;
    int targetWidth, targetHeight, unit, keepAspect, largeOnly;
    int expectedWidth, expectedHeight;
};

class ChainResizeTest : public ChainTest, public ::testing::WithParamInterface<ChainResizeCase> {};

TEST_P(ChainResizeTest, OutputHasTheExpectedSize) {
    const ChainResizeCase& c = GetParam();
    Input("r.hdr", c.width, c.height, [](int, int) { return Rgb{0.3f, 0.6f, 0.9f}; });
    settings.DoImageResize = 1;
    settings.ImageWidth = c.targetWidth;
    settings.ImageHeight = c.targetHeight;
    settings.ImageWidthUnit = settings.ImageHeightUnit = static_cast<int8_t>(c.unit);
    settings.KeepAspectRatio = static_cast<int8_t>(c.keepAspect);
    settings.ImageResizeType = static_cast<int8_t>(c.largeOnly);
    ASSERT_TRUE(Convert()) << reason;
    EXPECT_EQ(project.CurrentWidth, c.expectedWidth);
    EXPECT_EQ(project.CurrentHeight, c.expectedHeight);
    Bitmap output(ReadOutput());
    ASSERT_NE(output.get(), nullptr);
    EXPECT_EQ(static_cast<int>(test::Width(output.get())), c.expectedWidth);
    EXPECT_EQ(static_cast<int>(test::Height(output.get())), c.expectedHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ChainResizeTest,
    ::testing::Values(ChainResizeCase{"Landscape", 2000, 1000, 800, 800, 0, 1, 0, 800, 400},
                      ChainResizeCase{"Portrait", 1000, 2000, 800, 800, 0, 1, 0, 400, 800},
                      ChainResizeCase{"PercentStretched", 1001, 500, 30, 30, 1, 0, 0, 300, 150},
                      ChainResizeCase{"PercentWithAspect", 1001, 500, 30, 30, 1, 1, 0, 300, 150},
                      ChainResizeCase{"LargeOnlyKeepsASmallPicture", 640, 480, 800, 600, 0, 0, 1,
                                      640, 480},
                      ChainResizeCase{"LargeOnlyResizes", 640, 480, 800, 400, 0, 0, 1, 800, 400},
                      ChainResizeCase{"BadUnit", 64, 48, 32, 24, 5, 0, 0, 64, 48},
                      ChainResizeCase{"ZeroTarget", 64, 48, 0, 24, 0, 0, 0, 64, 48}),
    [](const ::testing::TestParamInfo<ChainResizeCase>& info) { return info.param.name; });

TEST_F(ChainTest, GreyscaleAndThresholdGiveBlackAndWhite) {
    Input("bw.hdr", 64, 32, [](int x, int) {
        return x < 32 ? Rgb{0.01f, 0.01f, 0.01f} : Rgb{4, 4, 4};
    });
    settings.DoImageGreyscale = 1;
    settings.DoImageThreshold = 1;
    settings.ImageThreshold = 128;
    ASSERT_TRUE(Convert()) << reason;
    Bitmap output(ReadOutput());
    ASSERT_NE(output.get(), nullptr);
    EXPECT_LE(test::ColourAt(output.get(), 8, 16).red, 8);
    EXPECT_GE(test::ColourAt(output.get(), 56, 16).red, 247);
}

TEST_F(ChainTest, TheFrameIsPaintedInColourOverAGreyscalePicture) {
    Input("framed.hdr", 48, 32);
    settings.DoImageGreyscale = 1;
    settings.DoFrame = 1;
    settings.SolidLeft = 6;
    settings.SolidLeftColor = "FF0000";
    ASSERT_TRUE(Convert()) << reason;
    EXPECT_EQ(project.CurrentWidth, 48);  // the frame covers the picture's edge
    Bitmap output(ReadOutput());
    ASSERT_NE(output.get(), nullptr);
    EXPECT_EQ(test::Width(output.get()), 48u);
    const test::Colour band = test::ColourAt(output.get(), 1, 16);
    EXPECT_GT(band.red, 200);
    EXPECT_LT(band.green, 60);
    const test::Colour inside = test::ColourAt(output.get(), 30, 16);
    EXPECT_NEAR(inside.red, inside.green, 6);
}

TEST_F(ChainTest, CheckpointIsCalledBetweenTheSteps) {
    Input("c.hdr", 16, 16);
    int calls = 0;
    ASSERT_TRUE(ConvertCurrentFile(settings, project, nullptr, [&calls](ChainStep) {
                    ++calls;
                    return true;
                }).ok());
    EXPECT_GE(calls, 12);
}

TEST_F(ChainTest, AnOutputThatIsTheInputIsRefusedAndTheInputKept) {
    Input("Same.hdr", 16, 16);
    const std::string before = test_support::ReadFileBytes(project.InputPath);
    project.OutputFolder = folder.Path();
    settings.FilenameMask = "%filename%.hdr";
    EXPECT_FALSE(Convert());
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(test_support::ReadFileBytes(project.InputPath), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              2);  // the input and the out folder, no temporary file left
}

// With the run's record of outputs: a name the run wrote fails the file, a
// per-file random name is drawn again instead, and another input of the run
// is never written over.
TEST_F(ChainTest, TheRunsOutputRecordRefusesTakenNamesAndDrawsRandomOnesAgain) {
    Input("first.hdr", 16, 16);
    const std::string other = folder.File("other.hdr");
    std::filesystem::copy_file(project.InputPath, other);
    RunOutputs outputs(FileQueue{QueuedFile{project.InputPath}, QueuedFile{other}});
    const std::string taken = project.OutputFolder + "taken.jpg";
    outputs.Written(taken, other);

    settings.FilenameMask = "taken.%ext%";
    RunCheck saved = ConvertCurrentFile(settings, project, nullptr, {}, &outputs);
    EXPECT_EQ(saved.detail, "The output file " + taken + " was already written in this run from " + other);
    EXPECT_FALSE(std::filesystem::exists(taken));

    settings.FilenameMask = "%rnd%.%ext%";
    project.RandomNumber = 4242;
    outputs.Written(project.OutputFolder + "04242.jpg", other);
    saved = ConvertCurrentFile(settings, project, nullptr, {}, &outputs);
    EXPECT_TRUE(saved.ok()) << saved.detail;
    EXPECT_NE(project.RandomNumber, 4242);
    EXPECT_NE(project.OutputPath, project.OutputFolder + "04242.jpg");
    EXPECT_TRUE(std::filesystem::exists(project.OutputPath));
    // The written name is now taken in this run.
    EXPECT_FALSE(outputs.Refusal(project.OutputPath, other).empty());

    project.OutputFolder = folder.Path();
    settings.FilenameMask = "other.hdr";
    const std::string before = test_support::ReadFileBytes(other);
    saved = ConvertCurrentFile(settings, project, nullptr, {}, &outputs);
    EXPECT_EQ(saved.detail, "The output file would replace another input of this run: " + other);
    EXPECT_EQ(test_support::ReadFileBytes(other), before);
}

TEST_F(ChainTest, KeptSubfoldersAreCreatedBelowTheOutputFolder) {
    Input("Sunset.hdr", 16, 16);
    project.InputSubfolder = "trip/day1/";
    settings.KeepSubfolders = 1;
    ASSERT_TRUE(Convert()) << reason;
    EXPECT_EQ(project.OutputPath, project.OutputFolder + "trip/day1/Sunset.jpg");
    EXPECT_TRUE(std::filesystem::is_regular_file(project.OutputPath));

    settings.KeepSubfolders = 0;
    project.InputSubfolder = "other/";
    ASSERT_TRUE(Convert()) << reason;
    EXPECT_EQ(project.OutputPath, project.OutputFolder + "Sunset.jpg");
    EXPECT_FALSE(std::filesystem::exists(project.OutputFolder + "other"));
}

TEST_F(ChainTest, AMissingOutputFolderIsNeverCreated) {
    Input("Sunset.hdr", 16, 16);
    project.OutputFolder = folder.File("missing/");
    project.InputSubfolder = "sub/";
    EXPECT_FALSE(Convert());
    EXPECT_FALSE(std::filesystem::exists(project.OutputFolder));
    project.InputSubfolder = "";
    EXPECT_FALSE(Convert());
    EXPECT_FALSE(std::filesystem::exists(project.OutputFolder));
}

TEST_F(ChainTest, ASubfolderLeavingTheOutputFolderFails) {
    Input("Sunset.hdr", 16, 16);
    project.InputSubfolder = "../escape/";
    EXPECT_FALSE(Convert());
    EXPECT_FALSE(std::filesystem::exists(folder.File("escape")));
}

TEST_F(ChainTest, AFileThatIsNotRadianceFailsWithAReason) {
    project.InputPath = folder.File("broken.hdr");
    ASSERT_TRUE(test_support::WriteFileBytes(project.InputPath, "not a picture at all"));
    EXPECT_FALSE(Convert());
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(project.SourceBitDepth, 0);
    EXPECT_TRUE(std::filesystem::is_empty(project.OutputFolder));
}

TEST_F(ChainTest, AnUnsupportedOutputDepthFailsTheFile) {
    Input("a.hdr", 16, 16);
    project.AutoBitDepth = 0;
    project.OutputBitDepth = 12;
    EXPECT_FALSE(Convert());
    EXPECT_TRUE(std::filesystem::is_empty(project.OutputFolder));
}

}  // namespace
}  // namespace orvex

namespace orvex {
namespace {

// A watermark picture that went bad between the checks and the conversion
// once let the file pass unmarked: it fails with the reason, nothing written.
TEST_F(ChainTest, WatermarkThatCannotBeMadeFailsTheFileAndWritesNothing) {
    Input("marked.hdr", 32, 24);
    settings.DoWatermark = 2;
    settings.Image = folder.WriteFile("logo.gif", "GIF89a not really");
    EXPECT_FALSE(Convert());
    EXPECT_NE(reason.find("the watermark picture"), std::string::npos) << reason;
    EXPECT_FALSE(std::filesystem::exists(folder.File("out/marked.jpg")));
}

// A picture FreeImage cannot convert (64-bit doubles make no 24-bit
// picture) fails every step that needs a conversion: the step gives back no
// picture and the one it was handed is unloaded all the same (the sanitizer
// build reports it otherwise), and the chain fails the file at that step.
TEST(FailedConversion, GivesNoPictureLeaksNothingAndFailsTheFile) {
    const auto doubles = [] { return AdoptBitmap(FreeImage_AllocateT(FIT_DOUBLE, 8, 6, 64)); };
    ConversionSettings settings;
    settings.DoImageRotation = 1;
    settings.ImageRotation = 90;
    settings.DoImageColorCorrection = 1;
    settings.DoImageGreyscale = 1;
    settings.DoImageThreshold = 1;
    settings.DoImageDither = 1;
    settings.DoFrame = 1;
    EXPECT_EQ(RotateImage(doubles(), settings), nullptr);
    EXPECT_EQ(AdjustColours(doubles(), settings), nullptr);
    EXPECT_EQ(MakeGreyscale(doubles(), settings), nullptr);
    EXPECT_EQ(ApplyThreshold(doubles(), settings), nullptr);
    EXPECT_EQ(ApplyDither(doubles(), settings), nullptr);
    EXPECT_EQ(DrawSolidFrame(doubles(), 8, 6, settings), nullptr);
    EXPECT_EQ(ConvertToOutputDepth(doubles(), 24, "jpg"), nullptr);
    // Past the depth rule, the threshold itself refuses 32-bit integers; the
    // tone mapper refuses deep pictures that are not colour.
    EXPECT_EQ(ApplyThreshold(AdoptBitmap(FreeImage_AllocateT(FIT_INT32, 8, 6, 32)), settings),
              nullptr);
    EXPECT_EQ(ToneMapImage(AdoptBitmap(FreeImage_AllocateT(FIT_COMPLEX, 8, 6, 128))), nullptr);

    FileContext file;
    const Result<Bitmap> processed = ProcessImage(doubles(), settings, file, nullptr);
    EXPECT_FALSE(processed.ok());
    EXPECT_EQ(processed.fault().fault, RunFault::FileFailed);
    EXPECT_EQ(processed.value(), nullptr);
    EXPECT_EQ(processed.reason(), "No image after the rotation step");
}

}  // namespace
}  // namespace orvex
