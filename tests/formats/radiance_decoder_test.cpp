// Tests of the Radiance decoder: the same floats as the image library's own
// reader on every valid file, all eight orientations, old-style runs, and a
// clean failure for every way a scanline can be cut or broken.
#include "formats/radiance_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "formats/image_io.h"
#include "formats/radiance_header.h"
#include "support/hdr_writer.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test_support::HdrLayout;
using test_support::ScopedTempFolder;

// ---- Files made of raw pixel bytes ----------------------------------------

// Four random bytes a pixel, every exponent and mantissa included; patterns
// that would read as an old-style repeat or a run-length marker are moved
// aside, so that every decoder reads them as plain pixels.
std::string RandomPixels(size_t count, std::mt19937& random) {
    std::string bytes(4 * count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    for (size_t i = 0; i < count; ++i) {
        char* p = &bytes[4 * i];
        if (p[0] == 1 && p[1] == 1 && p[2] == 1) p[0] = 0;
        if (p[0] == 2 && p[1] == 2) p[0] = 3;
    }
    return bytes;
}

// A new-style scanline of raw pixels: runs of three or more equal bytes
// become run packets, the rest literal packets of up to 128 bytes.
std::string RunLengthScanline(const std::string& pixels) {
    const size_t length = pixels.size() / 4;
    std::string out = {2, 2, static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)};
    for (size_t plane = 0; plane < 4; ++plane) {
        std::string bytes;
        for (size_t i = 0; i < length; ++i) bytes += pixels[4 * i + plane];
        size_t i = 0;
        const auto runAt = [&](size_t at) {
            size_t run = 1;
            while (at + run < length && run < 127 && bytes[at + run] == bytes[at]) ++run;
            return run;
        };
        while (i < length) {
            const size_t run = runAt(i);
            if (run >= 3) {
                out += static_cast<char>(128 + run);
                out += bytes[i];
                i += run;
                continue;
            }
            size_t end = i;
            while (end < length && end - i < 128 && runAt(end) < 3) ++end;
            out += static_cast<char>(end - i);
            out += bytes.substr(i, end - i);
            i = end;
        }
    }
    return out;
}

std::string Header(const std::string& resolution) {
    return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n" + resolution + "\n";
}

// ---- The library's reader as the reference ----------------------------------

// The library reads only the standard orientation: it is given the clean
// header for the scanlines as they lie in the file.
Bitmap ReferenceLoad(const std::string& file, RadianceHeader* header) {
    std::string reason;
    if (!ParseRadianceHeader(file, file.size(), 0, header, &reason)) return nullptr;
    std::string clean = BuildCleanHeader(*header) + file.substr(header->dataOffset);
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(clean.data()),
                                            static_cast<DWORD>(clean.size()));
    Bitmap image(FreeImage_LoadFromMemory(FIF_HDR, memory, 0));
    FreeImage_CloseMemory(memory);
    return image;
}

const FIRGBF& PixelFromTop(FIBITMAP* image, unsigned x, unsigned y) {
    const unsigned row = FreeImage_GetHeight(image) - 1 - y;
    return reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(image, static_cast<int>(row)))[x];
}

// Loads `file` both ways and compares every float bit for bit, pixel (x, y)
// of the picture against the reference's scanline pixel it comes from.
void ExpectSameAsReference(const std::string& path, const std::string& file) {
    RadianceHeader header;
    const Bitmap reference = ReferenceLoad(file, &header);
    ASSERT_NE(reference, nullptr);
    std::string reason;
    const Bitmap ours(LoadInputImage(path, &reason));
    ASSERT_NE(ours, nullptr) << reason;
    ASSERT_EQ(FreeImage_GetImageType(ours.get()), FIT_RGBF);
    ASSERT_EQ(FreeImage_GetWidth(ours.get()), header.width);
    ASSERT_EQ(FreeImage_GetHeight(ours.get()), header.height);
    const RadianceOrientation& o = header.orientation;
    for (unsigned y = 0; y < header.height; ++y) {
        for (unsigned x = 0; x < header.width; ++x) {
            const unsigned along = o.rightToLeft ? header.width - 1 - x : x;
            const unsigned down = o.bottomToTop ? header.height - 1 - y : y;
            const unsigned scanline = o.columns ? along : down;
            const unsigned pixel = o.columns ? down : along;
            const FIRGBF& expected = PixelFromTop(reference.get(), pixel, scanline);
            const FIRGBF& actual = PixelFromTop(ours.get(), x, y);
            ASSERT_EQ(std::memcmp(&expected, &actual, sizeof(FIRGBF)), 0)
                << "pixel " << x << "," << y << ": " << actual.red << " " << actual.green << " "
                << actual.blue << " expected " << expected.red << " " << expected.green << " "
                << expected.blue;
        }
    }
}

