// Unicode-aware letter case of UTF-8 text.
#pragma once

#include <string>
#include <string_view>

namespace orvex {

// Full Unicode upper-casing of the whole string ("straße" -> "STRASSE").
std::string ToUpperUtf8(std::string_view text);
// Full Unicode lower-casing of the whole string.
std::string ToLowerUtf8(std::string_view text);
// First character upper-cased, all following characters lower-cased.
std::string ToTitleUtf8(std::string_view text);

// Plain ASCII case, for names and keys that are ASCII by construction.
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

}  // namespace orvex
