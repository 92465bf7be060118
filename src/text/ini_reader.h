// The program's one INI reader: the lines of INI-style text as groups and
// entries (for config.ini, profiles, language files and theme descriptions),
// and a value looked up by group and key.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace orvex {

// One line of INI-style text that means something: a group line or an entry.
struct IniLine {
    enum class Kind { Group, Entry };
    Kind kind = Kind::Entry;
    // Group: the name after "[", up to "]" or, when there is none, to the end
    // of the line, trimmed of blanks; `closed` says whether "]" was there.
    std::string_view group;
    bool closed = false;
    // Entry: the text before the first "=" trimmed of blanks, and everything
    // after it as it stands (each file trims its values by its own rule).
    std::string_view key;
    std::string_view value;
};

// Calls `visit` for every group line and entry of `text`, in order. A UTF-8
// byte-order mark is skipped; lines end in LF or CR LF; leading blanks
// (spaces and tabs) are skipped; empty lines, comments (";" or "#") and lines
// without "=" are left out.
void ForEachIniLine(std::string_view text, const std::function<void(const IniLine&)>& visit);

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
