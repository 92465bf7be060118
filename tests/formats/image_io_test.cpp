// Tests of loading Radiance pictures (hostile ones included), turning them the
// right way up, saving through a temporary file, and routing library messages.
#include "formats/image_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "platform/signals.h"
#include "support/hdr_writer.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test_support::HdrLayout;
using test_support::PixelAt;
using test_support::ReadFileBytes;
using test_support::Rgb;
using test_support::ScanlineEncoding;
using test_support::ScopedTempFolder;
using test_support::WriteFileBytes;

std::string DataFile(const std::string& name) {
    return std::string(ORVEX_TEST_DATA_DIR) + "/hdr/" + name;
}

Bitmap Load(const std::string& path, std::string* reason = nullptr) {
    return LoadInputImage(path, reason);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// ---- Hostile and unusual inputs -------------------------------------------

struct RefusedInput {
    const char* file;
    const char* reasonPart;  // a piece of the reason that must be given
};

void PrintTo(const RefusedInput& input, std::ostream* out) { *out << input.file; }

class RefusedInputs : public ::testing::TestWithParam<RefusedInput> {};

// Every one of these must fail with a reason, without crashing or reading
// out of bounds, and without handing an impossible size to the reader.
TEST_P(RefusedInputs, FailWithAReason) {
    std::string reason;
    EXPECT_EQ(Load(DataFile(GetParam().file), &reason), nullptr);
    EXPECT_NE(reason.find(GetParam().reasonPart), std::string::npos) << reason;
}

INSTANTIATE_TEST_SUITE_P(
    RegressionFiles, RefusedInputs,
    ::testing::Values(
        // An empty file is no picture.
        RefusedInput{"empty.hdr", "empty"},
        // Arbitrary bytes are refused at the signature.
        RefusedInput{"garbage.hdr", "signature"},
        // "#!" is not the Radiance signature.
        RefusedInput{"wrong_signature.hdr", "signature"},
        // A negative width never reaches the reader, which would corrupt its heap.
        RefusedInput{"negative_width.hdr", "negative picture size"},
        // A zero width is refused before loading.
        RefusedInput{"zero_width.hdr", "zero picture size"},
        // 100000 x 100000 declared in 63 bytes: refused before any allocation.
        RefusedInput{"huge_declared_size.hdr", "too short"},
        // The header passes; the reader runs out of data and the load fails cleanly.
        RefusedInput{"truncated_scanline.hdr", "could not decode"},
        // XYZE pixels are not read as RGBE.
        RefusedInput{"xyze_format.hdr", "32-bit_rle_xyze"},
        // No resolution line after the header.
        RefusedInput{"missing_resolution.hdr", "resolution line is missing"},
        // A header without its empty line never ends.
        RefusedInput{"unterminated_header.hdr", "ends inside the header"},
        // A PNG file with the Radiance extension is not decoded as one.
        RefusedInput{"png_renamed.hdr", "signature"},
        // A file that does not exist.
        RefusedInput{"no_such_file.hdr", "could not be opened"}),
    [](const ::testing::TestParamInfo<RefusedInput>& info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        for (char& c : name) {
            if (c == '_') c = 'X';
        }
        return name;
    });

// The two header styles the reader itself refuses must load as written.
TEST(LoadInputImage, ReadsCrLfHeadersAndLongCommentLines) {
    for (const char* file : {"crlf_header.hdr", "long_comment_line.hdr"}) {
        std::string reason;
        const Bitmap image = Load(DataFile(file), &reason);
        ASSERT_NE(image, nullptr) << file << ": " << reason;
        ASSERT_EQ(FreeImage_GetWidth(image.get()), 3u);
        ASSERT_EQ(FreeImage_GetHeight(image.get()), 2u);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(PixelAt(image.get(), i % 3, i / 3), (Rgb{i + 1.0f, 0, 0})) << file << i;
        }
    }
}

TEST(LoadInputImage, RefusesAFolderAndAFifoWithoutWaiting) {
    ScopedTempFolder folder("load_folder");
    std::string reason;
    EXPECT_EQ(Load(folder.Path(), &reason), nullptr);
    EXPECT_EQ(reason, "not a regular file");
    const std::string fifo = folder.File("pipe.hdr");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    reason.clear();
    EXPECT_EQ(Load(fifo, &reason), nullptr);
    EXPECT_EQ(reason, "not a regular file");
}

// ---- Good pictures ----------------------------------------------------------

