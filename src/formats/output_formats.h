// The output format table: writers, their bit depths and save flags.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

struct ConversionSettings;

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
// The per-run values of the output format, computed once before a run and
// not changed while it runs.
struct SaveTarget {
    std::string outputFolder;     // absolute, ends with "/"
    std::string outputExtension;  // "jpg"
    int32_t formatId = 0;         // the writer's FreeImage format number
    int32_t bitDepth = 0;         // the format's depth setting; 0 = automatic
    int32_t saveFlags = 0;

    bool automaticDepth() const { return bitDepth == 0; }
};

SaveTarget MakeSaveTarget(std::string_view extension, const ConversionSettings& settings,
                          std::string outputFolder);

}  // namespace orvex
