// Tests of the program's JPEG writer against FreeImage's: the same file in one
// piece, the same pixels and markers when cut into strips, refusals and
// library errors that come back as messages.
#include "formats/jpeg_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "formats/bitmap.h"
#include "formats/image_io.h"
#include "support/temp_folder.h"

namespace orvex {
namespace {

using test_support::ReadFileBytes;
using test_support::ScopedTempFolder;

// ---- Pictures ----------------------------------------------------------------------

// Photograph-like content: smooth shading, fine texture and hard edges, in a
// size that is no multiple of any MCU so the padded edges are covered too.
Bitmap MakeColourPicture(int width, int height) {
    Bitmap image = AdoptBitmap(FreeImage_Allocate(width, height, 24));
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image.get(), y);
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 27) - 16;
            const bool inside =
                (x - width / 3) * (x - width / 3) + (y - height / 2) * (y - height / 2) <
                (height / 4) * (height / 4);
            const double shade = 0.5 + 0.5 * std::sin(x * 0.05) * std::cos(y * 0.07);
            const auto clamp = [](double v) {
                return static_cast<BYTE>(std::min(255.0, std::max(0.0, v)));
            };
            row[3 * x + FI_RGBA_RED] = clamp((inside ? 220 : 60) + 30 * shade + noise);
            row[3 * x + FI_RGBA_GREEN] = clamp(120 * shade + (x % 37 < 3 ? 90 : 0) + noise);
            row[3 * x + FI_RGBA_BLUE] = clamp(255 * y / height - (inside ? 80 : 0) + noise);
        }
    }
    return image;
}

Bitmap Grey(const Bitmap& colour) {
    return AdoptBitmap(FreeImage_ConvertToGreyscale(colour.get()));
}

// The bundled sample tone-mapped by FreeImage: a picture like the program's own output.
Bitmap SamplePicture() {
    const Bitmap hdr = LoadInputImage(std::string(ORVEX_TEST_DATA_DIR) + "/../../data/sample.hdr");
    return hdr ? AdoptBitmap(FreeImage_TmoDrago03(hdr.get(), 1.0, 0.0)) : Bitmap();
}

// ---- Files -------------------------------------------------------------------------

std::string ReferenceFile(FIBITMAP* image, int flags) {
    FIMEMORY* memory = FreeImage_OpenMemory(nullptr, 0);
    std::string bytes;
    BYTE* data = nullptr;
    DWORD size = 0;
    if (FreeImage_SaveToMemory(FIF_JPEG, image, memory, flags) &&
        FreeImage_AcquireMemory(memory, &data, &size)) {
        bytes.assign(reinterpret_cast<const char*>(data), size);
    }
    FreeImage_CloseMemory(memory);
    return bytes;
}

std::string OurFile(FIBITMAP* image, int flags, JpegCut cut) {
    JpegFile file;
    std::string message;
    EXPECT_TRUE(EncodeJpeg(image, flags, &file, &message, cut)) << message;
    return file.Join();
}

// The bytes the writer hands over while it compresses, put together.
std::string StreamedFile(FIBITMAP* image, int flags, JpegCut cut) {
    std::string bytes;
    std::string message;
    EXPECT_TRUE(StreamJpeg(
        image, flags,
        [&bytes](std::string_view piece) {
            bytes.append(piece);
            return true;
        },
        &message, cut))
        << message;
    return bytes;
}

// The decoded pixels, row after row without padding; empty when the file
// does not decode.
std::string DecodedPixels(const std::string& jpeg) {
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(jpeg.data())),
                                            static_cast<DWORD>(jpeg.size()));
    const Bitmap image = AdoptBitmap(FreeImage_LoadFromMemory(FIF_JPEG, memory, 0));
    FreeImage_CloseMemory(memory);
    std::string pixels;
    if (!image) return pixels;
    const unsigned rowBytes = FreeImage_GetLine(image.get());
    for (unsigned y = 0; y < FreeImage_GetHeight(image.get()); ++y) {
        pixels.append(reinterpret_cast<const char*>(FreeImage_GetScanLine(image.get(), y)),
                      rowBytes);
    }
    return pixels;
}

// The markers a user can see, read from the file's segments, and the
// restart markers found in the compressed data.
struct Markers {
    int frameType = -1;         // 0xC0 baseline, 0xC1 extended, 0xC2 progressive
    std::vector<int> sampling;  // h * 16 + v of each component
    std::map<int, std::string> quantTables;
    std::set<int> appMarkers;
    int comments = 0;
    int restartInterval = 0;
    std::vector<int> restarts;  // 0..7 in the order met
    bool endsWithEoi = false;
};

