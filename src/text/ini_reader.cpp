// Lookup of one value in INI-style text, line by line, without building a map:
// the files it reads are small and are asked for a few values each.
#include "text/ini_reader.h"

#include "text/trim.h"

namespace orvex {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// Splits off the next line (without its LF) from `rest`.
std::string_view NextLine(std::string_view& rest) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return line;
}

// True, with the name between the brackets, when the trimmed line opens a group.
}  // namespace

void ForEachIniLine(std::string_view text, const std::function<void(const IniLine&)>& visit) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::string_view rest = text;
    while (!rest.empty()) {
        std::string_view line = NextLine(rest);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t indent = line.find_first_not_of(" \t");
        if (indent == std::string_view::npos) continue;
        line.remove_prefix(indent);
        if (line.front() == ';' || line.front() == '#') continue;
        IniLine parsed;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            parsed.kind = IniLine::Kind::Group;
            parsed.closed = close != std::string_view::npos;
            parsed.group =
                Trim(line.substr(1, parsed.closed ? close - 1 : line.npos), kSpacesAndTabs);
            visit(parsed);
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        parsed.key = Trim(line.substr(0, equals), kSpacesAndTabs);
        parsed.value = line.substr(equals + 1);
        visit(parsed);
    }
}

std::string ReadIniValue(std::string_view text, std::string_view group, std::string_view key) {
    const std::string_view wantedKey = Trim(key, kLineBlanks);
    const std::string_view wantedGroup = Trim(group, kLineBlanks);
    if (wantedKey.empty()) return "";
    // Only the first group of that name is searched, and in it the first key.
    enum class State { Before, Inside, Done } state = State::Before;
    std::string found;
    ForEachIniLine(text, [&](const IniLine& line) {
        if (state == State::Done) return;
        if (line.kind == IniLine::Kind::Group) {
            if (!line.closed) return;  // not a group line
            if (state == State::Inside) {
                state = State::Done;
            } else if (EqualsNoCase(line.group, wantedGroup)) {
                state = State::Inside;
            }
            return;
        }
        if (state == State::Inside && EqualsNoCase(line.key, wantedKey)) {
            found = std::string(Trim(line.value, kLineBlanks));
            state = State::Done;
        }
    });
    return found;
}

}  // namespace orvex
