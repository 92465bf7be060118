// Reading of language files. The format is that of the configuration file:
// "[group]" lines, "key = value" lines, ";" comment lines, UTF-8 with an
// optional byte-order mark, LF or CR LF line ends.
#include "text/language_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "text/unicode_case.h"

namespace orvex {
namespace {

// A translation file is a few kilobytes; anything far beyond is not one.
constexpr std::uintmax_t kMaxFileSize = 16u * 1024u * 1024u;

std::string_view Trim(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v'; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

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
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize) return false;

    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return false;

    std::string_view rest(content);
    if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
    Entries* currentGroup = nullptr;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        ParseLine(rest.substr(0, end), currentGroup);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return true;
}

void LanguageFile::ParseLine(std::string_view line, Entries*& currentGroup) {
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') return;
    if (line.front() == '[') {
        const size_t close = line.find(']');
        if (close == std::string_view::npos) {
            currentGroup = nullptr;
            return;
        }
        // A group named twice continues the first one.
        currentGroup = &m_groups[TextKeyForm(Trim(line.substr(1, close - 1)))];
        return;
    }
    const size_t equals = line.find('=');
    if (currentGroup == nullptr || equals == std::string_view::npos) return;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) return;
    // The first value of a key counts; later repeats are ignored.
    currentGroup->emplace(TextKeyForm(key), DecodeValue(Trim(line.substr(equals + 1))));
}

const LanguageFile::Entries* LanguageFile::Group(std::string_view groupName) const {
    const auto found = m_groups.find(groupName);
    return found == m_groups.end() ? nullptr : &found->second;
}

}  // namespace orvex
