// Tests of the Radiance header checks and the clean header.
#include "formats/radiance_header.h"

#include <gtest/gtest.h>

#include <string>

namespace orvex {
namespace {

constexpr uint64_t kPlentyOfMemory = 1ull << 40;

struct Parsed {
    bool ok = false;
    RadianceHeader header;
    std::string reason;
};

// Parses `text` as the whole file, or as the start of a file of `fileSize`
// bytes when one is given.
Parsed Parse(const std::string& text, uint64_t fileSize = 0, uint64_t memory = kPlentyOfMemory) {
    Parsed parsed;
    parsed.ok = ParseRadianceHeader(text, fileSize ? fileSize : text.size(), memory, &parsed.header,
                                    &parsed.reason);
    return parsed;
}

std::string Header(const std::string& resolution, const std::string& lines = "") {
    return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n" + lines + "\n" + resolution + "\n";
}

// Room for any small picture's pixel data after the header.
std::string WithData(const std::string& header) { return header + std::string(4096, '\x01'); }

TEST(ParseRadianceHeader, TakesAStandardHeaderAndFindsThePixelData) {
    const std::string header = Header("-Y 2 +X 3", "EXPOSURE=1.5\n# made by hand\n");
    const Parsed p = Parse(WithData(header));
    ASSERT_TRUE(p.ok) << p.reason;
    EXPECT_EQ(p.header.width, 3u);
    EXPECT_EQ(p.header.height, 2u);
    EXPECT_FALSE(p.header.orientation.columns);
    EXPECT_FALSE(p.header.orientation.rightToLeft);
    EXPECT_FALSE(p.header.orientation.bottomToTop);
    EXPECT_EQ(p.header.dataOffset, header.size());
    EXPECT_EQ(p.header.keptLines, (std::vector<std::string>{"EXPOSURE=1.5", "# made by hand"}));
}

struct ResolutionCase {
    const char* line;
    uint32_t width, height;
    bool columns, rightToLeft, bottomToTop;
};

void PrintTo(const ResolutionCase& c, std::ostream* out) { *out << c.line; }

class ResolutionStrings : public ::testing::TestWithParam<ResolutionCase> {};

TEST_P(ResolutionStrings, GiveThePictureSizeAndTheLieOfTheScanlines) {
    const ResolutionCase& c = GetParam();
    const Parsed p = Parse(WithData(Header(c.line)));
    ASSERT_TRUE(p.ok) << p.reason;
    EXPECT_EQ(p.header.width, c.width);
    EXPECT_EQ(p.header.height, c.height);
    EXPECT_EQ(p.header.orientation.columns, c.columns);
    EXPECT_EQ(p.header.orientation.rightToLeft, c.rightToLeft);
    EXPECT_EQ(p.header.orientation.bottomToTop, c.bottomToTop);
    EXPECT_EQ(p.header.ScanlineCount(), c.columns ? c.width : c.height);
}

INSTANTIATE_TEST_SUITE_P(
    AllEight, ResolutionStrings,
    ::testing::Values(ResolutionCase{"-Y 20 +X 30", 30, 20, false, false, false},
                      ResolutionCase{"-Y 20 -X 30", 30, 20, false, true, false},
                      ResolutionCase{"+Y 20 -X 30", 30, 20, false, true, true},
                      ResolutionCase{"+Y 20 +X 30", 30, 20, false, false, true},
                      ResolutionCase{"+X 30 -Y 20", 30, 20, true, false, false},
                      ResolutionCase{"+X 30 +Y 20", 30, 20, true, false, true},
                      ResolutionCase{"-X 30 +Y 20", 30, 20, true, true, true},
                      ResolutionCase{"-X 30 -Y 20", 30, 20, true, true, false},
                      ResolutionCase{"  -Y  20\t+X 30 \r", 30, 20, false, false, false}));

TEST(ParseRadianceHeader, RefusesFilesWithoutTheSignature) {
    for (const std::string text : {"#!RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 1\nxxxx",
                                   "RADIANCE\n\n-Y 1 +X 1\nxxxx", "#", "\x89PNG\r\n\x1a\n"}) {
        const Parsed p = Parse(text);
        EXPECT_FALSE(p.ok) << text;
        EXPECT_NE(p.reason.find("signature"), std::string::npos) << p.reason;
    }
    const Parsed empty = Parse("");
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.reason, "the file is empty");
}

TEST(ParseRadianceHeader, AcceptsOnlyRgbePixelsAndAFileWithoutFormatLine) {
    const Parsed xyze = Parse(WithData("#?RADIANCE\nFORMAT=32-bit_rle_xyze\n\n-Y 2 +X 3\n"));
    EXPECT_FALSE(xyze.ok);
    EXPECT_EQ(xyze.reason, "unsupported pixel format \"32-bit_rle_xyze\"");
    EXPECT_FALSE(Parse(WithData("#?RGBE\nFORMAT=\n\n-Y 2 +X 3\n")).ok);
    // Any FORMAT line that is not RGBE refuses the file, even after a good one.
    EXPECT_FALSE(Parse(WithData(Header("-Y 2 +X 3", "FORMAT=ascii\n"))).ok);
    EXPECT_TRUE(Parse(WithData("#?RGBE\nFORMAT= 32-bit_rle_rgbe \t\n\n-Y 2 +X 3\n")).ok);
    EXPECT_TRUE(Parse(WithData("#?RADIANCE\n\n-Y 2 +X 3\n")).ok);
}

TEST(ParseRadianceHeader, TakesCrLfLineEnds) {
    const std::string header =
        "#?RADIANCE\r\nFORMAT=32-bit_rle_rgbe\r\nEXPOSURE=2\r\n\r\n+X 3 -Y 2\r\n";
    const Parsed p = Parse(WithData(header));
    ASSERT_TRUE(p.ok) << p.reason;
    EXPECT_EQ(p.header.dataOffset, header.size());
    EXPECT_EQ(p.header.keptLines, (std::vector<std::string>{"EXPOSURE=2"}));
    EXPECT_TRUE(p.header.orientation.columns);
}

TEST(ParseRadianceHeader, DropsLongLinesAndLinesWithControlBytes) {
    const std::string comment300 = "# " + std::string(298, 'x');
    const std::string lines = comment300 + "\n" + std::string("GAMMA=2.2\n") +
                              std::string("\0abc\n", 5) + "# tab\tis fine\n" +
                              std::string(kMaxKeptHeaderLine - 1, 'k') + "\n";
    const Parsed p = Parse(WithData(Header("-Y 2 +X 3", lines)));
    ASSERT_TRUE(p.ok) << p.reason;
    EXPECT_EQ(p.header.keptLines,
              (std::vector<std::string>{"GAMMA=2.2", "# tab\tis fine",
                                        std::string(kMaxKeptHeaderLine - 1, 'k')}));
}

TEST(ParseRadianceHeader, WantsTheHeaderToEndWithin64KiB) {
    std::string lines;
    while (lines.size() < kMaxRadianceHeaderBytes) lines += "# a comment line\n";
    const Parsed tooLong = Parse(WithData(Header("-Y 2 +X 3", lines)));
    EXPECT_FALSE(tooLong.ok);
    EXPECT_EQ(tooLong.reason, "the header has no end within 64 KiB");

    // "#?RADIANCE\n", one long line and the empty line: exactly 64 KiB.
    const std::string filler(kMaxRadianceHeaderBytes - 13, '#');
    ASSERT_EQ(("#?RADIANCE\n" + filler + "\n\n").size(), kMaxRadianceHeaderBytes);
    EXPECT_TRUE(Parse(WithData("#?RADIANCE\n" + filler + "\n\n-Y 2 +X 3\n")).ok);
    EXPECT_FALSE(Parse(WithData("#?RADIANCE\n#" + filler + "\n\n-Y 2 +X 3\n")).ok);

    const Parsed cut = Parse("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\nEXPOSURE=1");
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.reason, "the file ends inside the header");
}

