// Fuzz target: the colour parser. Six hexadecimal digits must read back to
// what they spell.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "imaging/colour_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const orvex::Rgb colour = orvex::ParseColour(text);
    if (size != 6 && !(colour == orvex::Rgb{})) __builtin_trap();
    char spelled[8];
    std::snprintf(spelled, sizeof spelled, "%02X%02X%02X", colour.red, colour.green, colour.blue);
    if (!(orvex::ParseColour(spelled) == colour)) __builtin_trap();
    return 0;
}
