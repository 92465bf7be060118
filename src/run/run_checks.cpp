// Report lines and checks of the options a run depends on. Labels, keyword
// families and ranges come from the option table; which fields each format
// shows is a table here, and the chain checks follow the order of the chain.
#include "run/run_checks.h"

#include <charconv>
#include <type_traits>
#include <filesystem>
#include <variant>
#include <vector>

#include "formats/output_formats.h"
#include "run/chain_steps.h"
#include "drawing/image_watermark.h"
#include "drawing/watermark_font.h"
#include "settings/keywords.h"
#include "settings/option_fields.h"

namespace orvex {

namespace {

using CS = ConversionSettings;
using Int32Field = int32_t CS::*;
using Int8Field = int8_t CS::*;

RunCheck Fault(RunFault fault, std::string detail = {}) { return RunCheck{fault, std::move(detail)}; }

std::string Number(int32_t value) { return std::to_string(value); }

// A field's value as the report shows it: keyword fields by their word
// (compression numbers by the word of the writer shown), others as numbers
// or as stored.
std::string ShownValue(const OptionField& row, const CS& settings, CompressionWriter writer) {
    const SettingMember& member = row.config.member;
    if (auto text = std::get_if<std::string CS::*>(&member)) return settings.*(*text);
    if (auto real = std::get_if<float CS::*>(&member)) return FormatTwoDecimals(settings.*(*real));
    if (auto date = std::get_if<Date CS::*>(&member)) return std::to_string(settings.*(*date));
    int32_t value = 0;
    if (auto wide = std::get_if<Int32Field>(&member)) value = settings.*(*wide);
    if (auto narrow = std::get_if<Int8Field>(&member)) value = settings.*(*narrow);
    if (row.family == kCompression) return CompressionKeywordName(writer, value);
    if (row.family >= 0) return KeywordName(row.family, value);
    return Number(value);
}

// The report line of one field: its label from the option table, then its value.
template <typename Field>
std::string Line(const CS& settings, Field member,
                 CompressionWriter writer = CompressionWriter::Bmp) {
    const OptionField* row = FindOptionField(member);
    if (row == nullptr || row->reportLabel == nullptr) return {};
    return row->reportLabel + ShownValue(*row, settings, writer);
}

template <typename Field>
bool InRange(const CS& settings, Field member) {
    return IsInRange(member, static_cast<double>(settings.*member));
}

// The fault of a value outside its range, naming the value and the range
// the option table gives it: "500 (from -100 to 100)".
template <typename Field>
RunCheck OutOfRange(RunFault fault, const CS& settings, Field member) {
    std::string detail = std::is_same_v<Field, float CS::*>
                             ? FormatTwoDecimals(static_cast<float>(settings.*member))
                             : std::to_string(static_cast<int64_t>(settings.*member));
    const OptionField* row = FindOptionField(member);
    if (row && row->range) {
        const bool decimals = std::is_same_v<Field, float CS::*>;
        const auto shown = [decimals](double value) {
            return decimals ? FormatTwoDecimals(static_cast<float>(value))
                            : std::to_string(static_cast<int64_t>(value));
        };
        detail += " (from " + shown(row->range->minimum) + " to " + shown(row->range->maximum) + ")";
    }
    return RunCheck{fault, detail};
}

// The compression words a writer's report shows.
CompressionWriter CompressionWriterOf(std::string_view extension) {
    if (extension == "exr") return CompressionWriter::Exr;
    if (extension == "png") return CompressionWriter::Png;
    if (extension == "tga") return CompressionWriter::Tga;
    if (extension == "tiff") return CompressionWriter::Tiff;
    return CompressionWriter::Bmp;
}

// The rows of the option table that belong to reader group or writer
// `format` (the ones "config.ini" writes only for it), in table order: the
// report prints them in that order.
std::vector<const OptionField*> RowsOfFormat(WriteWhen when, std::string_view format) {
    std::vector<const OptionField*> rows;
    for (const OptionField& row : OptionFieldTable()) {
        if (row.config.when == when && row.config.format != nullptr && format == row.config.format)
            rows.push_back(&row);
    }
    return rows;
}

// A row's report line: its label, then its value as the report shows it;
// nothing for a row reported only when changed that holds its default.
std::string RowLine(const OptionField& row, const CS& settings, CompressionWriter writer) {
    if (row.reportLabel == nullptr) return {};
    if (row.reportOnlyChanged) {
        static const CS defaults{};
        if (FieldNumber(settings, row.config.member) == FieldNumber(defaults, row.config.member))
            return {};
    }
    return row.reportLabel + ShownValue(row, settings, writer);
}

bool IsNonEmptyFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error) &&
           std::filesystem::file_size(path, error) > 0 && !error;
}

}  // namespace