struct BadResolution {
    std::string tail;  // everything after the empty line
    const char* reasonStart;
};

void PrintTo(const BadResolution& c, std::ostream* out) { *out << c.tail.substr(0, 30); }

class BadResolutions : public ::testing::TestWithParam<BadResolution> {};

TEST_P(BadResolutions, AreRefusedWithAReason) {
    const Parsed p = Parse("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n" + GetParam().tail);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.reason.rfind(GetParam().reasonStart, 0), 0u) << p.reason;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadResolutions,
    ::testing::Values(BadResolution{"", "the resolution line is missing"},
                      BadResolution{"-Y 2 +X\n" + std::string(64, 'a'), "unreadable resolution"},
                      BadResolution{"-Y 2 -Y 3\n" + std::string(64, 'a'), "unreadable"},
                      BadResolution{"+Z 2 +X 3\n" + std::string(64, 'a'), "unreadable"},
                      BadResolution{"-Y two +X 3\n" + std::string(64, 'a'), "unreadable"},
                      BadResolution{"-Y 2 +X 3 4\n" + std::string(64, 'a'), "unreadable"},
                      BadResolution{"-Y 2 +X 3x\n" + std::string(64, 'a'), "unreadable"},
                      BadResolution{"-Y 0 +X 3\n" + std::string(64, 'a'), "zero picture size"},
                      BadResolution{"-Y 2 +X 0\n" + std::string(64, 'a'), "zero picture size"},
                      BadResolution{"-Y 2 +X -3\n" + std::string(64, 'a'), "negative picture size"},
                      BadResolution{"-Y -2 +X 3\n" + std::string(64, 'a'), "negative picture size"},
                      BadResolution{"-Y 99999999999999999999 +X 3\n", "impossible picture size"},
                      BadResolution{"-Y 16777217 +X 1\n", "impossible picture size"},
                      BadResolution{"-Y 2 +X 3", "unreadable resolution"},
                      BadResolution{std::string(300, ' ') + "-Y 2 +X 3\n", "unreadable"}));