// Values a shared-exponent pixel holds exactly (all below 64, steps of 1/2).
Rgb Gradient(int x, int y) { return {static_cast<float>(x), static_cast<float>(y), 0.5f}; }

TEST(LoadInputImage, GivesA96BitFloatPictureOfTheRightSizeAndValues) {
    ScopedTempFolder folder("load_good");
    const std::string path = folder.File("gradient.HDRI");  // the extension plays no part
    ASSERT_TRUE(test_support::WriteHdrWithFreeImage(path, 40, 24, Gradient));
    std::string reason = "stale";
    const Bitmap image = Load(path, &reason);
    ASSERT_NE(image, nullptr) << reason;
    EXPECT_EQ(reason, "");
    EXPECT_EQ(FreeImage_GetImageType(image.get()), FIT_RGBF);
    EXPECT_EQ(FreeImage_GetBPP(image.get()), 96u);
    ASSERT_EQ(FreeImage_GetWidth(image.get()), 40u);
    ASSERT_EQ(FreeImage_GetHeight(image.get()), 24u);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 40; ++x) ASSERT_EQ(PixelAt(image.get(), x, y), Gradient(x, y));
    }
}

TEST(LoadInputImage, ReadsFlatAndRunLengthScanlinesAlike) {
    ScopedTempFolder folder("load_encodings");
    for (const int width : {5, 8, 300}) {
        for (const auto encoding : {ScanlineEncoding::kFlat, ScanlineEncoding::kRunLength}) {
            HdrLayout layout;
            layout.encoding = encoding;
            const std::string path = folder.File("p.hdr");
            const auto pixel = [](int x, int y) { return Rgb{x % 7 * 1.0f, 1, y * 0.25f}; };
            ASSERT_TRUE(test_support::WriteHdr(path, width, 3, pixel, layout));
            std::string reason;
            const Bitmap image = Load(path, &reason);
            ASSERT_NE(image, nullptr) << reason;
            ASSERT_EQ(FreeImage_GetWidth(image.get()), static_cast<unsigned>(width));
            for (int x = 0; x < width; x += 1 + width / 5) {
                EXPECT_EQ(PixelAt(image.get(), x, 2), pixel(x, 2)) << width << " " << x;
            }
        }
    }
}

// ---- Orientation --------------------------------------------------------------
//
// The 3 x 2 picture   1 2 3   in the file order each resolution string asks for.
//                     4 5 6

struct LaidOut {
    const char* resolution;
    int order[6];  // the picture's values in file order
};

void PrintTo(const LaidOut& laidOut, std::ostream* out) { *out << laidOut.resolution; }

class Orientations : public ::testing::TestWithParam<LaidOut> {};

