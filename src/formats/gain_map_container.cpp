// The gain-map JPEG's container. The primary picture gains three segments
// after its SOI (after its JFIF APP0, when it has one):
//
//   APP1  "http://ns.adobe.com/xap/1.0/\0"  XMP: hdrgm:Version, the container directory
//   APP2  "urn:iso:std:iso:ts:21496:-1\0"   the binary block's version (4 bytes)
//   APP2  "MPF\0"                           the Multi-Picture index of both pictures
//
// and the map picture, appended after the primary's EOI, gains two:
//
//   APP1  XMP: the hdrgm values as attributes
//   APP2  the full binary block
//
// MPF offsets are counted from the MPF segment's TIFF header (the byte after
// "MPF\0"); the primary's own entry has offset 0 and the whole primary's size.
#include "formats/gain_map_container.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace orvex {
namespace {

constexpr std::string_view kXmpName("http://ns.adobe.com/xap/1.0/\0", 29);
constexpr std::string_view kBlockName("urn:iso:std:iso:ts:21496:-1\0", 28);
constexpr std::string_view kMpfName("MPF\0", 4);
// A segment's length field counts itself and the payload, at most 65535.
constexpr size_t kMaxSegmentPayload = 65533;

// The MPF payload after its name: TIFF header (8), an IFD of three entries
// (2 + 3 x 12 + 4) and two 16-byte image entries.
constexpr uint32_t kMpEntriesOffset = 8 + 2 + 3 * 12 + 4;
constexpr size_t kMpfTiffBytes = kMpEntriesOffset + 2 * 16;

void PutU16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

void PutU32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A fraction of kGainMapDenominator: a signed or unsigned numerator, then the
// denominator.
void PutFraction(std::string& out, double value) {
    const long long numerator = std::llround(QuantisedGainValue(value) * kGainMapDenominator);
    PutU32(out, static_cast<uint32_t>(static_cast<int32_t>(numerator)));
    PutU32(out, kGainMapDenominator);
}

// An APPn segment: marker, length, then `name` and `body`.
std::string Segment(unsigned marker, std::string_view name, std::string_view body) {
    std::string segment;
    segment.reserve(4 + name.size() + body.size());
    segment.push_back(static_cast<char>(0xFF));
    segment.push_back(static_cast<char>(marker));
    PutU16(segment, static_cast<uint32_t>(2 + name.size() + body.size()));
    segment.append(name).append(body);
    return segment;
}

// The shortest decimal that reads back as exactly `value` ("3", "0.015625").
std::string Decimal(double value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc{}) return "0";
    return std::string(buffer, end);
}

std::string XmpPacket(const std::string& description) {
    return "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n" +
           description +
           " </rdf:RDF>\n"
           "</x:xmpmeta>\n";
}

// The MPF index of a primary of `primarySize` bytes whose TIFF header starts
// `tiffStart` bytes into the file, followed by a map of `mapSize` bytes.
std::string MpfPayload(uint32_t primarySize, uint32_t mapSize, uint32_t tiffStart) {
    std::string tiff;
    tiff.reserve(kMpfTiffBytes);
    tiff.append("MM");
    PutU16(tiff, 0x002A);
    PutU32(tiff, 8);  // the IFD right after the header
    PutU16(tiff, 3);  // entries
    PutU16(tiff, 0xB000), PutU16(tiff, 7), PutU32(tiff, 4), tiff.append("0100");  // MPFVersion
    PutU16(tiff, 0xB001), PutU16(tiff, 4), PutU32(tiff, 1), PutU32(tiff, 2);     // NumberOfImages
    PutU16(tiff, 0xB002), PutU16(tiff, 7), PutU32(tiff, 32), PutU32(tiff, kMpEntriesOffset);
    PutU32(tiff, 0);  // no next IFD
    // The primary: representative, JPEG, baseline MP primary image.
    PutU32(tiff, 0x20030000), PutU32(tiff, primarySize), PutU32(tiff, 0), PutU32(tiff, 0);
    // The map: a JPEG of no particular MP type.
    PutU32(tiff, 0), PutU32(tiff, mapSize), PutU32(tiff, primarySize - tiffStart), PutU32(tiff, 0);
    return tiff;
}

bool IsJpeg(std::string_view bytes) {
    return bytes.size() >= 4 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8;
}

// Where the segments go in a JPEG: after SOI, and after a JFIF APP0 that
// must stay first.
size_t InsertionPoint(std::string_view jpeg) {
    size_t at = 2;
    if (jpeg.size() >= at + 9 && static_cast<unsigned char>(jpeg[at]) == 0xFF &&
        static_cast<unsigned char>(jpeg[at + 1]) == 0xE0 && jpeg.substr(at + 4, 5) == std::string_view("JFIF\0", 5)) {
        const size_t length = (static_cast<size_t>(static_cast<unsigned char>(jpeg[at + 2])) << 8) |
                              static_cast<unsigned char>(jpeg[at + 3]);
        if (at + 2 + length <= jpeg.size()) at += 2 + length;
    }
    return at;
}

bool Fail(std::string* reason, const char* text) {
    if (reason) *reason = text;
    return false;
}

}  // namespace