struct Case {
    int width, height;
    bool runLength;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.width << "x" << c.height << (c.runLength ? " rle" : " flat");
}

class SameAsTheLibrary : public ::testing::TestWithParam<Case> {};

// Random raw pixels in every orientation: the widths around the run-length
// limits (8 and 32767) and odd sizes that leave partial blocks everywhere.
TEST_P(SameAsTheLibrary, InEveryOrientation) {
    const Case c = GetParam();
    ScopedTempFolder folder("decoder_same");
    std::mt19937 random(static_cast<unsigned>(c.width * 7919 + c.height));
    for (const std::string& orientation : test_support::kHdrOrientations) {
        SCOPED_TRACE(orientation);
        const bool columns = orientation[1] == 'X';
        const int count = columns ? c.width : c.height;
        const int length = columns ? c.height : c.width;
        std::string data;
        for (int s = 0; s < count; ++s) {
            const std::string pixels = RandomPixels(static_cast<size_t>(length), random);
            data +=
                c.runLength && length >= 8 && length <= 0x7FFF ? RunLengthScanline(pixels) : pixels;
        }
        const std::string file =
            Header(test_support::ResolutionString(orientation, c.width, c.height)) + data;
        const std::string path = folder.File("p.hdr");
        ASSERT_TRUE(test_support::WriteFileBytes(path, file));
        ExpectSameAsReference(path, file);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SameAsTheLibrary,
                         ::testing::Values(Case{1, 1, false}, Case{7, 3, true}, Case{8, 2, true},
                                           Case{8, 2, false}, Case{9, 8, true}, Case{127, 5, true},
                                           Case{128, 3, true}, Case{300, 41, true},
                                           Case{301, 40, false}, Case{32767, 2, true},
                                           Case{32768, 1, true}));

// Pictures written by the library's own writer and by our test writer (runs
// of real colours), and the regression files that load.
TEST(SameAsTheLibrary, OnWrittenPicturesAndTheRegressionFiles) {
    ScopedTempFolder folder("decoder_written");
    const auto sky = [](int x, int y) {
        return test_support::Rgb{x * 0.01f, 1e-3f * static_cast<float>(y * y), y < 10 ? 40.0f : 0};
    };
    std::vector<std::string> paths;
    paths.push_back(folder.File("library.hdr"));
    ASSERT_TRUE(test_support::WriteHdrWithFreeImage(paths.back(), 517, 33, sky));
    HdrLayout layout;
    layout.encoding = test_support::ScanlineEncoding::kRunLength;
    paths.push_back(folder.File("ours.hdr"));
    ASSERT_TRUE(test_support::WriteHdr(paths.back(), 1000, 12, sky, layout));
    for (const char* name : {"crlf_header.hdr", "long_comment_line.hdr"}) {
        paths.push_back(std::string(ORVEX_TEST_DATA_DIR) + "/hdr/" + name);
    }
    paths.push_back(std::string(ORVEX_TEST_DATA_DIR) + "/../../data/sample.hdr");
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        ExpectSameAsReference(path, test_support::ReadFileBytes(path));
    }
}

// ---- Forms the library does not read right -----------------------------------

