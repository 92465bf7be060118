// Lookup of one value in INI-style text, line by line, without building a map:
// the files it reads are small and are asked for a few values each.
#include "text/ini_reader.h"

namespace orvex {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

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
bool GroupName(std::string_view trimmedLine, std::string_view& name) {
    if (trimmedLine.empty() || trimmedLine.front() != '[') return false;
    const size_t close = trimmedLine.find(']');
    if (close == std::string_view::npos) return false;
    name = Trim(trimmedLine.substr(1, close - 1));
    return true;
}

}  // namespace

std::string ReadIniValue(std::string_view text, std::string_view group, std::string_view key) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::string_view wantedKey = Trim(key);
    if (wantedKey.empty()) return "";

    bool inGroup = false;
    bool groupSeen = false;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::string_view line = Trim(NextLine(rest));
        std::string_view name;
        if (GroupName(line, name)) {
            // Only the first group of that name is searched.
            if (groupSeen) return "";
            inGroup = EqualsNoCase(name, Trim(group));
            groupSeen = inGroup;
            continue;
        }
        if (!inGroup) continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (EqualsNoCase(Trim(line.substr(0, equals)), wantedKey)) {
            return std::string(Trim(line.substr(equals + 1)));
        }
    }
    return "";
}

}  // namespace orvex
