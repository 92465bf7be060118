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

// True when `name` (an expanded mask) names a file in its folder: not empty,
// not "." or "..", and without a folder separator, so a mask can never write
// outside the output folder.
bool IsPlainFileName(const std::string& name);

// OutputFolder, then InputSubfolder when KeepSubfolders is on, then the
// expanded mask.
std::string BuildOutputPath(const ConversionSettings& settings, const FileContext& file);

}  // namespace orvex