TEST_P(Orientations, ComeOutTheRightWayUp) {
    ScopedTempFolder folder("orientation");
    std::string data;
    for (int v : GetParam().order) data += test_support::EncodeRgbe({static_cast<float>(v), 0, 0});
    const std::string path = folder.File("o.hdr");
    ASSERT_TRUE(test_support::WriteRawHdr(
        path, std::string("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n") + GetParam().resolution + "\n",
        data));
    std::string reason;
    const Bitmap image = Load(path, &reason);
    ASSERT_NE(image, nullptr) << reason;
    ASSERT_EQ(FreeImage_GetWidth(image.get()), 3u);
    ASSERT_EQ(FreeImage_GetHeight(image.get()), 2u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(PixelAt(image.get(), i % 3, i / 3).r, i + 1.0f) << "pixel " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllEight, Orientations,
                         ::testing::Values(LaidOut{"-Y 2 +X 3", {1, 2, 3, 4, 5, 6}},
                                           LaidOut{"-Y 2 -X 3", {3, 2, 1, 6, 5, 4}},
                                           LaidOut{"+Y 2 +X 3", {4, 5, 6, 1, 2, 3}},
                                           LaidOut{"+Y 2 -X 3", {6, 5, 4, 3, 2, 1}},
                                           LaidOut{"+X 3 -Y 2", {1, 4, 2, 5, 3, 6}},
                                           LaidOut{"+X 3 +Y 2", {4, 1, 5, 2, 6, 3}},
                                           LaidOut{"-X 3 -Y 2", {3, 6, 2, 5, 1, 4}},
                                           LaidOut{"-X 3 +Y 2", {6, 3, 5, 2, 4, 1}}));

class CornerMarkers : public ::testing::TestWithParam<std::string> {};

// A larger picture with run-length scanlines (long enough in both directions)
// and a coloured square in each corner: red top left, green top right, blue
// bottom left, white bottom right.
TEST_P(CornerMarkers, LandInTheirCornersForEveryOrientation) {
    constexpr int kWidth = 45, kHeight = 31;
    const auto pixel = [](int x, int y) {
        const bool left = x < 3, right = x >= kWidth - 3, top = y < 3, bottom = y >= kHeight - 3;
        if (top && left) return Rgb{1, 0, 0};
        if (top && right) return Rgb{0, 1, 0};
        if (bottom && left) return Rgb{0, 0, 1};
        if (bottom && right) return Rgb{1, 1, 1};
        return Rgb{0.25f, 0.25f, 0.25f};
    };
    ScopedTempFolder folder("corners");
    HdrLayout layout;
    layout.orientation = GetParam();
    layout.encoding = ScanlineEncoding::kRunLength;
    const std::string path = folder.File("c.hdr");
    ASSERT_TRUE(test_support::WriteHdr(path, kWidth, kHeight, pixel, layout));
    std::string reason;
    const Bitmap image = Load(path, &reason);
    ASSERT_NE(image, nullptr) << reason;
    ASSERT_EQ(FreeImage_GetWidth(image.get()), static_cast<unsigned>(kWidth));
    ASSERT_EQ(FreeImage_GetHeight(image.get()), static_cast<unsigned>(kHeight));
    for (int y : {0, 2, 3, kHeight / 2, kHeight - 4, kHeight - 3, kHeight - 1}) {
        for (int x : {0, 2, 3, kWidth / 2, kWidth - 4, kWidth - 3, kWidth - 1}) {
            EXPECT_EQ(PixelAt(image.get(), x, y), pixel(x, y)) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllEight, CornerMarkers,
                         ::testing::ValuesIn(test_support::kHdrOrientations),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name;
                             for (char c : info.param) {
                                 if (c == '+') name += "Plus";
                                 if (c == '-') name += "Minus";
                                 if (c == 'X' || c == 'Y') name += c;
                             }
                             return name;
                         });

// ---- Messages -----------------------------------------------------------------

TEST(FreeImageMessageScope, SendsTheLibrarysMessagesToTheCurrentSinkOnThisThreadOnly) {
    std::vector<std::string> outer, inner, other;
    {
        FreeImageMessageScope outerScope([&](const std::string& m) { outer.push_back(m); });
        {
            FreeImageMessageScope innerScope([&](const std::string& m) { inner.push_back(m); });
            FreeImage_OutputMessageProc(FIF_JPEG, "inside %s", "inner");
            ASSERT_EQ(inner.size(), 1u);
            EXPECT_EQ(inner[0], "inside inner");
            std::thread([&] {
                FreeImageMessageScope threadScope(
                    [&](const std::string& m) { other.push_back(m); });
            }).join();
        }
        EXPECT_TRUE(outer.empty());
        FreeImage_OutputMessageProc(FIF_HDR, "after %s", "inner");
        ASSERT_EQ(outer.size(), 1u);
        EXPECT_EQ(outer[0], "after inner");
    }
    FreeImage_OutputMessageProc(FIF_HDR, "dropped");
    EXPECT_EQ(outer.size(), 1u);
    EXPECT_TRUE(other.empty());
}

// ---- Saving -------------------------------------------------------------------

Bitmap MakeColourPicture(int width, int height) {
    Bitmap image = AdoptBitmap(FreeImage_Allocate(width, height, 24));
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image.get(), y);
        for (int x = 0; x < width; ++x) {
            row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(x * 8);
            row[3 * x + FI_RGBA_GREEN] = 128;
            row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(y * 8);
        }
    }
    return image;
}

constexpr int kJpegFlags = 95 | JPEG_SUBSAMPLING_444;

class SaveImageTest : public ::testing::Test {
protected:
    ScopedTempFolder folder{"save"};
};

TEST_F(SaveImageTest, WritesAJpegTheLibraryReadsBack) {
    const std::string path = folder.File("out.jpg");
    std::string reason;
    ASSERT_TRUE(SaveImage(MakeColourPicture(32, 16).get(), path, FIF_JPEG, kJpegFlags, &reason))
        << reason;
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.jpg"});
    const Bitmap back(FreeImage_Load(FIF_JPEG, path.c_str(), 0));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(back.get()), 32u);
    EXPECT_EQ(FreeImage_GetHeight(back.get()), 16u);
    EXPECT_EQ(FreeImage_GetBPP(back.get()), 24u);
    RGBQUAD colour;
    ASSERT_TRUE(FreeImage_GetPixelColor(back.get(), 20, 5, &colour));
    EXPECT_NEAR(colour.rgbRed, 160, 6);
    EXPECT_NEAR(colour.rgbGreen, 128, 6);
    EXPECT_NEAR(colour.rgbBlue, 40, 6);
}

