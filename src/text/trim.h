// Trimming for every reader of the program's text files. Each file keeps its
// own rule of what counts as blank (an INI key drops spaces and tabs, a
// language file value also CR and VT, a folder list only spaces), so the
// blanks are named at the call.
#pragma once

#include <string_view>

namespace orvex {

inline constexpr std::string_view kSpaces = " ";
inline constexpr std::string_view kSpacesAndTabs = " \t";
inline constexpr std::string_view kLineBlanks = " \t\r\n";

// `text` without any of `blanks` at either end.
inline std::string_view Trim(std::string_view text, std::string_view blanks) {
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace orvex
