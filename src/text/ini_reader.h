// The program's one INI lookup: a value by group and key in INI-style text
// (theme descriptions, and the other INI files the program reads).
#pragma once

#include <string>
#include <string_view>

namespace orvex {

// The value of `key` in the group `group` of `text`, trimmed of spaces, tabs,
// CR and LF at both ends; "" when the group or the key is missing.
//
// A group opens with a line "[name]"; it runs to the next line that opens a
// group, or to the end. Group and key names compare without regard to ASCII
// case. A key line is the key, optional blanks, "=" and the value, which is
// everything after the first "=". The first matching group and, in it, the
// first matching key win. A byte-order mark before the first line, leading
// blanks on any line and LF or CR LF line ends are all accepted.
std::string ReadIniValue(std::string_view text, std::string_view group, std::string_view key);

}  // namespace orvex
