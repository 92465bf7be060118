// Tests of naming a file's kind from its first bytes.
#include "formats/file_type.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/hdr_writer.h"

namespace orvex {
namespace {

using test_support::ScopedTempFolder;
using test_support::WriteFileBytes;

struct Sample {
    const char* label;
    std::string bytes;
    const char* expected;
};

void PrintTo(const Sample& sample, std::ostream* out) { *out << sample.label; }

class FileTypeSamples : public ::testing::TestWithParam<Sample> {
protected:
    ScopedTempFolder folder{"file_type"};
};

TEST_P(FileTypeSamples, AreNamedByTheirFirstBytesWhateverTheirExtension) {
    const std::string path = folder.File("input.hdr");
    ASSERT_TRUE(WriteFileBytes(path, GetParam().bytes));
    EXPECT_EQ(IdentifyFileType(path), GetParam().expected);
}

// A literal with its embedded NUL bytes.
template <size_t N>
std::string Raw(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::string Bytes(std::initializer_list<int> values) {
    std::string text;
    for (int v : values) text.push_back(static_cast<char>(v));
    return text;
}

// JPEG with an Exif block: FF D8 FF E1, the segment length, "Exif" and two zeros.
const std::string kExif = Bytes({0xFF, 0xD8, 0xFF, 0xE1, 0x12, 0x34}) + Raw("Exif\0\0") + "MM";

INSTANTIATE_TEST_SUITE_P(
    Kinds, FileTypeSamples,
    ::testing::Values(
        // Valid Radiance files were once named unrecognized on the debug line.
        Sample{"RadianceNamedHdrNotUnrecognized",
               "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 1\n", "HDR"},
        Sample{"RadianceSoftwareSignature", "#?RGBE\n", "HDR"},
        Sample{"HashWithoutQuestionMark", "#!RADIANCE\n", kUnrecognizedFileType},
        Sample{"Png", Raw("\x89PNG\r\n\x1a\n\0\0\0\rIHDR"), "PNG"},
        Sample{"ThreeJpegBytes", Bytes({0xFF, 0xD8, 0xFF}), kUnrecognizedFileType},
        Sample{"Jpg", Bytes({0xFF, 0xD8, 0xFF, 0xDB}), "JPG"},
        Sample{"Jfif", Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}) + Raw("JFIF\0\x01"), "JPEG/JFIF"},
        Sample{"JfifCutShort", Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}) + "JFIF",
               kUnrecognizedFileType},
        Sample{"Exif", kExif, "JPEG/EXIF"},
        Sample{"ExifWithoutTag", Bytes({0xFF, 0xD8, 0xFF, 0xE1, 0, 0}) + Raw("Abcd\0\0"),
               kUnrecognizedFileType},
        Sample{"Id3", Raw("ID3\x03\0\0\0\0\x0f\x76"), "MP3/ID3V2"},
        Sample{"Mp3Frame", Bytes({0xFF, 0xFB, 0x90, 0x64}), "MP3"},
        Sample{"Flv", Raw("FLV\x01\x05\0\0\0\x09"), "FLV"},
        Sample{"LittleEndianTiff", Bytes({0x49, 0x49, 0x2A, 0, 8, 0, 0, 0}), "TIFF (LE)"},
        Sample{"Cr2WinsOverTiff", Bytes({0x49, 0x49, 0x2A, 0, 0x10, 0, 0, 0, 0x43, 0x52, 2, 0}),
               "CR2"},
        Sample{"BigEndianTiff", Bytes({0x4D, 0x4D, 0, 0x2A}), "TIFF (BE)"},
        Sample{"Wav", Raw("RIFF\x24\x08\0\0WAVEfmt "), "WAV"},
        Sample{"Webp", Raw("RIFF\x24\x08\0\0WEBPVP8 "), "WEBP"},
        Sample{"Avi", Raw("RIFF\x24\x08\0\0AVI LIST"), "AVI"},
        Sample{"Ani", Raw("RIFF\0\0\0\0ACON"), "ANI"},
        Sample{"RiffOfUnknownKind", Raw("RIFF\x24\x08\0\0RMID"), kUnrecognizedFileType},
        Sample{"RiffCutBeforeItsKind", Raw("RIFF\x24\x08\0\0WA"), kUnrecognizedFileType},
        Sample{"Djvu", Raw("AT&TFORM\0\0\0\0DJVM"), "DJVU"},
        Sample{"Bmp", Raw("BM\x36\x10\0\0"), "BMP"}, Sample{"Blend", "BLENDER-v279", "BLEND"},
        Sample{"Zip", Raw("PK\x03\x04\x14\0"), "ZIP"},
        Sample{"Rar5", Raw("Rar!\x1a\x07\x01\0"), "RAR (5.0+)"},
        Sample{"Rar4", Raw("Rar!\x1a\x07\0\xcf"), "RAR (1.5+)"},
        Sample{"Ico", Raw("\0\0\x01\0\x01\0"), "ICO"},
        Sample{"Sqlite", Raw("SQLite format 3\0"), "SQLITE/DB"},
        Sample{"Sqlite15BytesOnly", "SQLite format 3", kUnrecognizedFileType},
        Sample{"JavaClass", Bytes({0xCA, 0xFE, 0xBA, 0xBE}), "CLASS"},
        Sample{"Pdf", "%PDF-1.7\n", "PDF"},
        Sample{"PlainText", "hello world", kUnrecognizedFileType},
        Sample{"OneByte", "B", kUnrecognizedFileType}),
    [](const ::testing::TestParamInfo<Sample>& info) { return info.param.label; });

TEST(IdentifyFileType, ReadsOnlyTheFirstTwentyBytes) {
    ScopedTempFolder folder("file_type_long");
    const std::string path = folder.File("big.bin");
    ASSERT_TRUE(WriteFileBytes(path, "\x89PNG\r\n\x1a\n" + std::string(100000, 'x')));
    EXPECT_EQ(IdentifyFileType(path), "PNG");
}

TEST(IdentifyFileType, MissingEmptyAndUnreadableFilesAreUnrecognized) {
    ScopedTempFolder folder("file_type_fail");
    EXPECT_EQ(IdentifyFileType(folder.File("missing.hdr")), kUnrecognizedFileType);
    ASSERT_TRUE(WriteFileBytes(folder.File("empty.hdr"), ""));
    EXPECT_EQ(IdentifyFileType(folder.File("empty.hdr")), kUnrecognizedFileType);
    EXPECT_EQ(IdentifyFileType(folder.Path()), kUnrecognizedFileType);  // a folder
    // A FIFO without a writer must not keep the caller waiting.
    const std::string fifo = folder.File("fifo.hdr");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(IdentifyFileType(fifo), kUnrecognizedFileType);
    EXPECT_EQ(IdentifyFileType(""), kUnrecognizedFileType);
}

}  // namespace
}  // namespace orvex
