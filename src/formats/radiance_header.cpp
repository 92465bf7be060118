// Reading and checking a Radiance header, and writing the clean header the
// image library's reader is given instead of the file's own.
#include "formats/radiance_header.h"

#include <algorithm>
#include <cstring>

#include "formats/memory_guard.h"
#include "platform/available_memory.h"
#include "text/trim.h"

namespace orvex {
namespace {

constexpr std::string_view kRgbeFormat = "32-bit_rle_rgbe";

// A piece of the file quoted in a reason: at most 40 bytes, control bytes
// shown as "?", so a hostile header cannot flood or garble the debug output.
std::string Quote(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text.substr(0, 40)) {
        const auto byte = static_cast<unsigned char>(c);
        quoted += (byte < 0x20 || byte == 0x7F) ? '?' : c;
    }
    if (text.size() > 40) quoted += "...";
    return quoted + "\"";
}

// Blanks around a header line's words.
constexpr std::string_view kHeaderBlanks = " \t\r";

// A line is worth keeping when the reader can take it as it stands: shorter
// than its line buffer and free of control bytes (a line starting with a NUL
// byte would end its header early).
bool IsKeepable(std::string_view line) {
    if (line.size() >= kMaxKeptHeaderLine) return false;
    return std::none_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t') || byte == 0x7F;
    });
}

std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        size_t end = pos;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
        if (end > pos) words.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

// An axis word: "+X", "-X", "+Y" or "-Y".
bool ParseAxis(std::string_view word, char* axis, bool* positive) {
    if (word.size() != 2 || (word[0] != '+' && word[0] != '-')) return false;
    if (word[1] != 'X' && word[1] != 'Y') return false;
    *axis = word[1];
    *positive = word[0] == '+';
    return true;
}

enum class SizeWord { kOk, kBad, kZero, kNegative, kTooLarge };

SizeWord ParseSize(std::string_view word, uint32_t* size) {
    bool negative = false;
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) {
        negative = word[0] == '-';
        word.remove_prefix(1);
    }
    if (word.empty()) return SizeWord::kBad;
    uint64_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return SizeWord::kBad;
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'), 1ull << 40);
    }
    if (value == 0) return SizeWord::kZero;
    if (negative) return SizeWord::kNegative;
    if (value > kMaxRadianceSide) return SizeWord::kTooLarge;
    *size = static_cast<uint32_t>(value);
    return SizeWord::kOk;
}

// "-Y N +X M" and its seven turned and mirrored relatives: the first axis
// is the one the scanlines step along, the second the one within a scanline.
bool ParseResolution(std::string_view line, RadianceHeader* header, std::string* reason) {
    const std::vector<std::string_view> words = SplitWords(Trim(line, kHeaderBlanks));
    char firstAxis = 0, secondAxis = 0;
    bool firstPositive = false, secondPositive = false;
    if (words.size() != 4 || !ParseAxis(words[0], &firstAxis, &firstPositive) ||
        !ParseAxis(words[2], &secondAxis, &secondPositive) || firstAxis == secondAxis) {
        *reason = "unreadable resolution line " + Quote(line);
        return false;
    }
    uint32_t sizes[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        switch (ParseSize(words[1 + 2 * i], &sizes[i])) {
            case SizeWord::kOk:
                break;
            case SizeWord::kBad:
                *reason = "unreadable resolution line " + Quote(line);
                return false;
            case SizeWord::kZero:
                *reason = "zero picture size in " + Quote(line);
                return false;
            case SizeWord::kNegative:
                *reason = "negative picture size in " + Quote(line);
                return false;
            case SizeWord::kTooLarge:
                *reason = "impossible picture size in " + Quote(line);
                return false;
        }
    }
    const bool yFirst = firstAxis == 'Y';
    header->height = yFirst ? sizes[0] : sizes[1];
    header->width = yFirst ? sizes[1] : sizes[0];
    header->orientation.columns = !yFirst;
    header->orientation.rightToLeft = yFirst ? !secondPositive : !firstPositive;
    header->orientation.bottomToTop = yFirst ? firstPositive : secondPositive;
    return true;
}

std::string SizeText(const RadianceHeader& header) {
    return std::to_string(header.width) + " x " + std::to_string(header.height);
}

}  // namespace

