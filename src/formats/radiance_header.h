// The program's own reading of a Radiance header: the checks a file must pass
// before the image library sees a byte of it, and the clean header it is given.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

// The header part (signature line to the empty line) must end within this.
inline constexpr uint64_t kMaxRadianceHeaderBytes = 64 * 1024;
// The resolution line after it must end within this.
inline constexpr uint64_t kMaxResolutionLineBytes = 256;
// No side of a picture may be longer than this (far beyond any camera or
// renderer, and small enough that the reader's row arithmetic cannot wrap).
inline constexpr uint32_t kMaxRadianceSide = 1u << 24;
// Header lines at least this long are dropped from the clean header: the
// reader refuses lines of 256 bytes or more.
inline constexpr size_t kMaxKeptHeaderLine = 200;
// Memory a pixel needs on its way through tone mapping: the 96-bit picture,
// the reader's 96-bit working copy and the 24-bit result.
inline constexpr uint64_t kToneMapBytesPerPixel = 27;

// How the scanlines of a Radiance file lie in the picture, read from its
// resolution string. The standard "-Y N +X M" has all three false.
struct RadianceOrientation {
    bool columns = false;      // scanlines are columns ("+X M -Y N" and friends)
    bool rightToLeft = false;  // "-X": X runs from the right edge
    bool bottomToTop = false;  // "+Y": Y runs from the bottom edge
};

struct RadianceHeader {
    uint32_t width = 0;   // of the picture as seen (the X size)
    uint32_t height = 0;  // of the picture as seen (the Y size)
    RadianceOrientation orientation;
    // Header lines kept for the clean header, without line ends and without
    // the signature and FORMAT lines.
    std::vector<std::string> keptLines;
    uint64_t dataOffset = 0;  // first byte of the scanlines in the file

    uint32_t ScanlineCount() const { return orientation.columns ? width : height; }
    uint32_t ScanlineLength() const { return orientation.columns ? height : width; }
};

// The fewest bytes `count` scanlines of `length` pixels can take in any
// encoding the reader decodes.
uint64_t MinimumPixelDataBytes(uint32_t length, uint32_t count);

// Checks the beginning of a Radiance file (`start`, at least the first
// kMaxRadianceHeaderBytes + kMaxResolutionLineBytes bytes or the whole file)
// of `fileSize` bytes. A picture that needs more than `memoryBytes` to tone-map
// is refused; memoryBytes 0 skips that rule. On failure returns false with a
// short reason.
bool ParseRadianceHeader(std::string_view start, uint64_t fileSize, uint64_t memoryBytes,
                         RadianceHeader* header, std::string* reason);

// Reads the beginning of the open `file` (of `fileSize` bytes) from offset 0
// and checks it against the memory this process can still take. Leaves the file
// position unspecified.
bool ReadRadianceHeader(std::FILE* file, uint64_t fileSize, RadianceHeader* header,
                        std::string* reason);

// The header handed to the reader in place of the file's own: "#?RADIANCE",
// the kept lines, the RGBE FORMAT line, an empty line and the standard
// resolution string for the scanlines as they lie in the file, all with LF
// line ends. The file's pixel data follows it unchanged.
std::string BuildCleanHeader(const RadianceHeader& header);

}  // namespace orvex