Markers ReadMarkers(const std::string& file) {
    Markers markers;
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(file[at]); };
    size_t at = 2;
    while (at + 4 <= file.size() && byte(at) == 0xFF) {
        const int marker = byte(at + 1);
        const size_t length = (byte(at + 2) << 8) | byte(at + 3);
        const std::string body = file.substr(at + 4, length - 2);
        if (marker >= 0xE0 && marker <= 0xEF) markers.appMarkers.insert(marker);
        if (marker == 0xFE) ++markers.comments;
        if (marker == 0xDD) markers.restartInterval = (byte(at + 4) << 8) | byte(at + 5);
        if (marker == 0xDB) {
            for (size_t t = 0; t + 65 <= body.size(); t += 65) {
                markers.quantTables[body[t] & 0x0F] = body.substr(t + 1, 64);
            }
        }
        if (marker >= 0xC0 && marker <= 0xC2) {
            markers.frameType = marker;
            for (int c = 0; c < static_cast<unsigned char>(body[5]); ++c) {
                markers.sampling.push_back(static_cast<unsigned char>(body[7 + 3 * c]));
            }
        }
        at += 2 + length;
        if (marker == 0xDA) break;
    }
    for (; at + 1 < file.size(); ++at) {
        if (byte(at) != 0xFF || byte(at + 1) == 0x00) continue;
        if (byte(at + 1) >= 0xD0 && byte(at + 1) <= 0xD7)
            markers.restarts.push_back(byte(at + 1) - 0xD0);
        if (byte(at + 1) == 0xD9) markers.endsWithEoi = at + 2 == file.size();
    }
    return markers;
}

void ExpectSameVisibleMarkers(const Markers& ours, const Markers& reference) {
    EXPECT_EQ(ours.frameType, reference.frameType);
    EXPECT_EQ(ours.sampling, reference.sampling);
    EXPECT_EQ(ours.quantTables, reference.quantTables);
    EXPECT_EQ(ours.appMarkers, reference.appMarkers);
    EXPECT_EQ(ours.comments, reference.comments);
    EXPECT_TRUE(ours.endsWithEoi);
}

// ---- Every setting against FreeImage's writer --------------------------------------

constexpr int kSubsamplings[] = {JPEG_SUBSAMPLING_444, JPEG_SUBSAMPLING_422, JPEG_SUBSAMPLING_420,
                                 JPEG_SUBSAMPLING_411};
// Standard, bare baseline, optimised tables, progressive.
constexpr int kModes[] = {0, JPEG_BASELINE, JPEG_OPTIMIZE, JPEG_PROGRESSIVE};

class EverySetting : public ::testing::TestWithParam<std::tuple<int, int, int, bool>> {
  protected:
    static void SetUpTestSuite() {
        s_colour = new Bitmap(MakeColourPicture(203, 157));
        s_grey = new Bitmap(Grey(*s_colour));
    }
    static void TearDownTestSuite() {
        delete s_colour;
        delete s_grey;
    }
    static Bitmap* s_colour;
    static Bitmap* s_grey;
};
Bitmap* EverySetting::s_colour = nullptr;
Bitmap* EverySetting::s_grey = nullptr;

// One piece is FreeImage's file byte for byte. Strips of one MCU row each
// (the most restarts, numbering wrapped many times) decode to the same pixels
// with the same markers plus the restart interval; progressive files stay
// one piece.
TEST_P(EverySetting, OnePieceIsTheLibrarysFileAndStripsDecodeAlike) {
    const auto [quality, subsampling, mode, colour] = GetParam();
    FIBITMAP* image = colour ? s_colour->get() : s_grey->get();
    const int flags = quality | subsampling | mode;
    const std::string reference = ReferenceFile(image, flags);
    ASSERT_FALSE(reference.empty());

    EXPECT_EQ(OurFile(image, flags, JpegCut::OnePiece()), reference);

    const std::string strips = OurFile(image, flags, JpegCut::Strips(1));
    EXPECT_EQ(StreamedFile(image, flags, JpegCut::Strips(1)), strips);
    const Markers ours = ReadMarkers(strips);
    ExpectSameVisibleMarkers(ours, ReadMarkers(reference));
    EXPECT_EQ(DecodedPixels(strips), DecodedPixels(reference));
    if (mode == JPEG_PROGRESSIVE) {
        EXPECT_EQ(strips, reference);
        return;
    }
    const int mcuHeight = colour && subsampling == JPEG_SUBSAMPLING_420 ? 16 : 8;
    const int mcuWidth = !colour || subsampling == JPEG_SUBSAMPLING_444 ? 8
                         : subsampling == JPEG_SUBSAMPLING_411          ? 32
                                                                        : 16;
    const int stripCount = (157 + mcuHeight - 1) / mcuHeight;
    EXPECT_EQ(ours.restartInterval, (203 + mcuWidth - 1) / mcuWidth);
    ASSERT_EQ(ours.restarts.size(), static_cast<size_t>(stripCount - 1));
    for (size_t i = 0; i < ours.restarts.size(); ++i)
        EXPECT_EQ(ours.restarts[i], static_cast<int>(i % 8));
}