TEST(MinimumPixelDataBytes, IsFlatForShortAndLongScanlinesAndRunLengthBetween) {
    EXPECT_EQ(MinimumPixelDataBytes(1, 1), 4u);
    EXPECT_EQ(MinimumPixelDataBytes(7, 3), 3u * 28);
    EXPECT_EQ(MinimumPixelDataBytes(8, 1), 12u);  // marker + 4 planes of one packet
    EXPECT_EQ(MinimumPixelDataBytes(127, 1), 12u);
    EXPECT_EQ(MinimumPixelDataBytes(128, 1), 20u);  // two packets a plane
    EXPECT_EQ(MinimumPixelDataBytes(32767, 2), 2u * (4 + 8 * 259));
    EXPECT_EQ(MinimumPixelDataBytes(32768, 1), 4u * 32768);
    EXPECT_EQ(MinimumPixelDataBytes(kMaxRadianceSide, kMaxRadianceSide),
              4ull * kMaxRadianceSide * kMaxRadianceSide);
}

TEST(ParseRadianceHeader, RefusesAFileTooShortForItsDeclaredPicture) {
    const std::string header = Header("-Y 4 +X 16");
    const uint64_t needed = MinimumPixelDataBytes(16, 4);
    EXPECT_TRUE(Parse(header + std::string(needed, 'a')).ok);
    const Parsed shorter = Parse(header + std::string(needed - 1, 'a'));
    EXPECT_FALSE(shorter.ok);
    EXPECT_EQ(shorter.reason, "the file is too short for a 16 x 4 picture");

    // Scanlines that are columns are as long as the picture is high.
    const std::string columns = Header("+X 4 -Y 200");
    EXPECT_FALSE(Parse(columns + std::string(MinimumPixelDataBytes(200, 4) - 1, 'a')).ok);
    EXPECT_TRUE(Parse(columns + std::string(MinimumPixelDataBytes(200, 4), 'a')).ok);

    const Parsed huge = Parse(Header("-Y 100000 +X 100000") + "abcdefgh");
    EXPECT_FALSE(huge.ok);
    EXPECT_EQ(huge.reason, "the file is too short for a 100000 x 100000 picture");
}

TEST(ParseRadianceHeader, RefusesAPictureTooLargeToToneMapInMemory) {
    const std::string header = Header("-Y 1000 +X 1000");
    const uint64_t fileSize = header.size() + 4'000'000;  // a flat picture's worth
    const uint64_t needed = 1000ull * 1000 * kToneMapBytesPerPixel;
    EXPECT_TRUE(Parse(header, fileSize, needed).ok);
    const Parsed p = Parse(header, fileSize, needed - 1);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.reason, "a 1000 x 1000 picture needs 26 MiB of memory, but only 26 MiB is available");
}

// The guard once compared with physical memory: a valid file declaring
// 32767 x 28500 passed on a 24 GiB machine with far less of it free.
TEST(ParseRadianceHeader, MemoryGuardRefusesAHugeValidPictureWithTheSizesNamed) {
    const std::string header = Header("-Y 28500 +X 32767");
    const uint64_t fileSize = header.size() + MinimumPixelDataBytes(32767, 28500);
    const Parsed p = Parse(header, fileSize, uint64_t{8} << 30);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.reason,
              "a 32767 x 28500 picture needs 23 GiB of memory, but only 8.0 GiB is available");
}

TEST(ParseRadianceHeader, QuotesHostileTextShortAndWithoutControlBytes) {
    const Parsed p = Parse("#?R\nFORMAT=\x1b[31m" + std::string(100, 'z') + "\n\n-Y 1 +X 1\nabcd");
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.reason, "unsupported pixel format \"?[31m" + std::string(35, 'z') + "...\"");
}

TEST(BuildCleanHeader, WritesKeptLinesFormatAndTheStandardResolution) {
    const Parsed p =
        Parse(WithData("#?RGBE\r\nGAMMA=1\r\nFORMAT=32-bit_rle_rgbe\r\n# c\r\n\r\n"
                       "-Y 2 -X 3\r\n"));
    ASSERT_TRUE(p.ok) << p.reason;
    EXPECT_EQ(BuildCleanHeader(p.header),
              "#?RADIANCE\nGAMMA=1\n# c\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 3\n");

    // Columns: the reader is told of as many scanlines as the picture is wide.
    const Parsed columns = Parse(WithData(Header("-X 30 +Y 20")));
    ASSERT_TRUE(columns.ok) << columns.reason;
    EXPECT_EQ(BuildCleanHeader(columns.header),
              "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 30 +X 20\n");
}

}  // namespace
}  // namespace orvex
