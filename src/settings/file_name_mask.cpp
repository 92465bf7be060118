// Placeholder values of the output file-name mask and of the watermark text,
// and the output path built from the mask.
#include "settings/file_name_mask.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "text/unicode_case.h"

namespace orvex {
namespace {

constexpr const char* kDefaultMask = "%filename%.%ext%";

// The input's file name without folder and without its last extension.
std::string BaseFileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

// Counters are written with at least five digits; larger values keep all of
// their digits so that numbers stay unique and sortable by length.
std::string FiveDigits(int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%05d", static_cast<int>(value));
    return buffer;
}

std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

// The value of one placeholder for the file now being converted; false for
// a text that is not one of the placeholders.
bool PlaceholderValue(std::string_view placeholder, const FileContext& file,
                      std::string& value) {
    if (placeholder == "%filename%") {
        value = BaseFileName(file.InputPath);
    } else if (placeholder == "%filename[u]%") {
        value = ToUpperUtf8(BaseFileName(file.InputPath));
    } else if (placeholder == "%filename[l]%") {
        value = ToLowerUtf8(BaseFileName(file.InputPath));
    } else if (placeholder == "%filename[t]%") {
        value = ToTitleUtf8(BaseFileName(file.InputPath));
    } else if (placeholder == "%ext%") {
        value = file.OutputExtension;
    } else if (placeholder == "%ext[u]%") {
        value = ToUpperUtf8(file.OutputExtension);
    } else if (placeholder == "%ext[t]%") {
        value = ToTitleUtf8(file.OutputExtension);
    } else if (placeholder == "%yyyy%") {
        value = std::to_string(LocalNow().tm_year + 1900);
    } else if (placeholder == "%mm%") {
        value = TwoDigits(LocalNow().tm_mon + 1);
    } else if (placeholder == "%dd%") {
        value = TwoDigits(LocalNow().tm_mday);
    } else if (placeholder == "%hh%") {
        value = TwoDigits(LocalNow().tm_hour);
    } else if (placeholder == "%ii%") {
        value = TwoDigits(LocalNow().tm_min);
    } else if (placeholder == "%ss%") {
        value = TwoDigits(LocalNow().tm_sec);
    } else if (placeholder == "%bpp%") {
        value = std::to_string(file.OutputBitDepth);
    } else if (placeholder == "%width%") {
        value = std::to_string(file.CurrentWidth);
    } else if (placeholder == "%height%") {
        value = std::to_string(file.CurrentHeight);
    } else if (placeholder == "%frame%") {
        value = std::to_string(file.CurrentFrame);
    } else if (placeholder == "%rnd%") {
        value = FiveDigits(file.RandomNumber);
    } else if (placeholder == "%n%") {
        value = FiveDigits(file.FileCounter);
    } else {
        return false;
    }
    return true;
}

}  // namespace

const std::vector<std::string>& FileNamePlaceholders() {
    static const std::vector<std::string> placeholders = {
        "%filename%", "%filename[u]%", "%filename[l]%", "%filename[t]%", "%ext%",
        "%ext[u]%",   "%ext[t]%",      "%yyyy%",        "%mm%",          "%dd%",
        "%hh%",       "%ii%",          "%ss%",          "%bpp%",         "%width%",
        "%height%",   "%frame%",       "%rnd%",         "%n%",
    };
    return placeholders;
}

std::string ExpandPlaceholder(std::string_view text, std::string_view placeholder,
                              const ConversionSettings& /*settings*/, const FileContext& file) {
    std::string value;
    if (placeholder.empty() || !PlaceholderValue(placeholder, file, value)) {
        return std::string(text);
    }
    // Replace left to right; an inserted value is not searched again by this
    // placeholder (later placeholders do see it).
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(placeholder); at != std::string_view::npos;
         at = text.find(placeholder, from)) {
        result.append(text.substr(from, at - from));
        result.append(value);
        from = at + placeholder.size();
    }
    result.append(text.substr(from));
    return result;
}

namespace {

// Replaces every placeholder of `text` in one pass from left to right: a
// value once inserted is never searched again, so an input named
// "rep%n%.hdr" keeps its "%n%" rather than gaining a number.
std::string ExpandAllPlaceholders(std::string_view text, const FileContext& file) {
    std::string result;
    result.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '%') {
            bool replaced = false;
            for (const std::string& placeholder : FileNamePlaceholders()) {
                std::string value;
                if (text.compare(at, placeholder.size(), placeholder) == 0 &&
                    PlaceholderValue(placeholder, file, value)) {
                    result += value;
                    at += placeholder.size();
                    replaced = true;
                    break;
                }
            }
            if (replaced) continue;
        }
        result += text[at++];
    }
    return result;
}

}  // namespace

std::string ExpandFileNameMask(const ConversionSettings& settings, const FileContext& file) {
    // Lower-casing the whole mask finds placeholders in any letter case; the
    // literal parts of the mask are therefore written in lower case too.
    std::string name = ToLowerUtf8(settings.FilenameMask);
    if (name.empty()) name = kDefaultMask;
    return ExpandAllPlaceholders(name, file);
}

std::string ExpandWatermarkText(const ConversionSettings& settings, const FileContext& file) {
    const std::string& text = settings.Text;
    if (std::count(text.begin(), text.end(), '%') < 2) return text;
    // Placeholders are replaced only where they are written in lower case, so
    // the rest of the text keeps its case and a placeholder written with
    // capitals stays as it is.
    return ExpandAllPlaceholders(text, file);
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string BuildOutputPath(const ConversionSettings& settings, const FileContext& file) {
    std::string path = file.OutputFolder;
    if (settings.KeepSubfolders != 0) path += file.InputSubfolder;
    path += ExpandFileNameMask(settings, file);
    return path;
}

}  // namespace orvex
