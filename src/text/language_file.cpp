// Reading of language files. The format is that of the configuration file:
// "[group]" lines, "key = value" lines, ";" comment lines, UTF-8 with an
// optional byte-order mark, LF or CR LF line ends.
#include "text/language_file.h"

#include "platform/bounded_read.h"
#include "text/ini_reader.h"
#include "text/trim.h"
#include "text/unicode_case.h"

namespace orvex {
namespace {

// A translation file is a few kilobytes; anything far beyond is not one.
constexpr size_t kMaxFileSize = 16u * 1024u * 1024u;

// Blanks around a group name, a key or a value.
constexpr std::string_view kBlanks = " \t\r\v";

// A value may be wrapped in double quotes to keep blanks at its ends, and may
// write a line break as the two characters "\n", since a value is one line.
std::string DecodeValue(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    std::string decoded;
    decoded.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == 'n') {
            decoded += '\n';
            ++i;
        } else {
            decoded += value[i];
        }
    }
    return decoded;
}

}  // namespace

std::string TextKeyForm(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return ToUpperUtf8(text);
    }
    // Byte-wise, so that the result never depends on the process locale.
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool LanguageFile::Open(const std::string& path) {
    m_groups.clear();
    const std::optional<std::string> content = ReadBoundedFile(path, kMaxFileSize);
    if (!content) return false;

    Entries* currentGroup = nullptr;
    ForEachIniLine(*content, [&](const IniLine& line) {
        if (line.kind == IniLine::Kind::Group) {
            // A group named twice continues the first one; a line without
            // its "]" opens none, and what follows it is not read.
            currentGroup =
                line.closed ? &m_groups[TextKeyForm(Trim(line.group, kBlanks))] : nullptr;
            return;
        }
        const std::string_view key = Trim(line.key, kBlanks);
        if (currentGroup == nullptr || key.empty()) return;
        // The first value of a key counts; later repeats are ignored.
        currentGroup->emplace(TextKeyForm(key), DecodeValue(Trim(line.value, kBlanks)));
    });
    return true;
}

const LanguageFile::Entries* LanguageFile::Group(std::string_view groupName) const {
    const auto found = m_groups.find(groupName);
    return found == m_groups.end() ? nullptr : &found->second;
}

}  // namespace orvex
