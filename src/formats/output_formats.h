// The output format table: writers, their bit depths and save flags.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

struct ConversionSettings;
struct ProjectState;

struct OutputFormatRow {
    int32_t format;           // FreeImage format number
    std::string extension;    // value of "%ext%"
    std::string description;
    std::string depths;       // ascending, "," separated
};

const std::vector<OutputFormatRow>& OutputFormatTable();
// The row of `extension` (exact match), or nullptr.
const OutputFormatRow* FindOutputFormat(std::string_view extension);

bool IsAllowedDepth(std::string_view extension, int32_t depth);
int32_t ChooseAutoBitDepth(std::string_view extension, int32_t sourceDepth);
// The per-format depth setting (JpgBpp for "jpg"); 0 for extensions without one.
int32_t DepthSettingFor(std::string_view extension, const ConversionSettings& settings);
int32_t SaveFlagsFor(std::string_view extension, const ConversionSettings& settings);
// OutputExtension, OutputFormatId, OutputBitDepth, SaveFlags and AutoBitDepth
// for a run, once before it starts.
void PrepareSaveTarget(std::string_view extension, const ConversionSettings& settings,
                       ProjectState& project);

}  // namespace orvex