Bitmap Decode(const std::string& resolution, const std::string& data, std::string* reason) {
    RadianceHeader header;
    const std::string file = Header(resolution) + data;
    // A large file size is claimed so that the header's size check lets
    // short data through to the decoder.
    if (!ParseRadianceHeader(file, file.size() + 1000000, 0, &header, reason)) return nullptr;
    return Bitmap(DecodeRadiancePixels(
        reinterpret_cast<const unsigned char*>(file.data()) + header.dataOffset,
        file.size() - header.dataOffset, header, reason));
}

std::string Pixel(int r, int g, int b, int e) {
    return {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b), static_cast<char>(e)};
}

float RedAt(FIBITMAP* image, unsigned x, unsigned y) { return PixelFromTop(image, x, y).red; }

TEST(DecodeRadiancePixels, ExpandsOldStyleRunsWithinTheirScanline) {
    // Row 1: 9, 254 empty pixels, 5 and three repeats of it. Row 2: 7, one
    // repeat, 1 << 8 repeats (a repeat after a repeat counts in the next
    // byte up), then one empty pixel.
    const std::string row1 =
        Pixel(9, 0, 0, 136) + std::string(4 * 254, '\0') + Pixel(5, 0, 0, 136) + Pixel(1, 1, 1, 3);
    const std::string row2 =
        Pixel(7, 0, 0, 136) + Pixel(1, 1, 1, 1) + Pixel(1, 1, 1, 1) + std::string(4, '\0');
    std::string reason;
    const Bitmap image = Decode("-Y 2 +X 259", row1 + row2, &reason);
    ASSERT_NE(image, nullptr) << reason;
    EXPECT_EQ(RedAt(image.get(), 0, 0), 9.0f);
    EXPECT_EQ(RedAt(image.get(), 254, 0), 0.0f);
    EXPECT_EQ(RedAt(image.get(), 255, 0), 5.0f);
    EXPECT_EQ(RedAt(image.get(), 258, 0), 5.0f);
    EXPECT_EQ(RedAt(image.get(), 0, 1), 7.0f);
    EXPECT_EQ(RedAt(image.get(), 257, 1), 7.0f);
    EXPECT_EQ(RedAt(image.get(), 258, 1), 0.0f);
}

TEST(DecodeRadiancePixels, ReadsEachScanlineInItsOwnForm) {
    // A flat scanline between two run-length ones: each is recognised on its own.
    std::mt19937 random(3);
    const std::string a = RandomPixels(20, random), b = RandomPixels(20, random),
                      c = RandomPixels(20, random);
    std::string reason;
    const Bitmap mixed =
        Decode("-Y 3 +X 20", RunLengthScanline(a) + b + RunLengthScanline(c), &reason);
    const Bitmap flat = Decode("-Y 3 +X 20", a + b + c, &reason);
    ASSERT_NE(mixed, nullptr) << reason;
    ASSERT_NE(flat, nullptr) << reason;
    for (unsigned y = 0; y < 3; ++y) {
        for (unsigned x = 0; x < 20; ++x) {
            EXPECT_EQ(std::memcmp(&PixelFromTop(mixed.get(), x, y), &PixelFromTop(flat.get(), x, y),
                                  sizeof(FIRGBF)),
                      0);
        }
    }
}

// Pixels identical, byte for byte, in two decoded pictures of one size.
void ExpectSamePixels(FIBITMAP* a, FIBITMAP* b) {
    ASSERT_EQ(FreeImage_GetWidth(a), FreeImage_GetWidth(b));
    ASSERT_EQ(FreeImage_GetHeight(a), FreeImage_GetHeight(b));
    const size_t rowBytes = FreeImage_GetWidth(a) * sizeof(FIRGBF);
    for (unsigned y = 0; y < FreeImage_GetHeight(a); ++y) {
        ASSERT_EQ(std::memcmp(FreeImage_GetScanLine(a, static_cast<int>(y)),
                              FreeImage_GetScanLine(b, static_cast<int>(y)), rowBytes),
                  0)
            << "row " << y;
    }
}

