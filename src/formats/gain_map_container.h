// A JPEG that keeps the high dynamic range: the ordinary picture (the base)
// followed by a small second JPEG (the gain map) that tells an HDR screen how
// much brighter each area may be shown. The file carries the map's numbers
// twice, as XMP attributes (namespace hdrgm) and as the binary gain-map block
// (APP2 "urn:iso:std:iso:ts:21496:-1"), and indexes both pictures with a
// Multi-Picture Format directory (APP2 "MPF"). Viewers that know none of this
// show the base alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvex {

// The numbers a viewer rebuilds the HDR picture with, for one channel:
//   gain   = GainMapMin + (GainMapMax - GainMapMin) x (byte / 255)^(1 / gamma)   (log2)
//   HDR    = (base + offsetSdr) x 2^(gain x weight) - offsetHdr                  (linear light)
// where weight grows from 0 at a screen headroom of hdrCapacityMin to 1 at
// hdrCapacityMax (both log2). Every value is stored as a fraction with the
// denominator kGainMapDenominator, so the XMP and the binary block hold the
// very same numbers.
struct GainMapMetadata {
    double gainMapMin = 0;
    double gainMapMax = 0;
    double gamma = 1;
    double offsetSdr = 1.0 / 64;
    double offsetHdr = 1.0 / 64;
    double hdrCapacityMin = 0;
    double hdrCapacityMax = 0;
};

inline constexpr uint32_t kGainMapDenominator = 1u << 20;

// `value` rounded to a multiple of 1 / kGainMapDenominator, as the file holds it.
double QuantisedGainValue(double value);

// The binary gain-map block of the map picture (version, flags, headroom and
// the one channel's numbers, big-endian fractions), without its marker and
// name; the primary picture carries only its first four bytes (the version).
std::string GainMapBlock(const GainMapMetadata& metadata);

// The XMP packet of the map picture: the hdrgm values as attributes.
std::string GainMapXmp(const GainMapMetadata& metadata);

// The XMP packet of the primary picture: hdrgm:Version and the container
// directory naming the primary and the gain-map item of `mapLength` bytes.
std::string PrimaryXmp(size_t mapLength);

// The file: `primary` (a JPEG starting with SOI) with the XMP, version block
// and MPF index inserted after its SOI (after a JFIF APP0, when it has one),
// then `map` (a JPEG) with its XMP and binary block. False with a reason in
// `reason` when either is not a JPEG or the sizes exceed what MPF can index.
bool JoinGainMapJpeg(std::string_view primary, std::string_view map,
                     const GainMapMetadata& metadata, std::string* file, std::string* reason);

}  // namespace orvex
