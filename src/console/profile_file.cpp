// Lenient INI reading of profile files and the profile's value rules.
#include "console/profile_file.h"

#include "console/option_table.h"
#include "console/value_parsing.h"
#include "platform/bounded_read.h"
#include "text/ini_reader.h"
#include "text/trim.h"
#include "text/unicode_case.h"

namespace orvex {

namespace {

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A profile saved as UTF-16 by a Windows editor, turned into UTF-8. Lone
// surrogates become U+FFFD; an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](size_t at) -> uint32_t {
        auto hi = static_cast<unsigned char>(bytes[at + (bigEndian ? 0 : 1)]);
        auto lo = static_cast<unsigned char>(bytes[at + (bigEndian ? 1 : 0)]);
        return (uint32_t{hi} << 8) | lo;
    };
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        uint32_t code = unit(at);
        if (code >= 0xD800 && code <= 0xDBFF && at + 3 < bytes.size()) {
            uint32_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
    return out;
}

// The value as the profile stores it: text trimmed with its quotes kept,
// the file-name mask trimmed and unquoted so that quoted spaces survive.
std::string ProfileValue(const LongOption& option, std::string_view raw) {
    std::string_view value = Trim(raw, kSpacesAndTabs);
    if (option.kind == OptionKind::Text && option.profileUnquotes) value = StripQuotes(value);
    return std::string(value);
}

void ApplyUtf8Text(std::string_view text, ConversionSettings& settings,
                   ProfileFindings& findings) {
    bool inCliGroup = false;
    ForEachIniLine(text, [&](const IniLine& line) {
        if (line.kind == IniLine::Kind::Group) {
            inCliGroup = ToUpperAscii(line.group) == "CLI";
            return;
        }
        if (!inCliGroup || !findings.refusal.empty()) return;
        const LongOption* option = FindProfileOption(ToUpperUtf8(line.key));
        if (option == nullptr) {
            findings.unknownKeys.emplace_back(line.key);
            return;
        }
        const std::string value = ProfileValue(*option, line.value);
        if (!value.empty() && !IsReadableValue(*option, value)) {
            findings.refusal = InvalidValueMessage(line.key, value, *option);
            return;
        }
        ApplyLongOption(*option, value, settings);
    });
}

}  // namespace

void ApplyProfileText(std::string_view text, ConversionSettings& settings,
                      ProfileFindings* findings) {
    ProfileFindings ignored;
    ProfileFindings& found = findings != nullptr ? *findings : ignored;
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        bool bigEndian = text[0] == '\xFE';
        ApplyUtf8Text(Utf16ToUtf8(text.substr(2), bigEndian), settings, found);
        return;
    }
    ApplyUtf8Text(text, settings, found);
}

bool ReadProfile(const std::string& path, ConversionSettings& settings,
                 ProfileFindings* findings) {
    const std::optional<std::string> text = ReadBoundedFile(path, kMaxProfileBytes);
    if (!text) return false;
    ApplyProfileText(*text, settings, findings);
    return true;
}

}  // namespace orvex