// Flat scanlines of `width` random pixels; scanline `runAt` has pixels 5 to
// 9 stored as old-style repeats of pixel 4 in `withRuns`, and written out in
// `expanded`.
void FlatWithOldStyleRuns(uint32_t width, uint32_t height, uint32_t runAt, std::string* withRuns,
                          std::string* expanded) {
    std::mt19937 random(11);
    const size_t lineBytes = 4 * size_t{width};
    for (uint32_t s = 0; s < height; ++s) {
        std::string line = RandomPixels(width, random);
        if (s == runAt) {
            *withRuns += line.substr(0, 20) + Pixel(1, 1, 1, 5) + line.substr(40);
            for (int x = 5; x < 10; ++x) line.replace(4 * x, 4, line.substr(16, 4));
        } else {
            *withRuns += line;
        }
        *expanded += line;
        ASSERT_EQ(line.size(), lineBytes);
    }
}

// Old-style runs late in a tall picture: the bands before them are decoded
// the quick way, the rest from the start of their band the careful way, and
// the picture equals the same one stored without runs. A fault after them is
// still reported at its own scanline.
TEST(DecodeRadiancePixels, OldStyleRunsLateInThePictureResumeFromTheirBand) {
    std::string withRuns, expanded;
    FlatWithOldStyleRuns(20, 40, 30, &withRuns, &expanded);
    std::string reason;
    const Bitmap runs = Decode("-Y 40 +X 20", withRuns, &reason);
    ASSERT_NE(runs, nullptr) << reason;
    const Bitmap plain = Decode("-Y 40 +X 20", expanded, &reason);
    ASSERT_NE(plain, nullptr) << reason;
    ExpectSamePixels(runs.get(), plain.get());

    EXPECT_EQ(Decode("-Y 40 +X 20", withRuns.substr(0, withRuns.size() - 3 * 80 - 10), &reason),
              nullptr);
    EXPECT_NE(reason.find("scanline 37 ends early"), std::string::npos) << reason;
}

// A file large enough that the pixel data of each decoded band is given back
// while the rest is decoded: the picture is still the library's, and old-
// style runs in its last band are read from data that was kept.
TEST(DecodeRadiancePixels, LargeFilesGiveBackDecodedDataAndStayExact) {
    ScopedTempFolder folder("decoder_large");
    std::string withRuns, expanded;
    FlatWithOldStyleRuns(1500, 1600, 1590, &withRuns, &expanded);
    ASSERT_GT(withRuns.size(), size_t{9} << 20);
    const std::string plainFile = Header("-Y 1600 +X 1500") + expanded;
    const std::string plainPath = folder.File("plain.hdr");
    ASSERT_TRUE(test_support::WriteFileBytes(plainPath, plainFile));
    ExpectSameAsReference(plainPath, plainFile);

    const std::string runsPath = folder.File("runs.hdr");
    ASSERT_TRUE(test_support::WriteFileBytes(runsPath, Header("-Y 1600 +X 1500") + withRuns));
    std::string reason;
    const Bitmap runs(LoadInputImage(runsPath, &reason));
    ASSERT_NE(runs, nullptr) << reason;
    const Bitmap plain(LoadInputImage(plainPath, &reason));
    ASSERT_NE(plain, nullptr) << reason;
    ExpectSamePixels(runs.get(), plain.get());
}

TEST(DecodeRadiancePixels, IgnoresBytesAfterTheLastScanline) {
    ScopedTempFolder folder("decoder_trailing");
    std::mt19937 random(5);
    const std::string pixels = RandomPixels(12 * 3, random);
    std::string data;
    for (int s = 0; s < 3; ++s) data += RunLengthScanline(pixels.substr(48 * s, 48));
    const std::string file = Header("-Y 3 +X 12") + data + std::string(100000, '\x7f');
    const std::string path = folder.File("trailing.hdr");
    ASSERT_TRUE(test_support::WriteFileBytes(path, file));
    ExpectSameAsReference(path, file);
}

struct Broken {
    const char* what;
    std::string resolution;
    std::string data;
    const char* reasonPart;
};

void PrintTo(const Broken& broken, std::ostream* out) { *out << broken.what; }

class BrokenScanlines : public ::testing::TestWithParam<Broken> {};

