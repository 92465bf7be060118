// The keyword families: the words that name enumerated option values on the
// command line and in the console's debug report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

enum KeywordFamily : int {
    kDdsLoadMode = 0,
    kRawLoadDepth = 1,
    kFrameChoice = 2,
    kToneMapping = 3,
    kCompression = 4,
    kColourTable = 5,
    kColourModel = 6,
    kChromaSubsampling = 7,
    kJpegSaveMode = 8,
    kRotationType = 9,
    kSizeUnit = 10,
    kResizeScope = 11,
    kResizeFilter = 12,
    kDitherAlgorithm = 13,
    kFrameType = 14,
    kWatermarkType = 15,
    kFontStyle = 16,
    kFontEffect = 17,
    kTextAlignment = 18,
    kBoundary = 19,
    kPosition = 20,
    kSizeMode = 21,
    kTimestampSource = 22,
};

// The number of `word` in `family`; the word is upper-cased (full Unicode)
// but not trimmed. Unknown words, and the print-only families 14 and 15,
// give 0.
int32_t ParseKeyword(int family, std::string_view word);

// Whether `word` (upper-cased as ParseKeyword does) is a word of `family`.
// The print-only families 14 and 15 know no word.
bool IsKeyword(int family, std::string_view word);

// The words of `family` in table order, as the console accepts them.
std::vector<std::string> KeywordWords(int family);

// The first word of `family` whose number is `value`, or "" when there is none.
std::string KeywordName(int family, int32_t value);

// Writers whose compression setting shares family 4.
enum class CompressionWriter { Bmp, Exr, Png, Tga, Tiff };

// The compression word as the given writer understands `value`
// (ZIP for EXR 1, CCITTFAX3 for TIFF 1, RLE for BMP 1); "" when none.
std::string CompressionKeywordName(CompressionWriter writer, int32_t value);

}  // namespace orvex