double QuantisedGainValue(double value) {
    if (!std::isfinite(value)) return 0;
    const double limit = static_cast<double>(std::numeric_limits<int32_t>::max()) / kGainMapDenominator;
    value = std::fmax(-limit, std::fmin(limit, value));
    return static_cast<double>(std::llround(value * kGainMapDenominator)) / kGainMapDenominator;
}

std::string GainMapBlock(const GainMapMetadata& m) {
    std::string block;
    PutU16(block, 0);  // the version a reader must know
    PutU16(block, 0);  // the version written
    block.push_back(static_cast<char>(0x40));  // one channel, in the base's colour space
    PutFraction(block, m.hdrCapacityMin);      // the base's headroom
    PutFraction(block, m.hdrCapacityMax);      // the HDR rendition's headroom
    PutFraction(block, m.gainMapMin);
    PutFraction(block, m.gainMapMax);
    PutFraction(block, m.gamma);
    PutFraction(block, m.offsetSdr);
    PutFraction(block, m.offsetHdr);
    return block;
}

std::string GainMapXmp(const GainMapMetadata& m) {
    const auto attribute = [](const char* name, double value) {
        return std::string("    hdrgm:") + name + "=\"" + Decimal(QuantisedGainValue(value)) + "\"\n";
    };
    return XmpPacket(
        "  <rdf:Description rdf:about=\"\"\n"
        "    xmlns:hdrgm=\"http://ns.adobe.com/hdr-gain-map/1.0/\"\n"
        "    hdrgm:Version=\"1.0\"\n" +
        attribute("GainMapMin", m.gainMapMin) + attribute("GainMapMax", m.gainMapMax) +
        attribute("Gamma", m.gamma) + attribute("OffsetSDR", m.offsetSdr) +
        attribute("OffsetHDR", m.offsetHdr) + attribute("HDRCapacityMin", m.hdrCapacityMin) +
        attribute("HDRCapacityMax", m.hdrCapacityMax) +
        "    hdrgm:BaseRenditionIsHDR=\"False\"/>\n");
}

std::string PrimaryXmp(size_t mapLength) {
    return XmpPacket(
        "  <rdf:Description rdf:about=\"\"\n"
        "    xmlns:Container=\"http://ns.google.com/photos/1.0/container/\"\n"
        "    xmlns:Item=\"http://ns.google.com/photos/1.0/container/item/\"\n"
        "    xmlns:hdrgm=\"http://ns.adobe.com/hdr-gain-map/1.0/\"\n"
        "    hdrgm:Version=\"1.0\">\n"
        "   <Container:Directory>\n"
        "    <rdf:Seq>\n"
        "     <rdf:li rdf:parseType=\"Resource\">\n"
        "      <Container:Item Item:Semantic=\"Primary\" Item:Mime=\"image/jpeg\"/>\n"
        "     </rdf:li>\n"
        "     <rdf:li rdf:parseType=\"Resource\">\n"
        "      <Container:Item Item:Semantic=\"GainMap\" Item:Mime=\"image/jpeg\" Item:Length=\"" +
        std::to_string(mapLength) +
        "\"/>\n"
        "     </rdf:li>\n"
        "    </rdf:Seq>\n"
        "   </Container:Directory>\n"
        "  </rdf:Description>\n");
}

bool JoinGainMapJpeg(std::string_view primary, std::string_view map,
                     const GainMapMetadata& metadata, std::string* file, std::string* reason) {
    if (!IsJpeg(primary) || !IsJpeg(map)) return Fail(reason, "the gain map's pictures are not JPEG");

    // The map: its own XMP and block first.
    const std::string mapXmp = GainMapXmp(metadata);
    const std::string mapBlock = GainMapBlock(metadata);
    const size_t mapAt = InsertionPoint(map);
    const std::string mapHead =
        Segment(0xE1, kXmpName, mapXmp) + Segment(0xE2, kBlockName, mapBlock);
    const size_t mapSize = map.size() + mapHead.size();

    // The primary's segments; the MPF index is of fixed size, so every offset
    // is known before it is written.
    const std::string primaryXmp = PrimaryXmp(mapSize);
    if (primaryXmp.size() + kXmpName.size() > kMaxSegmentPayload)
        return Fail(reason, "the gain map's XMP packet is too large");
    const std::string head = Segment(0xE1, kXmpName, primaryXmp) +
                             Segment(0xE2, kBlockName, mapBlock.substr(0, 4));
    const size_t primaryAt = InsertionPoint(primary);
    const size_t mpfSegment = 4 + kMpfName.size() + kMpfTiffBytes;
    const size_t primarySize = primary.size() + head.size() + mpfSegment;
    const size_t tiffStart = primaryAt + head.size() + 4 + kMpfName.size();
    if (primarySize + mapSize > std::numeric_limits<uint32_t>::max())
        return Fail(reason, "the file is too large for a gain map's index");
    const std::string mpf = Segment(
        0xE2, kMpfName,
        MpfPayload(static_cast<uint32_t>(primarySize), static_cast<uint32_t>(mapSize),
                   static_cast<uint32_t>(tiffStart)));

    std::string joined;
    joined.reserve(primarySize + mapSize);
    joined.append(primary.substr(0, primaryAt)).append(head).append(mpf);
    joined.append(primary.substr(primaryAt));
    joined.append(map.substr(0, mapAt)).append(mapHead).append(map.substr(mapAt));
    *file = std::move(joined);
    return true;
}

}  // namespace orvex