TEST_P(BrokenScanlines, FailTheWholePicture) {
    std::string reason;
    EXPECT_EQ(Decode(GetParam().resolution, GetParam().data, &reason), nullptr);
    EXPECT_NE(reason.find(GetParam().reasonPart), std::string::npos) << reason;
}

const std::string kMarker10 = {2, 2, 0, 10};

INSTANTIATE_TEST_SUITE_P(
    Packets, BrokenScanlines,
    ::testing::Values(
        Broken{"run past the width", "-Y 1 +X 10", kMarker10 + std::string{char(128 + 11), 5},
               "scanline 1 runs past its width"},
        Broken{"literal past the width", "-Y 1 +X 10",
               kMarker10 + std::string{11} + std::string(11, 'x'), "runs past its width"},
        Broken{"empty literal", "-Y 1 +X 10", kMarker10 + std::string{0, 0}, "empty packet"},
        Broken{"wrong length", "-Y 1 +X 10", std::string{2, 2, 0, 11} + std::string(64, 'x'),
               "different length"},
        Broken{"second scanline missing", "-Y 2 +X 3", std::string(12, 'x') + std::string(4, 'x'),
               "scanline 2 ends early"},
        Broken{"repeat first", "-Y 1 +X 3",
               Pixel(1, 1, 1, 2) + Pixel(5, 0, 0, 136) + Pixel(5, 0, 0, 136),
               "starts with a repeat"},
        Broken{"repeat past the width", "-Y 1 +X 3", Pixel(5, 0, 0, 136) + Pixel(1, 1, 1, 3),
               "runs past its width"},
        Broken{"shifted repeat past the width", "-Y 1 +X 300",
               Pixel(5, 0, 0, 136) + Pixel(1, 1, 1, 1) + Pixel(1, 1, 1, 2), "runs past its width"}),
    [](const ::testing::TestParamInfo<Broken>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) name += *p == ' ' ? '_' : *p;
        return name;
    });

// A file cut anywhere inside its last scanline fails with a reason and never
// gives a picture with black pixels where the data ran out.
TEST(TruncatedData, FailsAtEveryCutInTheLastScanline) {
    ScopedTempFolder folder("decoder_truncated");
    std::mt19937 random(11);
    for (const bool runLength : {true, false}) {
        SCOPED_TRACE(runLength ? "run-length" : "flat");
        std::string data, last;
        for (int s = 0; s < 4; ++s) {
            // Runs and literals both: half the row repeats one pixel.
            std::string pixels = RandomPixels(16, random);
            for (int i = 8; i < 16; ++i) pixels.replace(4 * i, 4, pixels.substr(28, 4));
            last = runLength ? RunLengthScanline(pixels) : pixels;
            data += last;
        }
        const std::string file = Header("-Y 4 +X 16") + data;
        const std::string path = folder.File("cut.hdr");
        ASSERT_TRUE(test_support::WriteFileBytes(path, file));
        std::string reason;
        ASSERT_NE(Bitmap(LoadInputImage(path, &reason)), nullptr) << reason;
        for (size_t cut = file.size() - last.size(); cut < file.size(); ++cut) {
            ASSERT_TRUE(test_support::WriteFileBytes(path, file.substr(0, cut)));
            reason.clear();
            EXPECT_EQ(Bitmap(LoadInputImage(path, &reason)), nullptr) << "cut at " << cut;
            EXPECT_FALSE(reason.empty()) << "cut at " << cut;
        }
    }
}

TEST(TruncatedData, TheSamplePictureWithoutItsLastByteFails) {
    ScopedTempFolder folder("decoder_sample_cut");
    const std::string sample =
        test_support::ReadFileBytes(std::string(ORVEX_TEST_DATA_DIR) + "/../../data/sample.hdr");
    ASSERT_FALSE(sample.empty());
    const std::string path = folder.File("sample.hdr");
    ASSERT_TRUE(test_support::WriteFileBytes(path, sample.substr(0, sample.size() - 1)));
    std::string reason;
    EXPECT_EQ(Bitmap(LoadInputImage(path, &reason)), nullptr);
    EXPECT_NE(reason.find("ends early"), std::string::npos) << reason;
}

}  // namespace
}  // namespace orvex
