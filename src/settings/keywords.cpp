// The keyword families as data, walked in table order in both directions.
#include "settings/keywords.h"

#include <array>
#include <utility>
#include <vector>

#include "text/unicode_case.h"

namespace orvex {
namespace {

using Pair = std::pair<const char*, int32_t>;
using Family = std::vector<Pair>;

const std::array<Family, 23>& Families() {
    static const std::array<Family, 23> families{{
        /* 0 */ {{"AUTO", 0}, {"BGRA", 1}, {"RGBA", 2}},
        /* 1 */ {{"AUTO", 0}, {"8", 1}, {"16", 2}, {"24", 3}, {"48HS", 4}, {"48", 5}},
        /* 2 */ {{"ALL", 0}, {"FIRST", 1}, {"MIDDLE", 2}, {"LAST", 3}, {"RANDOM", 4}},
        /* 3 */ {{"NONE", 0}, {"LINEAR", 1}, {"AL", 2}, {"DRR", 3}, {"GD", 4}},
        /* 4 */
        {{"NONE", 0}, {"RLE", 1}, {"ZIP", 1}, {"PIZ", 2}, {"PXR24", 3}, {"B44", 4},
         {"ZLIB1", 1}, {"ZLIB6", 2}, {"ZLIB9", 3}, {"CCITTFAX3", 1}, {"CCITTFAX4", 2},
         {"PACKBITS", 3}, {"DEFLATE", 4}, {"ADOBEDEFLATE", 5}, {"LZW", 6}, {"JPEG", 7},
         {"LOGLUV", 8}},
        /* 5 */ {{"AUTO", 0}, {"EXACT", 1}},
        /* 6 */ {{"RGB", 0}, {"CMYK", 1}, {"LAB", 2}},
        /* 7 */ {{"NONE", 0}, {"LOW", 1}, {"MEDIUM", 2}, {"HIGH", 3}},
        /* 8 */ {{"STANDARD", 0}, {"SIMPLE", 1}, {"OPTIMIZED", 2}, {"PROGRESSIVE", 3}},
        /* 9 */ {{"SIMPLE", 0}, {"ADVANCED", 1}},
        /* 10 */ {{"PIXELS", 0}, {"PERCENT", 1}},
        /* 11 */ {{"ALLIMAGES", 0}, {"LARGEIMAGES", 1}},
        /* 12 */
        {{"BOX", 0}, {"BILINEAR", 1}, {"BSPLINE", 2}, {"BICUBIC", 3}, {"CATMULLROM", 4},
         {"LANCZOS", 5}},
        /* 13 */
        {{"FS", 0}, {"BAYER4", 1}, {"BAYER8", 2}, {"BAYER16", 3}, {"CLUSTER6", 4},
         {"CLUSTER8", 5}, {"CLUSTER16", 6}},
        /* 14 */ {{"NONE", 0}, {"SOLID", 1}},
        /* 15 */ {{"NONE", 0}, {"TEXT", 1}, {"IMAGE", 2}},
        /* 16 */ {{"REGULAR", 0}, {"BOLD", 1}, {"ITALIC", 2}, {"BOLDITALIC", 3}},
        /* 17 */ {{"NONE", 0}, {"UNDERLINE", 1}, {"STRIKETHROUGHT", 2}},
        /* 18 */ {{"LEFT", 0}, {"CENTER", 1}, {"RIGHT", 2}},
        /* 19 */ {{"IMAGE", 0}, {"FRAME", 1}},
        /* 20 */
        {{"TOPLEFT", 0}, {"TOPCENTER", 1}, {"TOPRIGHT", 2}, {"MIDDLELEFT", 3},
         {"MIDDLECENTER", 4}, {"MIDDLERIGHT", 5}, {"BOTTOMLEFT", 6}, {"BOTTOMCENTER", 7},
         {"BOTTOMRIGHT", 8}},
        /* 21 */ {{"FIXED", 0}},
        /* 22 */ {{"CURRENT", 0}, {"ORIGINAL", 1}, {"CUSTOM", 2}},
    }};
    return families;
}

bool IsKnownFamily(int family) { return family >= 0 && family < 23; }

}  // namespace

int32_t ParseKeyword(int family, std::string_view word) {
    // Families 14 and 15 exist only for printing; the console sets those
    // fields through the options that switch their step on.
    if (!IsKnownFamily(family) || family == kFrameType || family == kWatermarkType) return 0;
    const std::string upper = ToUpperUtf8(word);
    for (const auto& [keyword, number] : Families()[static_cast<size_t>(family)]) {
        if (upper == keyword) return number;
    }
    return 0;
}

bool IsKeyword(int family, std::string_view word) {
    if (!IsKnownFamily(family) || family == kFrameType || family == kWatermarkType) return false;
    const std::string upper = ToUpperUtf8(word);
    for (const auto& pair : Families()[static_cast<size_t>(family)]) {
        if (upper == pair.first) return true;
    }
    return false;
}

std::vector<std::string> KeywordWords(int family) {
    std::vector<std::string> words;
    if (!IsKnownFamily(family) || family == kFrameType || family == kWatermarkType) return words;
    for (const auto& pair : Families()[static_cast<size_t>(family)]) words.emplace_back(pair.first);
    return words;
}

std::string KeywordName(int family, int32_t value) {
    if (!IsKnownFamily(family)) return "";
    for (const auto& [keyword, number] : Families()[static_cast<size_t>(family)]) {
        if (number == value) return keyword;
    }
    return "";
}

std::string CompressionKeywordName(CompressionWriter writer, int32_t value) {
    if (value == 0) return "NONE";
    static const std::vector<const char*> bmp{"RLE"};
    static const std::vector<const char*> exr{"ZIP", "PIZ", "PXR24", "B44"};
    static const std::vector<const char*> png{"ZLIB1", "ZLIB6", "ZLIB9"};
    static const std::vector<const char*> tiff{"CCITTFAX3", "CCITTFAX4", "PACKBITS", "DEFLATE",
                                               "ADOBEDEFLATE", "LZW", "JPEG", "LOGLUV"};
    const std::vector<const char*>* words = &bmp;
    switch (writer) {
        case CompressionWriter::Bmp:
        case CompressionWriter::Tga: words = &bmp; break;
        case CompressionWriter::Exr: words = &exr; break;
        case CompressionWriter::Png: words = &png; break;
        case CompressionWriter::Tiff: words = &tiff; break;
    }
    if (value < 1 || static_cast<size_t>(value) > words->size()) return "";
    return (*words)[static_cast<size_t>(value - 1)];
}

}  // namespace orvex
