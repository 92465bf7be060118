#include "support/gain_map_reader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <vector>

namespace orvex::test_support {
namespace {

constexpr std::string_view kXmpName("http://ns.adobe.com/xap/1.0/\0", 29);
constexpr std::string_view kBlockName("urn:iso:std:iso:ts:21496:-1\0", 28);
constexpr std::string_view kMpfName("MPF\0", 4);

uint32_t Byte(std::string_view s, size_t at) { return static_cast<unsigned char>(s[at]); }
uint32_t U16(std::string_view s, size_t at) { return Byte(s, at) << 8 | Byte(s, at + 1); }
uint32_t U32(std::string_view s, size_t at) { return U16(s, at) << 16 | U16(s, at + 2); }

struct Segment {
    unsigned marker;
    std::string_view payload;
};

// The APPn segments after SOI up to the first non-APP marker.
bool Segments(std::string_view jpeg, std::vector<Segment>* out) {
    if (jpeg.size() < 4 || Byte(jpeg, 0) != 0xFF || Byte(jpeg, 1) != 0xD8) return false;
    size_t at = 2;
    while (at + 4 <= jpeg.size() && Byte(jpeg, at) == 0xFF && Byte(jpeg, at + 1) >= 0xE0 &&
           Byte(jpeg, at + 1) <= 0xEF) {
        const size_t length = U16(jpeg, at + 2);
        if (length < 2 || at + 2 + length > jpeg.size()) return false;
        out->push_back({Byte(jpeg, at + 1), jpeg.substr(at + 4, length - 2)});
        at += 2 + length;
    }
    return true;
}

double Attribute(const std::string& xmp, const char* name) {
    const std::regex pattern(std::string("hdrgm:") + name + "=\"([^\"]*)\"");
    std::smatch match;
    if (!std::regex_search(xmp, match, pattern)) return NAN;
    return std::strtod(match[1].str().c_str(), nullptr);
}

double Fraction(std::string_view block, size_t at, bool isSigned) {
    const uint32_t n = U32(block, at), d = U32(block, at + 4);
    const double numerator = isSigned ? static_cast<double>(static_cast<int32_t>(n)) : n;
    return d == 0 ? NAN : numerator / d;
}

bool Fail(std::string* why, const std::string& text) {
    *why = text;
    return false;
}

}  // namespace

bool SplitGainMapJpeg(std::string_view file, GainMapParts* parts, std::string* why) {
    std::vector<Segment> head;
    if (!Segments(file, &head)) return Fail(why, "the primary's segments cannot be walked");
    size_t tiffStart = 0;
    std::string_view mpf;
    for (const Segment& s : head) {
        if (s.marker == 0xE1 && s.payload.substr(0, kXmpName.size()) == kXmpName)
            parts->primaryXmp = std::string(s.payload.substr(kXmpName.size()));
        if (s.marker == 0xE2 && s.payload.substr(0, kBlockName.size()) == kBlockName)
            parts->primaryHasVersion = s.payload.size() == kBlockName.size() + 4 &&
                                       U32(s.payload, kBlockName.size()) == 0;
        if (s.marker == 0xE2 && s.payload.substr(0, 4) == kMpfName) {
            mpf = s.payload.substr(4);
            tiffStart = static_cast<size_t>(mpf.data() - file.data());
        }
    }
    if (mpf.size() < 16 || mpf.substr(0, 4) != std::string_view("MM\0\x2A", 4))
        return Fail(why, "no big-endian MPF index");
    const uint32_t ifd = U32(mpf, 4);
    const uint32_t count = U16(mpf, ifd);
    uint32_t images = 0, entries = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + 12 * i;
        if (U16(mpf, entry) == 0xB001) images = U32(mpf, entry + 8);
        if (U16(mpf, entry) == 0xB002) entries = U32(mpf, entry + 8);
    }
    if (images != 2 || entries == 0 || entries + 32 > mpf.size())
        return Fail(why, "the MPF index does not list two pictures");
    const uint32_t primarySize = U32(mpf, entries + 4), primaryOffset = U32(mpf, entries + 8);
    const uint32_t mapSize = U32(mpf, entries + 16 + 4), mapOffset = U32(mpf, entries + 16 + 8);
    if (primaryOffset != 0 || primarySize > file.size() ||
        tiffStart + mapOffset + mapSize != file.size())
        return Fail(why, "the MPF entries do not cover the file");
    parts->primary = std::string(file.substr(0, primarySize));
    parts->map = std::string(file.substr(tiffStart + mapOffset, mapSize));
    if (U16(parts->primary, primarySize - 2) != 0xFFD9) return Fail(why, "the primary does not end with EOI");