std::string FormatTwoDecimals(float value) {
    char buffer[64];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (error != std::errc{}) return "0.00";
    return std::string(buffer, end);
}

void ReportInputOptions(std::string_view inputExtension, const CS& settings,
                        const RunReport& report) {
    for (const OptionField* row : RowsOfFormat(WriteWhen::InputGroup, inputExtension))
        report.Debug(RowLine(*row, settings, CompressionWriter::Bmp));
}

RunCheck CheckOutputOptions(std::string_view outputExtension, const CS& settings,
                            const RunReport& report) {
    // Every line of the writer's options first, then its depth (its "Auto or
    // one of the writer's depths" row) and its quality (the row whose range
    // has a check of its own).
    const CompressionWriter writer = CompressionWriterOf(outputExtension);
    const std::vector<const OptionField*> rows =
        RowsOfFormat(WriteWhen::OutputExtension, outputExtension);
    for (const OptionField* row : rows) {
        std::string line = RowLine(*row, settings, writer);
        if (!line.empty() || !row->reportOnlyChanged) report.Debug(line);
    }
    const std::string extension(outputExtension);
    for (const OptionField* row : rows) {
        const double value = FieldNumber(settings, row->config.member);
        if (row->control.kind == ControlKind::DepthChoice && value != 0 &&
            !IsAllowedDepth(extension, static_cast<int32_t>(value)))
            return Fault(RunFault::InvalidBitDepth, extension);
    }
    for (const OptionField* row : rows) {
        if (row->range && row->range->use == RangeUse::OwnCheck &&
            !IsInRange(row->config.member, FieldNumber(settings, row->config.member)))
            return Fault(RunFault::InvalidQuality, extension);
    }
    return {};
}

RunCheck ReportRotation(const CS& s, const RunReport& report, SharedFont&) {
    if (!s.DoImageRotation) return {};
    report.Debug(Line(s, &CS::ImageRotationType));
    report.Debug(Line(s, &CS::ImageRotation));
    report.Debug(Line(s, &CS::ImageRotationBackColor));
    return {};
}

RunCheck ReportResize(const CS& s, const RunReport& report, SharedFont&) {
    if (!s.DoImageResize) return {};
    report.Debug(Line(s, &CS::ImageWidth) + " " + KeywordName(kSizeUnit, s.ImageWidthUnit));
    if (s.ImageWidth == 0) return Fault(RunFault::InvalidWidth);
    report.Debug(Line(s, &CS::ImageHeight) + " " + KeywordName(kSizeUnit, s.ImageHeightUnit));
    if (s.ImageHeight == 0) return Fault(RunFault::InvalidHeight);
    report.Debug(Line(s, &CS::KeepAspectRatio));
    report.Debug(Line(s, &CS::ImageResizeType));
    report.Debug(Line(s, &CS::ImageResizeAlgorithm));
    return {};
}

// Only the controls moved from their defaults are shown, so a run without
// them reports what it always did.
RunCheck ReportToneMapping(const CS& s, const RunReport& report, SharedFont&) {
    const CS defaults;
    for (float CS::*member :
         {&CS::DragoExposure, &CS::DragoBias, &CS::DragoGamma, &CS::DragoSaturation}) {
        if (s.*member != defaults.*member) report.Debug(Line(s, member));
    }
    return {};
}

RunCheck ReportFlip(const CS& s, const RunReport& report, SharedFont&) {
    report.Debug(Line(s, &CS::DoImageFlipHorizontal));
    report.Debug(Line(s, &CS::DoImageFlipVertical));
    return {};
}

