// The console's debug report of the options that shape the run, and the
// checks of those options, in the order the run makes them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "settings/conversion_settings.h"

namespace orvex {

class WatermarkFont;

// Prints the report's lines; they are printed only in debug mode, while the
// checks run always.
class RunReport {
  public:
    RunReport(std::function<void(const std::string&)> print, bool debug)
        : m_print(std::move(print)), m_debug(debug) {}

    bool debug() const { return m_debug; }
    void Debug(const std::string& line) const {
        if (m_debug) m_print(line);
    }

  private:
    std::function<void(const std::string&)> m_print;
    bool m_debug;
};

// The options of the input format (nothing for "hdr").
void ReportInputOptions(std::string_view inputExtension, const ConversionSettings& settings,
                        const RunReport& report);

// The options of the output format, then its bit-depth test and, where the
// format has one, its quality test. Returns the error line, or "".
std::string CheckOutputOptions(std::string_view outputExtension, const ConversionSettings& settings,
                               const RunReport& report);

// Transform, adjustment, frame and watermark options with their checks.
// A text watermark's font is loaded into `font`. Returns the error line, or "".
std::string CheckChainOptions(const ConversionSettings& settings, const RunReport& report,
                              std::unique_ptr<WatermarkFont>& font);

// File-name mask, time stamp and sub-folder lines.
void ReportFileOptions(const ConversionSettings& settings, const RunReport& report);

// `value` with two decimals, "." as the decimal point whatever the locale.
std::string FormatTwoDecimals(float value);

}  // namespace orvex