INSTANTIATE_TEST_SUITE_P(QualitySubsamplingModeAndDepth, EverySetting,
                         ::testing::Combine(::testing::Values(1, 50, 75, 95, 100),
                                            ::testing::ValuesIn(kSubsamplings),
                                            ::testing::ValuesIn(kModes), ::testing::Bool()));

// The program's own kind of picture, in every mode and subsampling, cut as the
// writer cuts it and into strips of a few rows.
TEST(JpegWriter, ATonemappedSampleDecodesAsTheLibrarysFile) {
    const Bitmap sample = SamplePicture();
    ASSERT_NE(sample, nullptr);
    for (int mode : kModes) {
        for (int subsampling : kSubsamplings) {
            const int flags = 95 | subsampling | mode;
            const std::string reference = ReferenceFile(sample.get(), flags);
            SCOPED_TRACE(flags);
            EXPECT_EQ(OurFile(sample.get(), flags, JpegCut::Auto()), reference);
            const std::string strips = OurFile(sample.get(), flags, JpegCut::Strips(3));
            ExpectSameVisibleMarkers(ReadMarkers(strips), ReadMarkers(reference));
            EXPECT_EQ(DecodedPixels(strips), DecodedPixels(reference));
        }
    }
}

// Flags that name no subsampling, or no quality, mean FreeImage's defaults
// (the library's 2 x 2 subsampling, quality 75), as the desktop's own saves use.
TEST(JpegWriter, FlagsWithoutSubsamplingOrQualityMeanTheLibrarysDefaults) {
    const Bitmap picture = MakeColourPicture(150, 100);
    for (int flags : {0, 90, JPEG_QUALITYSUPERB, JPEG_QUALITYBAD | JPEG_OPTIMIZE}) {
        const std::string reference = ReferenceFile(picture.get(), flags);
        EXPECT_EQ(OurFile(picture.get(), flags, JpegCut::OnePiece()), reference) << flags;
        EXPECT_EQ(DecodedPixels(OurFile(picture.get(), flags, JpegCut::Strips(1))),
                  DecodedPixels(reference))
            << flags;
    }
}

// Merged statistics really give optimised tables: smaller than the standard
// tables' file of the same strips, and the same pixels.
TEST(JpegWriter, OptimisedStripsShareTablesBuiltFromAllStrips) {
    const Bitmap picture = MakeColourPicture(320, 240);
    const int flags = 90 | JPEG_SUBSAMPLING_420;
    const std::string standard = OurFile(picture.get(), flags, JpegCut::Strips(2));
    const std::string optimised = OurFile(picture.get(), flags | JPEG_OPTIMIZE, JpegCut::Strips(2));
    EXPECT_LT(optimised.size(), standard.size() * 98 / 100);
    EXPECT_EQ(DecodedPixels(optimised), DecodedPixels(standard));
    // Only the Huffman tables differ from the one-piece optimised file.
    EXPECT_EQ(DecodedPixels(optimised),
              DecodedPixels(OurFile(picture.get(), flags | JPEG_OPTIMIZE, JpegCut::OnePiece())));
}

// A large picture is cut by the writer itself; a small one is not.
TEST(JpegWriter, CutsLargePicturesAndKeepsSmallOnesWhole) {
    const Bitmap large = MakeColourPicture(1500, 1000);
    const int flags = 95 | JPEG_SUBSAMPLING_444;
    const std::string cut = OurFile(large.get(), flags, JpegCut::Auto());
    EXPECT_GT(ReadMarkers(cut).restarts.size(), 1u);
    EXPECT_EQ(DecodedPixels(cut), DecodedPixels(ReferenceFile(large.get(), flags)));

    const Bitmap small = MakeColourPicture(300, 200);
    EXPECT_EQ(OurFile(small.get(), flags, JpegCut::Auto()), ReferenceFile(small.get(), flags));
}