    std::vector<Segment> mapHead;
    if (!Segments(parts->map, &mapHead)) return Fail(why, "the map is not a JPEG");
    std::string_view block;
    for (const Segment& s : mapHead) {
        if (s.marker == 0xE1 && s.payload.substr(0, kXmpName.size()) == kXmpName)
            parts->mapXmp = std::string(s.payload.substr(kXmpName.size()));
        if (s.marker == 0xE2 && s.payload.substr(0, kBlockName.size()) == kBlockName)
            block = s.payload.substr(kBlockName.size());
    }
    std::smatch match;
    if (std::regex_search(parts->primaryXmp, match,
                          std::regex("Item:Semantic=\"GainMap\"[^>]*Item:Length=\"([0-9]+)\"")))
        parts->itemLength = std::stol(match[1].str());
    if (parts->primaryXmp.find("hdrgm:Version=\"1.0\"") == std::string::npos)
        return Fail(why, "the primary's XMP has no hdrgm:Version");
    parts->baseIsHdrFalse =
        parts->mapXmp.find("hdrgm:BaseRenditionIsHDR=\"False\"") != std::string::npos;
    GainMapNumbers& x = parts->fromXmp;
    x = {Attribute(parts->mapXmp, "GainMapMin"), Attribute(parts->mapXmp, "GainMapMax"),
         Attribute(parts->mapXmp, "Gamma"),      Attribute(parts->mapXmp, "OffsetSDR"),
         Attribute(parts->mapXmp, "OffsetHDR"),  Attribute(parts->mapXmp, "HDRCapacityMin"),
         Attribute(parts->mapXmp, "HDRCapacityMax")};
    // Version (2 + 2), flags, two headrooms, then per channel five fractions.
    if (block.size() < 5 + 16 || U16(block, 0) != 0) return Fail(why, "no binary block in the map");
    parts->channels = (Byte(block, 4) & 0x80) ? 3 : 1;
    if (block.size() != 5 + 16 + 40u * parts->channels) return Fail(why, "the binary block's size is wrong");
    GainMapNumbers& b = parts->fromBlock;
    b.capacityMin = Fraction(block, 5, false);
    b.capacityMax = Fraction(block, 13, false);
    b.gainMapMin = Fraction(block, 21, true);
    b.gainMapMax = Fraction(block, 29, true);
    b.gamma = Fraction(block, 37, false);
    b.offsetSdr = Fraction(block, 45, true);
    b.offsetHdr = Fraction(block, 53, true);
    return true;
}

std::string WithoutGainMapSegments(std::string_view primary) {
    std::vector<Segment> head;
    if (!Segments(primary, &head)) return {};
    std::string out(primary.substr(0, 2));
    size_t at = 2;
    for (const Segment& s : head) {
        const size_t length = 4 + s.payload.size();
        const bool ours = (s.marker == 0xE1 && s.payload.substr(0, kXmpName.size()) == kXmpName) ||
                          (s.marker == 0xE2 && (s.payload.substr(0, kBlockName.size()) == kBlockName ||
                                                s.payload.substr(0, 4) == kMpfName));
        if (!ours) out.append(primary.substr(at, length));
        at += length;
    }
    out.append(primary.substr(at));
    return out;
}

}  // namespace orvex::test_support
