#include "settings/keywords.h"

#include <gtest/gtest.h>

namespace orvex {
namespace {

TEST(ParseKeyword, IsCaseInsensitiveAndFallsBackToTheFirstValue) {
    EXPECT_EQ(ParseKeyword(kResizeFilter, "bicubic"), 3);
    EXPECT_EQ(ParseKeyword(kResizeFilter, "BiCubic"), 3);
    EXPECT_EQ(ParseKeyword(kResizeFilter, "cubic"), 0);
    EXPECT_EQ(ParseKeyword(kResizeFilter, " BICUBIC"), 0);  // no trimming here
    EXPECT_EQ(ParseKeyword(kPosition, "bottomright"), 8);
}

TEST(ParseKeyword, DigitWordsAndSharedCompressionNumbers) {
    EXPECT_EQ(ParseKeyword(kRawLoadDepth, "48"), 5);
    EXPECT_EQ(ParseKeyword(kRawLoadDepth, "48HS"), 4);
    EXPECT_EQ(ParseKeyword(kRawLoadDepth, "48hs"), 4);
    EXPECT_EQ(ParseKeyword(kCompression, "LZW"), 6);
    EXPECT_EQ(ParseKeyword(kCompression, "ZIP"), 1);
    EXPECT_EQ(ParseKeyword(kCompression, "RLE"), 1);
    EXPECT_EQ(ParseKeyword(kCompression, "zlib9"), 3);
}

TEST(ParseKeyword, SingleWordAndPrintOnlyAndUnknownFamilies) {
    EXPECT_EQ(ParseKeyword(kSizeMode, "FIXED"), 0);
    EXPECT_EQ(ParseKeyword(kSizeMode, "anything"), 0);
    EXPECT_EQ(ParseKeyword(kFrameType, "SOLID"), 0);
    EXPECT_EQ(ParseKeyword(kWatermarkType, "IMAGE"), 0);
    EXPECT_EQ(ParseKeyword(23, "NONE"), 0);
    EXPECT_EQ(ParseKeyword(-1, "NONE"), 0);
}

TEST(ParseKeyword, UpperCasesBeyondAscii) {
    // "ſ" (long s) upper-cases to "S" under full Unicode rules.
    EXPECT_EQ(ParseKeyword(kFontStyle, "bold"), 1);
    EXPECT_EQ(ParseKeyword(kDitherAlgorithm, "\u017Fs"), 0);  // "SS" is not a word
    EXPECT_EQ(ParseKeyword(kTextAlignment, "ri\u0261ht"), 0);
    EXPECT_EQ(ParseKeyword(kTimestampSource, "cu\u017Ftom"), 2);
}

TEST(KeywordName, FindsTheFirstWordOfANumber) {
    EXPECT_EQ(KeywordName(kPosition, 8), "BOTTOMRIGHT");
    EXPECT_EQ(KeywordName(kChromaSubsampling, 9), "");
    EXPECT_EQ(KeywordName(kFrameType, 1), "SOLID");
    EXPECT_EQ(KeywordName(kWatermarkType, 2), "IMAGE");
    EXPECT_EQ(KeywordName(kCompression, 1), "RLE");
    EXPECT_EQ(KeywordName(30, 0), "");
}

TEST(CompressionKeywordName, NamesTheWordOfTheWriterShown) {
    EXPECT_EQ(CompressionKeywordName(CompressionWriter::Exr, 1), "ZIP");
    EXPECT_EQ(CompressionKeywordName(CompressionWriter::Tiff, 1), "CCITTFAX3");
    EXPECT_EQ(CompressionKeywordName(CompressionWriter::Tiff, 8), "LOGLUV");
    EXPECT_EQ(CompressionKeywordName(CompressionWriter::Png, 3), "ZLIB9");
    EXPECT_EQ(CompressionKeywordName(CompressionWriter::Tga, 1), "RLE");
    EXPECT_EQ(CompressionKeywordName(CompressionWriter::Bmp, 0), "NONE");
    EXPECT_EQ(CompressionKeywordName(CompressionWriter::Bmp, 2), "");
}

}  // namespace
}  // namespace orvex
