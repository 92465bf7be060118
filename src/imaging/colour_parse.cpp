// Colour strings "RRGGBB" to components.
#include "imaging/colour_parse.h"

namespace orvex {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a two-character hexadecimal pair like strtol would: digits up to the
// first character that is not one.
uint8_t HexPair(char high, char low) {
    const int h = HexDigit(high);
    if (h < 0) return 0;
    const int l = HexDigit(low);
    if (l < 0) return static_cast<uint8_t>(h);
    return static_cast<uint8_t>(h * 16 + l);
}

}  // namespace

Rgb ParseColour(std::string_view text) {
    if (text.size() != 6) return {};
    return Rgb{HexPair(text[0], text[1]), HexPair(text[2], text[3]), HexPair(text[4], text[5])};
}

}  // namespace orvex
