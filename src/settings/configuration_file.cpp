// Reading and writing "config.ini" by walking the table of setting fields.
//
// Layout written: UTF-8 byte-order mark, an empty line, then per group a
// "[Group]" line, one "Key = value" line per entry and a "; " line, every
// line ending in CR LF. Reading is lenient: names match without regard to
// case, LF-only files and files without the byte-order mark read the same,
// unknown groups and keys are ignored.
#include "settings/configuration_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>
#include <map>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "settings/program_identity.h"
#include "platform/atomic_file.h"
#include "platform/bounded_read.h"
#include "platform/config_folder.h"
#include "settings/setting_fields.h"
#include "text/ini_reader.h"
#include "text/trim.h"
#include "text/unicode_case.h"

namespace orvex {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
// A real configuration is a few kilobytes; a file beyond this is not one, and
// the defaults stay.
constexpr size_t kMaxReadBytes = 16 * 1024 * 1024;

// (lower-case group, lower-case key) -> value, first occurrence kept.
using Entries = std::map<std::pair<std::string, std::string>, std::string>;

Entries ParseEntries(std::string_view text) {
    Entries entries;
    std::string group;
    ForEachIniLine(text, [&](const IniLine& line) {
        if (line.kind == IniLine::Kind::Group) {
            group = ToLowerAscii(line.group);
            return;
        }
        const std::string key = ToLowerAscii(line.key);
        if (key.empty()) return;
        // Only spaces are trimmed from a value: a tab separates the entries
        // of the recent output folders and must survive at either end.
        entries.try_emplace({group, key}, Trim(line.value, kSpaces));
    });
    return entries;
}

const std::string* Find(const Entries& entries, const char* group, const char* key) {
    auto found = entries.find({ToLowerAscii(group), ToLowerAscii(key)});
    return found == entries.end() ? nullptr : &found->second;
}

// The leading decimal number of `value` with an optional sign, 0 when there
// is none. A number outside [lowest, highest] is clamped to that range, so a
// huge value never wraps round into a small or negative one.
int64_t ReadInteger(std::string_view value, int64_t lowest, int64_t highest) {
    size_t at = 0;
    bool negative = false;
    if (at < value.size() && (value[at] == '+' || value[at] == '-')) {
        negative = value[at] == '-';
        ++at;
    }
    int64_t magnitude = 0;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
        // Past 2^62 the value is clamped anyway; stopping there keeps the
        // next multiplication from overflowing.
        constexpr int64_t kCap = int64_t{1} << 62;
        magnitude = magnitude >= kCap / 10 ? kCap : magnitude * 10 + (value[at] - '0');
    }
    return std::clamp(negative ? -magnitude : magnitude, lowest, highest);
}

// The leading decimal number with "." as the decimal point whatever the
// locale; 0 when the value does not begin with one (this also refuses
// "inf" and "nan").
float ReadFloat(std::string_view value) {
    if (!value.empty() && value.front() == '+') value.remove_prefix(1);
    const size_t digits = value.substr(0, 1) == "-" ? 1 : 0;
    if (value.size() <= digits ||
        !(std::isdigit(static_cast<unsigned char>(value[digits])) || value[digits] == '.')) {
        return 0.0f;
    }
    float result = 0.0f;
    const auto parsed = std::from_chars(value.data(), value.data() + value.size(), result,
                                        std::chars_format::general);
    return parsed.ec == std::errc{} ? result : 0.0f;
}

// Spaces at either end of a line are not part of its value, so a string
// value that begins or ends with a space is written in double quotes. Only a
// quoted value whose inner text begins or ends with a space or a quote is
// unquoted on reading: the writer never produced such a value unquoted, so
// every file written before reads as it always did.
bool NeedsQuotes(std::string_view value) {
    if (value.empty()) return false;
    if (value.front() == ' ' || value.back() == ' ') return true;
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return false;
    const std::string_view inner = value.substr(1, value.size() - 2);
    return !inner.empty() && (inner.front() == ' ' || inner.front() == '"' ||
                              inner.back() == ' ' || inner.back() == '"');
}

std::string ReadString(const std::string& value) {
    if (!NeedsQuotes(value)) return value;
    if (value.front() == ' ' || value.back() == ' ') return value;  // cannot come from a line
    return value.substr(1, value.size() - 2);
}

void ReadField(const SettingField& field, const std::string& value, ConversionSettings& settings) {
    std::visit(
        [&](auto member) {
            using Value = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                settings.*member = ReadString(value);
            } else if constexpr (std::is_same_v<Value, float>) {
                settings.*member = ReadFloat(value);
            } else {
                settings.*member = static_cast<Value>(ReadInteger(
                    value, std::numeric_limits<Value>::min(), std::numeric_limits<Value>::max()));
            }
        },
        field.member);
}

void ApplyEntries(const Entries& entries, ConversionSettings& settings) {
    for (const SettingField& field : SettingFieldTable()) {
        if (const std::string* value = Find(entries, field.group, field.key)) {
            ReadField(field, *value, settings);
        } else if (field.missing) {
            std::visit(
                [&](auto member) {
                    using Value = std::remove_cvref_t<decltype(settings.*member)>;
                    if constexpr (!std::is_same_v<Value, std::string>) {
                        settings.*member = static_cast<Value>(*field.missing);
                    }
                },
                field.member);
        }
    }
}

