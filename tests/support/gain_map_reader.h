// A reader of gain-map JPEGs of the tests' own, written from the file layout
// and not from the writer's code: it walks the primary's segments, splits
// the file by the MPF index, reads both XMP packets and the binary block, and
// says what it found wrong.
#pragma once

#include <string>
#include <string_view>

namespace orvex::test_support {

// The numbers of one form of the metadata (NaN where it is missing).
struct GainMapNumbers {
    double gainMapMin, gainMapMax, gamma, offsetSdr, offsetHdr, capacityMin, capacityMax;
};

struct GainMapParts {
    std::string primary;  // the primary JPEG, SOI to EOI, as MPF entry 1 gives it
    std::string map;      // the gain-map JPEG, as MPF entry 2 gives it
    std::string primaryXmp, mapXmp;
    long itemLength = -1;           // the container directory's length of the map
    bool primaryHasVersion = false;  // the primary's 4-byte binary block, version 0
    bool baseIsHdrFalse = false;     // hdrgm:BaseRenditionIsHDR="False"
    int channels = 0;                // of the binary block
    GainMapNumbers fromXmp{}, fromBlock{};
};

// False with `why` when the file is not a well-formed gain-map JPEG.
bool SplitGainMapJpeg(std::string_view file, GainMapParts* parts, std::string* why);

// The primary with the gain-map segments (hdrgm XMP, binary block, MPF)
// taken out again: the bytes the writer gave before they were joined.
std::string WithoutGainMapSegments(std::string_view primary);

}  // namespace orvex::test_support
