// The checks a run makes before any work, with the report lines that show
// the options they look at. Each fault has one code: the console prints its
// "Error: " line, the desktop shows the text-table message of the same fault.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "settings/conversion_settings.h"

namespace orvex {

class WatermarkFont;

enum class RunFault {
    None,
    InvalidInputFile,       // no extension, missing, a folder or empty
    EmptyInputFiles,        // nothing could be queued
    EmptyOutputFolder,      // no output folder given
    IncorrectOutputFolder,  // a relative folder that climbs above the working folder
    InvalidOutputFolder,    // not an existing folder, or a relative one that cannot be resolved
    InvalidConversionType,  // the output extension is not one of this build's
    InvalidBitDepth,        // the format's depth setting is not one of its depths
    InvalidQuality,         // jpg / webp quality outside its range
    InvalidWidth,
    InvalidHeight,
    InvalidBrightness,
    InvalidContrast,
    InvalidGamma,
    InvalidWatermarkFont,
    EmptyWatermarkImage,    // an image watermark without a file name
    InvalidWatermarkImage,  // missing, empty, a folder, or not a picture we can decode
    InvalidValue,           // a setting outside its option's range: detail names both
    DuplicateOutput,        // two inputs would write one output: detail, path and otherPath
    OutputOverInput,        // an output would replace another input: detail, path and otherPath
    GainMapConflict,        // a gain map with a step that hides the scene: detail names it
    FileFailed,             // one file could not be converted: detail says why
};

struct RunCheck {
    RunFault fault = RunFault::None;
    std::string detail;  // what the message names: the extension, folder, font or picture
    std::string path;    // the input or output folder an input or output fault is about
    std::string otherPath;  // the second input an output-name fault is about

    RunCheck() = default;
    RunCheck(RunFault what, std::string named = {}, std::string about = {})
        : fault(what), detail(std::move(named)), path(std::move(about)) {}

    bool ok() const { return fault == RunFault::None; }
};

// A value, or the fault that kept it from being made: the one way the run's
// checks, its preparation and the chain say that something failed and why.
template <typename T>
class Result {
public:
    // Implicit both ways, so a function returns its value or a fault alike.
    Result(T value) : m_value(std::move(value)) {}
    Result(RunCheck fault) : m_fault(std::move(fault)) {}

    bool ok() const { return m_fault.ok(); }
    const RunCheck& fault() const { return m_fault; }
    // Why it failed, in plain words ("" when it did not).
    const std::string& reason() const { return m_fault.detail; }
    T& value() { return m_value; }
    const T& value() const { return m_value; }

private:
    T m_value{};
    RunCheck m_fault;
};

// A file that failed, and why.
inline RunCheck FileFailure(std::string reason) {
    return RunCheck(RunFault::FileFailed, std::move(reason));
}

// The console's line for a failed check, e.g. "Error: Invalid jpg-quality value".
std::string ConsoleErrorLine(const RunCheck& check);

// The desktop's text-table key (group "Msg") for a fault; its "%s1%" is the
// check's detail.
const char* MessageKey(RunFault fault);

// Where the report's lines go while the checks run: they are printed only in
// debug mode, while the checks run always.
class RunReport {
  public:
    RunReport() = default;
    // `showPath` writes a path as the face shows it (the console escapes
    // control characters); paths are shown as they are without it.
    RunReport(std::function<void(const std::string&)> print, bool debug,
              std::function<std::string(const std::string&)> showPath = {})
        : m_print(std::move(print)), m_debug(debug), m_showPath(std::move(showPath)) {}

    bool debug() const { return m_debug; }
    void Debug(const std::string& line) const {
        if (m_debug && m_print) m_print(line);
    }
    std::string Path(const std::string& path) const {
        return m_showPath ? m_showPath(path) : path;
    }

  private:
    std::function<void(const std::string&)> m_print;
    bool m_debug = false;
    std::function<std::string(const std::string&)> m_showPath;
};

// The options of the input format (nothing for "hdr").
void ReportInputOptions(std::string_view inputExtension, const ConversionSettings& settings,
                        const RunReport& report);

// The options of the output format, then its bit-depth test and, where the
// format has one, its quality test.
RunCheck CheckOutputOptions(std::string_view outputExtension, const ConversionSettings& settings,
                            const RunReport& report);

// Transform, adjustment, frame and watermark options with their checks, in
// the order of the chain (each step's own, from the chain's table). A text
// watermark's font is loaded into `font`.
RunCheck CheckChainOptions(const ConversionSettings& settings, const RunReport& report,
                           std::shared_ptr<const WatermarkFont>& font);

// Each step's report lines and checks, as the chain's table names them.
using SharedFont = std::shared_ptr<const WatermarkFont>;
RunCheck ReportRotation(const ConversionSettings&, const RunReport&, SharedFont&);
RunCheck ReportResize(const ConversionSettings&, const RunReport&, SharedFont&);
RunCheck ReportToneMapping(const ConversionSettings&, const RunReport&, SharedFont&);
RunCheck ReportFlip(const ConversionSettings&, const RunReport&, SharedFont&);
RunCheck ReportColourCorrection(const ConversionSettings&, const RunReport&, SharedFont&);
RunCheck ReportGreyscale(const ConversionSettings&, const RunReport&, SharedFont&);
RunCheck ReportThreshold(const ConversionSettings&, const RunReport&, SharedFont&);
RunCheck ReportDither(const ConversionSettings&, const RunReport&, SharedFont&);
RunCheck ReportFrame(const ConversionSettings&, const RunReport&, SharedFont&);
RunCheck ReportWatermark(const ConversionSettings&, const RunReport&, SharedFont&);

// File-name mask, time stamp and sub-folder lines.
void ReportFileOptions(const ConversionSettings& settings, const RunReport& report);

// The watermark's own checks, which the watermark step's report makes.
RunCheck LoadWatermarkFont(const ConversionSettings& settings,
                           std::shared_ptr<const WatermarkFont>& font);
// Image watermark: an empty name, a missing, empty or undecodable picture.
RunCheck CheckWatermarkImage(const ConversionSettings& settings);

// `value` with two decimals, "." as the decimal point whatever the locale.
std::string FormatTwoDecimals(float value);

}  // namespace orvex