RunCheck ReportColourCorrection(const CS& s, const RunReport& report, SharedFont&) {
    if (!s.DoImageColorCorrection) return {};
    report.Debug(Line(s, &CS::ImageBrightness));
    if (!InRange(s, &CS::ImageBrightness))
        return OutOfRange(RunFault::InvalidBrightness, s, &CS::ImageBrightness);
    report.Debug(Line(s, &CS::ImageContrast));
    if (!InRange(s, &CS::ImageContrast))
        return OutOfRange(RunFault::InvalidContrast, s, &CS::ImageContrast);
    report.Debug(Line(s, &CS::ImageGamma));
    // A range test fails NaN too.
    if (!InRange(s, &CS::ImageGamma)) return OutOfRange(RunFault::InvalidGamma, s, &CS::ImageGamma);
    report.Debug(Line(s, &CS::ImageInvert));
    return {};
}

RunCheck ReportGreyscale(const CS& s, const RunReport& report, SharedFont&) {
    report.Debug(Line(s, &CS::DoImageGreyscale));
    return {};
}

RunCheck ReportThreshold(const CS& s, const RunReport& report, SharedFont&) {
    if (s.DoImageThreshold) report.Debug(Line(s, &CS::ImageThreshold));
    return {};
}

RunCheck ReportDither(const CS& s, const RunReport& report, SharedFont&) {
    if (s.DoImageDither) report.Debug(Line(s, &CS::ImageDitherAlgorithm));
    return {};
}

RunCheck ReportFrame(const CS& s, const RunReport& report, SharedFont&) {
    report.Debug(Line(s, &CS::DoFrame));
    if (s.DoFrame != 1) return {};
    for (auto side : {&CS::SolidLeft, &CS::SolidRight, &CS::SolidTop, &CS::SolidBottom})
        report.Debug(Line(s, side));
    for (auto colour : {&CS::SolidLeftColor, &CS::SolidRightColor, &CS::SolidTopColor,
                        &CS::SolidBottomColor})
        report.Debug(Line(s, colour));
    report.Debug(Line(s, &CS::SolidOpacity));
    return {};
}

RunCheck ReportWatermark(const CS& s, const RunReport& report, SharedFont& font) {
    auto debug = [&](auto member) { report.Debug(Line(s, member)); };
    debug(&CS::DoWatermark);
    if (s.DoWatermark == 1) {
        debug(&CS::Text);
        debug(&CS::Font);
        debug(&CS::FontSize);
        debug(&CS::FontLeading);
        debug(&CS::FontColor);
        debug(&CS::FontStyle);
        debug(&CS::FontEffect);
        debug(&CS::TextAntialiasing);
        debug(&CS::TextAlignment);
        debug(&CS::TextPadding);
        debug(&CS::TextOpacity);
        debug(&CS::BackColor);
        debug(&CS::BackOpacity);
        debug(&CS::TextBoundary);
        debug(&CS::TextPosition);
        report.Debug("Watermark offset (x/y): " + Number(s.TextXOffset) + "/" +
                     Number(s.TextYOffset));
        debug(&CS::TextRotation);
        debug(&CS::TextSize);
        // Loaded once here and kept for the run, which draws every file with it.
        return LoadWatermarkFont(s, font);
    }
    if (s.DoWatermark == 2) {
        debug(&CS::Image);
        debug(&CS::ImageGreyscale);
        debug(&CS::ImageOpacity);
        debug(&CS::ImageBoundary);
        debug(&CS::ImagePosition);
        report.Debug("Watermark offset (x/y): " + Number(s.ImageXOffset) + "/" +
                     Number(s.ImageYOffset));
        debug(&CS::WatermarkImageRotation);
        debug(&CS::ImageSize);
        // A picture that cannot be decoded is refused now, like a missing
        // one, rather than leaving every file unmarked.
        return CheckWatermarkImage(s);
    }
    return {};
}

RunCheck CheckChainOptions(const CS& s, const RunReport& report,
                           std::shared_ptr<const WatermarkFont>& font) {
    for (const ChainStepRow& row : ChainStepTable()) {
        if (!row.report) continue;
        if (RunCheck check = row.report(s, report, font); !check.ok()) return check;
    }
    return {};
}

