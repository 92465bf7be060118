// The one rule that turns a colour setting into red, green and blue.
#pragma once

#include <cstdint>
#include <string_view>

namespace orvex {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Exactly six characters read as RRGGBB hexadecimal; any other length gives
// black. A pair that is not hexadecimal reads as far as its digits go.
Rgb ParseColour(std::string_view text);

}  // namespace orvex