// The restart interval is a 16-bit count of MCUs: a picture as wide as JPEG
// allows is cut into strips that stay below it, and one piece stays one piece.
TEST(JpegWriter, StripsOfTheWidestPicturesKeepTheRestartIntervalInRange) {
    const Bitmap wide = AdoptBitmap(FreeImage_Allocate(65500, 80, 8));
    for (unsigned y = 0; y < 80; ++y) {
        BYTE* row = FreeImage_GetScanLine(wide.get(), y);
        for (unsigned x = 0; x < 65500; ++x)
            row[x] = static_cast<BYTE>((x * 7 + y * 13) ^ (x >> 5));
    }
    const int flags = 75;
    const std::string reference = ReferenceFile(wide.get(), flags);
    EXPECT_EQ(OurFile(wide.get(), flags, JpegCut::OnePiece()), reference);
    // Nine of the ten MCU rows asked for, eight given: 8 x 8188 MCUs.
    const std::string strips = OurFile(wide.get(), flags, JpegCut::Strips(9));
    const Markers markers = ReadMarkers(strips);
    EXPECT_EQ(markers.restartInterval, 8 * 8188);
    EXPECT_EQ(markers.restarts.size(), 1u);
    EXPECT_EQ(DecodedPixels(strips), DecodedPixels(reference));
}

// Palette and inverted grey pictures are converted row by row as FreeImage
// converts them.
TEST(JpegWriter, PaletteAndInvertedGreyPicturesMatchTheLibrary) {
    const Bitmap colour = MakeColourPicture(120, 90);
    const Bitmap palette = AdoptBitmap(FreeImage_ColorQuantize(colour.get(), FIQ_WUQUANT));
    Bitmap inverted = Grey(colour);
    RGBQUAD* entries = FreeImage_GetPalette(inverted.get());
    for (int i = 0; i < 256; ++i) {
        entries[i].rgbRed = entries[i].rgbGreen = entries[i].rgbBlue = static_cast<BYTE>(255 - i);
    }
    ASSERT_EQ(FreeImage_GetColorType(palette.get()), FIC_PALETTE);
    ASSERT_EQ(FreeImage_GetColorType(inverted.get()), FIC_MINISWHITE);
    for (FIBITMAP* image : {palette.get(), inverted.get()}) {
        const int flags = 80 | JPEG_SUBSAMPLING_422;
        const std::string reference = ReferenceFile(image, flags);
        EXPECT_EQ(OurFile(image, flags, JpegCut::OnePiece()), reference);
        EXPECT_EQ(DecodedPixels(OurFile(image, flags, JpegCut::Strips(1))),
                  DecodedPixels(reference));
    }
}

// ---- Refusals and library errors -----------------------------------------------

TEST(JpegWriter, RefusesDepthsItDoesNotTakeWithTheLibrarysMessage) {
    JpegFile file;
    std::string message;
    const Bitmap rgba = AdoptBitmap(FreeImage_Allocate(16, 16, 32));
    EXPECT_FALSE(EncodeJpeg(rgba.get(), 95, &file, &message));
    EXPECT_NE(message.find("only 24-bit highcolor or 8-bit greyscale"), std::string::npos)
        << message;
    const Bitmap floats = AdoptBitmap(FreeImage_AllocateT(FIT_RGBF, 16, 16));
    EXPECT_FALSE(EncodeJpeg(floats.get(), 95, &file, &message));
    EXPECT_TRUE(file.Pieces().empty());
}

// A picture wider than JPEG allows makes the library raise an error inside
// the compression; it must come back as a message, in one piece and in
// strips, leave no file, and leave the writer working.
TEST(JpegWriter, ALibraryErrorComesBackAsAMessageAndLeavesNoFile) {
    const Bitmap wide = AdoptBitmap(FreeImage_Allocate(65501, 16, 8));
    for (JpegCut cut : {JpegCut::OnePiece(), JpegCut::Strips(1)}) {
        JpegFile file;
        std::string message;
        EXPECT_FALSE(EncodeJpeg(wide.get(), 95, &file, &message, cut));
        EXPECT_NE(message.find("65500"), std::string::npos) << message;
    }

    ScopedTempFolder folder{"jpeg"};
    std::string reason;
    EXPECT_FALSE(SaveImage(wide.get(), folder.File("wide.jpg"), FIF_JPEG, 95, &reason));
    EXPECT_NE(reason.find("the writer could not save the picture (Maximum supported image"),
              std::string::npos)
        << reason;
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));

    const Bitmap fine = MakeColourPicture(40, 30);
    EXPECT_TRUE(SaveImage(fine.get(), folder.File("fine.jpg"), FIF_JPEG, 95, &reason)) << reason;
}