// The reader decodes every scanline on its own, in one of two ways:
// - flat: 4 bytes (red, green, blue mantissas and a shared exponent) a pixel;
// - run-length coded, only for lengths 8 to 32767: a 4-byte marker, then the
//   four byte planes one after the other, each a series of packets of which
//   the longest covers 127 equal bytes in 2 bytes, so a plane of L bytes takes
//   at least 2 * ceil(L / 127) bytes.
// Old-style repeat pixels (1, 1, 1, n), which could shrink a picture much
// further, are not expanded by the reader; it takes them for ordinary flat
// pixels, so they cost 4 bytes like any other. No file the reader can decode
// is shorter than this bound, and a shorter one is refused before the reader
// allocates a picture of the declared size.
uint64_t MinimumPixelDataBytes(uint32_t length, uint32_t count) {
    uint64_t perScanline = 4ull * length;
    if (length >= 8 && length <= 0x7FFF) {
        const uint64_t packetsPerPlane = (length + 126ull) / 127ull;
        perScanline = 4 + 4 * 2 * packetsPerPlane;
    }
    return perScanline * count;
}

bool ParseRadianceHeader(std::string_view start, uint64_t fileSize, uint64_t memoryBytes,
                         RadianceHeader* header, std::string* reason) {
    std::string ignored;
    if (!reason) reason = &ignored;
    *header = RadianceHeader{};
    if (fileSize == 0 || start.empty()) {
        *reason = "the file is empty";
        return false;
    }
    if (start.size() < 2 || start[0] != '#' || start[1] != '?') {
        *reason = "not a Radiance picture (no \"#?\" signature)";
        return false;
    }

    // Header lines up to the first empty one; CR LF line ends are taken too.
    const std::string_view window = start.substr(0, kMaxRadianceHeaderBytes);
    size_t pos = 0;
    bool first = true;
    for (;;) {
        const size_t end = window.find('\n', pos);
        if (end == std::string_view::npos) {
            *reason = fileSize <= window.size() ? "the file ends inside the header"
                                                : "the header has no end within 64 KiB";
            return false;
        }
        std::string_view line = window.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            first = false;  // the signature line; the clean header has its own
            continue;
        }
        if (line.empty()) break;
        if (line.substr(0, 7) == "FORMAT=") {
            const std::string_view format = Trim(line.substr(7), kHeaderBlanks);
            if (format != kRgbeFormat) {
                *reason = "unsupported pixel format " + Quote(format);
                return false;
            }
            continue;  // written once, last, in the clean header
        }
        if (IsKeepable(line)) header->keptLines.emplace_back(line);
    }

    // The resolution line follows the empty line.
    const std::string_view rest = start.substr(pos);
    if (rest.empty()) {
        *reason = "the resolution line is missing";
        return false;
    }
    const size_t end = rest.substr(0, kMaxResolutionLineBytes).find('\n');
    if (end == std::string_view::npos) {
        *reason = "unreadable resolution line " + Quote(rest.substr(0, rest.find('\n')));
        return false;
    }
    if (!ParseResolution(rest.substr(0, end), header, reason)) return false;
    header->dataOffset = pos + end + 1;

    const uint64_t dataBytes = fileSize > header->dataOffset ? fileSize - header->dataOffset : 0;
    if (dataBytes < MinimumPixelDataBytes(header->ScanlineLength(), header->ScanlineCount())) {
        *reason = "the file is too short for a " + SizeText(*header) + " picture";
        return false;
    }
    const uint64_t pixels = uint64_t{header->width} * header->height;
    if (memoryBytes != 0 && pixels > memoryBytes / kToneMapBytesPerPixel) {
        *reason = "a " + SizeText(*header) + " picture needs " +
                  MemoryText(pixels * kToneMapBytesPerPixel) + " of memory, but only " +
                  MemoryText(memoryBytes) + " is available";
        return false;
    }
    return true;
}

bool ReadRadianceHeader(std::FILE* file, uint64_t fileSize, RadianceHeader* header,
                        std::string* reason) {
    std::string ignored;
    if (!reason) reason = &ignored;
    const uint64_t wanted =
        std::min<uint64_t>(fileSize, kMaxRadianceHeaderBytes + kMaxResolutionLineBytes);
    std::string start(static_cast<size_t>(wanted), '\0');
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        *reason = "the file could not be read";
        return false;
    }
    const size_t got = wanted ? std::fread(start.data(), 1, start.size(), file) : 0;
    if (got < start.size() && std::ferror(file)) {
        *reason = "the file could not be read";
        return false;
    }
    start.resize(got);
    return ParseRadianceHeader(start, fileSize, AvailableMemoryBytes(), header, reason);
}

std::string BuildCleanHeader(const RadianceHeader& header) {
    std::string text = "#?RADIANCE\n";
    for (const std::string& line : header.keptLines) text += line + "\n";
    text += "FORMAT=";
    text += kRgbeFormat;
    text += "\n\n-Y " + std::to_string(header.ScanlineCount()) + " +X " +
            std::to_string(header.ScanlineLength()) + "\n";
    return text;
}

}  // namespace orvex