void ReportFileOptions(const CS& s, const RunReport& report) {
    report.Debug(Line(s, &CS::FilenameMask));
    report.Debug(Line(s, &CS::FileTimestamp));
    if (s.FileTimestamp == 2) report.Debug(Line(s, &CS::CustomTimestamp));
    report.Debug(Line(s, &CS::KeepSubfolders));
}

}  // namespace orvex

namespace orvex {

std::string ConsoleErrorLine(const RunCheck& check) {
    switch (check.fault) {
        case RunFault::None: return {};
        case RunFault::InvalidInputFile:
        case RunFault::EmptyInputFiles: return "Error: Invalid input file";
        case RunFault::EmptyOutputFolder:
        case RunFault::InvalidOutputFolder: return "Error: Invalid output folder";
        case RunFault::IncorrectOutputFolder: return "Error: Incorrect output folder";
        case RunFault::InvalidConversionType: return "Error: Invalid conversion type";
        case RunFault::InvalidBitDepth: return "Error: Invalid " + check.detail + "-bpp value";
        case RunFault::InvalidQuality: return "Error: Invalid " + check.detail + "-quality value";
        case RunFault::InvalidWidth: return "Error: Invalid width value";
        case RunFault::InvalidHeight: return "Error: Invalid height value";
        case RunFault::InvalidBrightness: return "Error: Invalid brightness value";
        case RunFault::InvalidContrast: return "Error: Invalid contrast value";
        case RunFault::InvalidGamma: return "Error: Invalid gamma value";
        case RunFault::InvalidWatermarkFont: return "Error: Invalid watermark font";
        case RunFault::EmptyWatermarkImage:
        case RunFault::InvalidWatermarkImage: return "Error: Invalid watermark image";
        case RunFault::InvalidValue: return "Error: Invalid value for " + check.detail;
        case RunFault::DuplicateOutput: return "Error: Duplicate output file";
        case RunFault::OutputOverInput: return "Error: Output file replaces an input file";
        case RunFault::GainMapConflict:
            return "Error: A gain map cannot be written with " + check.detail;
        case RunFault::FileFailed: return {};  // a file's failure is reported per file
    }
    return {};
}

const char* MessageKey(RunFault fault) {
    switch (fault) {
        case RunFault::None: return "";
        case RunFault::InvalidInputFile:
        case RunFault::EmptyInputFiles: return "Empty input files";
        case RunFault::EmptyOutputFolder: return "Empty output folder";
        case RunFault::IncorrectOutputFolder:
        case RunFault::InvalidOutputFolder: return "Invalid output folder";
        case RunFault::InvalidConversionType: return "Invalid conversion type";
        // Values an edited configuration file brings in past the controls.
        case RunFault::InvalidBitDepth: return "Invalid bit depth";
        case RunFault::InvalidQuality: return "Invalid quality";
        case RunFault::InvalidBrightness: return "Invalid brightness";
        case RunFault::InvalidContrast: return "Invalid contrast";
        case RunFault::InvalidGamma: return "Invalid gamma";
        case RunFault::InvalidWidth: return "Invalid width";
        case RunFault::InvalidHeight: return "Invalid height";
        case RunFault::InvalidWatermarkFont: return "Invalid watermark font";
        case RunFault::EmptyWatermarkImage: return "Empty watermark image";
        case RunFault::InvalidWatermarkImage: return "Invalid watermark image";
        case RunFault::InvalidValue: return "Invalid value";
        case RunFault::DuplicateOutput: return "Duplicate output file";
        case RunFault::OutputOverInput: return "Output replaces input";
        case RunFault::GainMapConflict: return "Gain map conflict";
        case RunFault::FileFailed: return "";
    }
    return "";
}

RunCheck LoadWatermarkFont(const ConversionSettings& settings,
                           std::shared_ptr<const WatermarkFont>& font) {
    font = WatermarkFont::Load(settings);
    if (!font) return Fault(RunFault::InvalidWatermarkFont, settings.Font);
    return {};
}

RunCheck CheckWatermarkImage(const ConversionSettings& settings) {
    if (settings.Image.empty()) return Fault(RunFault::EmptyWatermarkImage);
    if (!IsNonEmptyFile(settings.Image) || !CanDecodeWatermarkImage(settings.Image))
        return Fault(RunFault::InvalidWatermarkImage, settings.Image);
    return {};
}

}  // namespace orvex