// Strips are handed over in order as they are finished, whichever core
// finished them: the streamed file is the kept one, byte for byte, every
// time. A sink that refuses bytes stops the encode and hears nothing more.
TEST(JpegWriter, StreamedStripsComeInOrderAndStopWhenRefused) {
    const Bitmap picture = MakeColourPicture(1500, 1000);
    for (int flags : {95 | JPEG_SUBSAMPLING_444, 75 | JPEG_SUBSAMPLING_420 | JPEG_OPTIMIZE,
                      90 | JPEG_PROGRESSIVE}) {
        SCOPED_TRACE(flags);
        const std::string kept = OurFile(picture.get(), flags, JpegCut::Strips(2));
        for (int run = 0; run < 20; ++run)
            ASSERT_EQ(StreamedFile(picture.get(), flags, JpegCut::Strips(2)), kept);
        EXPECT_EQ(StreamedFile(picture.get(), flags, JpegCut::Auto()),
                  OurFile(picture.get(), flags, JpegCut::Auto()));

        for (size_t refuseAt : {size_t{0}, kept.size() / 2, kept.size() - 1}) {
            size_t taken = 0;
            int callsAfterRefusal = 0;
            bool refused = false;
            std::string message;
            const bool encoded = StreamJpeg(
                picture.get(), flags,
                [&](std::string_view piece) {
                    if (refused) ++callsAfterRefusal;
                    if (taken + piece.size() > refuseAt) {
                        refused = true;
                        return false;
                    }
                    taken += piece.size();
                    return true;
                },
                &message, JpegCut::Strips(2));
            EXPECT_FALSE(encoded);
            EXPECT_TRUE(refused);
            EXPECT_EQ(callsAfterRefusal, 0);
            EXPECT_EQ(message, "the compressed data could not be written");
        }
    }
}

// A write that fails part-way through a large picture (a file size limit
// stands in for a full disk) fails the save with the system's reason and
// leaves nothing behind, not even while strips were still being compressed.
TEST(JpegWriter, AWriteFailingPartWayLeavesNoFile) {
    const Bitmap picture = MakeColourPicture(1500, 1000);
    ScopedTempFolder folder{"jpeg"};
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 300 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string reason;
    const bool saved1 = SaveImage(picture.get(), folder.File("big.jpg"), FIF_JPEG,
                                  100 | JPEG_SUBSAMPLING_444, &reason);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved1);
    EXPECT_NE(reason.find("the output file could not be written: "), std::string::npos) << reason;
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));

    // Without the limit the same save is complete and decodes as the library's file.
    ASSERT_TRUE(SaveImage(picture.get(), folder.File("big.jpg"), FIF_JPEG,
                          100 | JPEG_SUBSAMPLING_444, &reason))
        << reason;
    EXPECT_EQ(DecodedPixels(ReadFileBytes(folder.File("big.jpg"))),
              DecodedPixels(ReferenceFile(picture.get(), 100 | JPEG_SUBSAMPLING_444)));
}

// Pictures that carry metadata are written by FreeImage, which copies it.
TEST(JpegWriter, PicturesWithMetadataKeepIt) {
    const Bitmap picture = MakeColourPicture(64, 48);
    EXPECT_TRUE(JpegWriterTakes(picture.get()));
    FITAG* tag = FreeImage_CreateTag();
    const char comment[] = "kept";
    FreeImage_SetTagKey(tag, "Comment");
    FreeImage_SetTagType(tag, FIDT_ASCII);
    FreeImage_SetTagCount(tag, sizeof comment);
    FreeImage_SetTagLength(tag, sizeof comment);
    FreeImage_SetTagValue(tag, comment);
    FreeImage_SetMetadata(FIMD_COMMENTS, picture.get(), "Comment", tag);
    FreeImage_DeleteTag(tag);
    EXPECT_FALSE(JpegWriterTakes(picture.get()));

    ScopedTempFolder folder{"jpeg"};
    ASSERT_TRUE(SaveImage(picture.get(), folder.File("c.jpg"), FIF_JPEG, 95));
    EXPECT_EQ(ReadMarkers(ReadFileBytes(folder.File("c.jpg"))).comments, 1);
}

}  // namespace
}  // namespace orvex
