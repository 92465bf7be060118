// The output file-name mask and its placeholders, also used by the text
// watermark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvex {

struct ConversionSettings;
struct FileContext;

// The 19 placeholders in the order they are processed.
const std::vector<std::string>& FileNamePlaceholders();

// `text` with every occurrence of `placeholder` (exact, case-sensitive)
// replaced by its value for the file now being converted.
std::string ExpandPlaceholder(std::string_view text, std::string_view placeholder,
                              const ConversionSettings& settings, const FileContext& file);

// The output file name (no folder) from FilenameMask, lower-cased first.
std::string ExpandFileNameMask(const ConversionSettings& settings, const FileContext& file);

// The watermark Text with its lower-case placeholders replaced; a text with
// fewer than two "%" is returned unchanged.
std::string ExpandWatermarkText(const ConversionSettings& settings, const FileContext& file);

// OutputFolder, then InputSubfolder when KeepSubfolders is on, then the
// expanded mask.
std::string BuildOutputPath(const ConversionSettings& settings, const FileContext& file);

}  // namespace orvex