TEST_F(SaveImageTest, ReplacesAnExistingFileAndKeepsItsPermissions) {
    const std::string path = folder.File("out.jpg");
    ASSERT_TRUE(WriteFileBytes(path, "old contents"));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(SaveImage(MakeColourPicture(8, 8).get(), path, FIF_JPEG, kJpegFlags));
    EXPECT_EQ(ReadFileBytes(path).substr(0, 2), "\xFF\xD8");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.jpg"});
}

TEST_F(SaveImageTest, GivesANewFileTheUsualPermissions) {
    const mode_t previous = umask(027);
    const bool saved =
        SaveImage(MakeColourPicture(8, 8).get(), folder.File("new.jpg"), FIF_JPEG, kJpegFlags);
    umask(previous);
    ASSERT_TRUE(saved);
    struct stat info {};
    ASSERT_EQ(stat(folder.File("new.jpg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// A writer that refuses the picture (JPEG takes no 96-bit floats) must leave
// the file that was there byte for byte, and no temporary file behind.
TEST_F(SaveImageTest, AFailedWriteLeavesTheExistingFileIntact) {
    const std::string path = folder.File("keep.jpg");
    const std::string before = "precious bytes\n\x01\x02";
    ASSERT_TRUE(WriteFileBytes(path, before));
    std::string reason;
    const Bitmap floats = AdoptBitmap(test_support::MakeRgbfPicture(8, 8, Gradient));
    EXPECT_FALSE(SaveImage(floats.get(), path, FIF_JPEG, kJpegFlags, &reason));
    EXPECT_NE(reason.find("writer"), std::string::npos) << reason;
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"keep.jpg"});
}

// A picture written ahead into memory and stored later gives the very file a
// direct save gives; a writer's refusal comes back as the same reason, and a
// store that cannot happen leaves nothing.
TEST_F(SaveImageTest, APictureWrittenAheadIsStoredAsTheSameFile) {
    const Bitmap picture = MakeColourPicture(40, 24);
    ASSERT_TRUE(SaveImage(picture.get(), folder.File("direct.jpg"), FIF_JPEG, kJpegFlags));
    std::string bytes;
    std::string reason;
    ASSERT_TRUE(EncodeImage(picture.get(), FIF_JPEG, kJpegFlags, &bytes, &reason)) << reason;
    ASSERT_TRUE(SaveEncoded(bytes, folder.File("ahead.jpg"), &reason)) << reason;
    EXPECT_EQ(ReadFileBytes(folder.File("ahead.jpg")), ReadFileBytes(folder.File("direct.jpg")));

    const Bitmap floats = AdoptBitmap(test_support::MakeRgbfPicture(8, 8, Gradient));
    std::string saveReason;
    EXPECT_FALSE(SaveImage(floats.get(), folder.File("x.jpg"), FIF_JPEG, kJpegFlags, &saveReason));
    EXPECT_FALSE(EncodeImage(floats.get(), FIF_JPEG, kJpegFlags, &bytes, &reason));
    EXPECT_EQ(reason, saveReason);

    EXPECT_FALSE(SaveEncoded(bytes, folder.File("missing/ahead.jpg"), &reason));
    EXPECT_NE(reason.find("output folder"), std::string::npos) << reason;
    EXPECT_EQ(FolderEntries(folder.Path()), (std::vector<std::string>{"ahead.jpg", "direct.jpg"}));
}

// A save ended by SIGTERM once left its hidden temporary file behind. The
// child saves big pictures over and over until the signal comes; whenever it
// lands, the folder holds at most the last whole output.
TEST_F(SaveImageTest, InterruptedSaveLeavesNoTemporaryFile) {
    const std::string path = folder.File("big.png");
    const pid_t child = fork();
    if (child == 0) {
        InstallSignalHandling();
        // PNG compression keeps nearly all of the child's time inside the save.
        const Bitmap picture = MakeColourPicture(1200, 1200);
        for (;;) {
            if (!SaveImage(picture.get(), path, FIF_PNG, 0)) _exit(1);
        }
    }
    // Once the first picture is in place the next save is under way.
    for (int i = 0; i < 2000 && !fs::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"big.png"});
}

TEST_F(SaveImageTest, FailsCleanlyWithoutAPictureAFolderOrAName) {
    std::string reason;
    EXPECT_FALSE(SaveImage(nullptr, folder.File("x.jpg"), FIF_JPEG, kJpegFlags, &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(SaveImage(MakeColourPicture(4, 4).get(), folder.File("missing/x.jpg"), FIF_JPEG,
                           kJpegFlags, &reason));
    EXPECT_NE(reason.find("output folder"), std::string::npos) << reason;
    EXPECT_FALSE(SaveImage(MakeColourPicture(4, 4).get(), folder.Path(), FIF_JPEG, kJpegFlags));
    EXPECT_FALSE(SaveImage(MakeColourPicture(4, 4).get(), "", FIF_JPEG, kJpegFlags));
    // A folder in the way of the output name stays as it is.
    fs::create_directory(folder.File("taken.jpg"));
    ASSERT_TRUE(WriteFileBytes(folder.File("taken.jpg/inside"), "x"));
    EXPECT_FALSE(SaveImage(MakeColourPicture(4, 4).get(), folder.File("taken.jpg"), FIF_JPEG,
                           kJpegFlags, &reason));
    EXPECT_EQ(ReadFileBytes(folder.File("taken.jpg/inside")), "x");
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"taken.jpg"});
}

TEST_F(SaveImageTest, HandlesPathsOfSixHundredCharacters) {
    // Six folders of 99 characters and a short name: a legal path that works.
    std::string deep = folder.Path();
    for (int i = 0; i < 6; ++i) deep += std::string(99, static_cast<char>('a' + i)) + "/";
    ASSERT_TRUE(fs::create_directories(deep));
    const std::string longPath = deep + "out.jpg";
    ASSERT_GE(longPath.size(), 600u);
    std::string reason;
    EXPECT_TRUE(SaveImage(MakeColourPicture(8, 8).get(), longPath, FIF_JPEG, kJpegFlags, &reason))
        << reason;
    EXPECT_EQ(ReadFileBytes(longPath).substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(FolderEntries(deep), std::vector<std::string>{"out.jpg"});

    // One name of 600 characters is longer than any file name may be: the
    // save fails with a reason and leaves nothing behind.
    const std::string longName = folder.File(std::string(596, 'n') + ".jpg");
    EXPECT_FALSE(SaveImage(MakeColourPicture(8, 8).get(), longName, FIF_JPEG, kJpegFlags, &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{std::string(99, 'a')});
}

// ---- Same file ----------------------------------------------------------------

TEST(IsSameFile, ComparesFilesByIdentityAndMissingOnesByNormalisedPath) {
    ScopedTempFolder folder("same_file");
    const std::string a = folder.File("a.hdr");
    ASSERT_TRUE(WriteFileBytes(a, "x"));
    ASSERT_TRUE(WriteFileBytes(folder.File("b.hdr"), "x"));
    fs::create_directory(folder.File("sub"));
    ASSERT_EQ(link(a.c_str(), folder.File("hard.hdr").c_str()), 0);
    fs::create_symlink(a, folder.File("soft.hdr"));
    fs::create_directory_symlink(folder.File("sub"), folder.File("subLink"));

    EXPECT_TRUE(IsSameFile(a, a));
    EXPECT_TRUE(IsSameFile(a, folder.File("sub/../a.hdr")));
    EXPECT_TRUE(IsSameFile(a, folder.File("./a.hdr")));
    EXPECT_TRUE(IsSameFile(a, folder.File("hard.hdr")));
    EXPECT_TRUE(IsSameFile(a, folder.File("soft.hdr")));
    EXPECT_FALSE(IsSameFile(a, folder.File("b.hdr")));
    EXPECT_FALSE(IsSameFile(a, folder.File("a.jpg")));  // not there yet
    EXPECT_FALSE(IsSameFile(a, folder.File("A.hdr")));  // names are case-sensitive
    EXPECT_TRUE(IsSameFile(folder.File("sub/new.jpg"), folder.File("subLink//new.jpg")));
    EXPECT_FALSE(IsSameFile(folder.File("sub/new.jpg"), folder.File("sub/new.jpeg")));
    EXPECT_FALSE(IsSameFile("", ""));

    const fs::path previous = fs::current_path();
    fs::current_path(folder.Path());
    EXPECT_TRUE(IsSameFile("a.hdr", a));
    EXPECT_TRUE(IsSameFile("missing.jpg", folder.File("missing.jpg")));
    fs::current_path(previous);
}

}  // namespace
}  // namespace orvex