// Brings the values of an older layout up to date; `entries` is the file as
// read, which still holds the keys older layouts used.
void ApplyUpgrades(const Entries& entries, ConversionSettings& settings) {
    // Before layout 11 the mask carried no extension.
    if (settings.Cfg < 11 && settings.FilenameMask.find("%ext%") == std::string::npos) {
        settings.FilenameMask += ".%ext%";
    }
    // Layout 14 added two RAW depths ahead of the old ones.
    if (settings.Cfg < 14 && settings.RawLoadAs != 0 &&
        settings.RawLoadAs <= std::numeric_limits<int32_t>::max() - 2) {
        settings.RawLoadAs += 2;
    }
    // Before layout 19 the colour modes were stored under other keys.
    if (settings.Cfg < 19) {
        for (const ObsoleteSettingField& obsolete : ObsoleteSettingFieldTable()) {
            const std::string* value = Find(entries, obsolete.group, obsolete.key);
            if (value == nullptr) continue;
            const auto number = static_cast<int32_t>(ReadInteger(
                *value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
            if (number != 0) settings.*obsolete.member = number;
        }
    }
}

// A raw CR or LF in a value would end the entry and turn the rest of the
// value into a line of its own, so the watermark text spells a line break as
// its "%eol%" marker (which draws the same break) and every other string
// drops them.
std::string WithoutLineBreaks(const SettingField& field, const std::string& value) {
    std::string written;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\r' && c != '\n') {
            written += c;
            continue;
        }
        if (field.lineBreaks == LineBreaks::AsEolMarker) written += "%eol%";
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
    }
    return written;
}

// A string value as it goes into its line, quoted when its end spaces would
// otherwise be lost.
std::string WrittenString(const SettingField& field, const std::string& value) {
    std::string written = value.find_first_of("\r\n") == std::string::npos
                              ? value
                              : WithoutLineBreaks(field, value);
    return NeedsQuotes(written) ? '"' + written + '"' : written;
}

std::string WrittenValue(const SettingField& field, const ConversionSettings& settings) {
    if (field.writtenAs) return std::to_string(*field.writtenAs);
    return std::visit(
        [&](auto member) -> std::string {
            using Value = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                return WrittenString(field, settings.*member);
            } else if constexpr (std::is_same_v<Value, float>) {
                // Six decimals with "." in every locale.
                std::array<char, 64> buffer{};
                const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                                  static_cast<double>(settings.*member),
                                                  std::chars_format::fixed, 6);
                return std::string(buffer.data(), result.ptr);
            } else {
                return std::to_string(static_cast<long long>(settings.*member));
            }
        },
        field.member);
}

// Whether list[index] already appeared earlier in the list.
bool SeenBefore(const std::vector<std::string>& list, size_t index) {
    const auto end = list.begin() + static_cast<std::ptrdiff_t>(index);
    return std::find(list.begin(), end, list[index]) != end;
}

void AppendEntry(std::string& text, const SettingField& field, const ConversionSettings& settings) {
    text.append(field.key).append(" = ").append(WrittenValue(field, settings)).append(kLineEnd);
}

// The format-specific entries of `group` for each format of `list` in list
// order; a format named twice is written once.
void AppendFormatEntries(std::string& text, const std::string& group, WriteWhen when,
                         const std::vector<std::string>& list, const ConversionSettings& settings) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (SeenBefore(list, i)) continue;
        for (const SettingField& field : SettingFieldTable()) {
            if (field.group == group && field.when == when && list[i] == field.format) {
                AppendEntry(text, field, settings);
            }
        }
    }
}

}  // namespace

std::string ConfigFilePath() { return ConfigFolder(MakerName(), kInternalName) + "config.ini"; }

bool LoadConfiguration(ConversionSettings& settings, const std::string& path,
                       std::optional<DesktopSize> desktop) {
    ResetSettingsToDefaults(settings, false, desktop);
    const std::optional<std::string> text = ReadBoundedFile(path, kMaxReadBytes);
    if (!text) return false;

    const Entries entries = ParseEntries(*text);
    ApplyEntries(entries, settings);
    ApplyUpgrades(entries, settings);
    return true;
}

std::string ConfigurationText(const ConversionSettings& settings,
                              const std::vector<std::string>& inputExtensions,
                              const std::vector<std::string>& outputExtensions) {
    std::string text(kByteOrderMark);
    text.append(kLineEnd);
    for (const std::string& group : SettingGroups()) {
        text.append("[").append(group).append("]").append(kLineEnd);
        for (const SettingField& field : SettingFieldTable()) {
            if (field.group != group) continue;
            if (field.when == WriteWhen::Always ||
                (field.when == WriteWhen::WindowPosition && settings.SaveWindowPosition == 1)) {
                AppendEntry(text, field, settings);
            }
        }
        AppendFormatEntries(text, group, WriteWhen::InputGroup, inputExtensions, settings);
        AppendFormatEntries(text, group, WriteWhen::OutputExtension, outputExtensions, settings);
        text.append("; ").append(kLineEnd);
    }
    return text;
}

bool SaveConfiguration(const ConversionSettings& settings, const std::string& path) {
    return WriteFileAtomically(path,
                               ConfigurationText(settings, InputExtensions(), OutputExtensions()));
}

}  // namespace orvex
