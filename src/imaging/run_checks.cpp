// Report lines and checks of the options a run depends on. The per-format
// lines are tables; the chain checks follow the order of the chain itself.
#include "imaging/run_checks.h"

#include <charconv>
#include <filesystem>
#include <variant>
#include <vector>

#include "formats/output_formats.h"
#include "imaging/watermark_font.h"
#include "settings/keywords.h"

namespace orvex {

namespace {

using CS = ConversionSettings;
using Int32Field = int32_t CS::*;
using Int8Field = int8_t CS::*;

RunCheck Fault(RunFault fault, std::string detail = {}) { return RunCheck{fault, std::move(detail)}; }

enum class Shown { Number, Keyword, Compression };

struct ReportLine {
    const char* label;
    Shown shown;
    std::variant<Int32Field, Int8Field> field;
    int family = -1;                                    // for Keyword
    CompressionWriter writer = CompressionWriter::Bmp;  // for Compression
};

int32_t ValueOf(const std::variant<Int32Field, Int8Field>& field, const CS& settings) {
    if (auto wide = std::get_if<Int32Field>(&field)) return settings.*(*wide);
    return settings.*std::get<Int8Field>(field);
}

std::string ShownValue(const ReportLine& line, const CS& settings) {
    int32_t value = ValueOf(line.field, settings);
    switch (line.shown) {
        case Shown::Keyword:
            return KeywordName(line.family, value);
        case Shown::Compression:
            return CompressionKeywordName(line.writer, value);
        case Shown::Number:
            break;
    }
    return std::to_string(value);
}

ReportLine Num(const char* label, Int32Field field) { return {label, Shown::Number, field}; }
ReportLine Num8(const char* label, Int8Field field) { return {label, Shown::Number, field}; }
ReportLine Kw(const char* label, int family, Int32Field field) {
    return {label, Shown::Keyword, field, family};
}
ReportLine Packing(const char* label, CompressionWriter writer, Int32Field field) {
    return {label, Shown::Compression, field, -1, writer};
}

struct InputReportRow {
    const char* extension;
    std::vector<ReportLine> lines;
};

const std::vector<InputReportRow>& InputReportRows() {
    static const std::vector<InputReportRow> rows{
        {"dds", {Kw("DDS Load As: ", kDdsLoadMode, &CS::DdsLoadAs)}},
        {"gif", {Kw("GIF Frame Loading: ", kFrameChoice, &CS::GifFrameLoading)}},
        {"ico", {Kw("ICO Frame Loading: ", kFrameChoice, &CS::IcoFrameLoading)}},
        {"psd", {Kw("PSD Color Mode: ", kColourModel, &CS::PsdColorMode)}},
        {"raw",
         {Kw("RAW Load As: ", kRawLoadDepth, &CS::RawLoadAs),
          Num("RAW Header Size: ", &CS::RawHeaderSize),
          Num("RAW Image Width: ", &CS::RawImageWidth),
          Num("RAW Image Height: ", &CS::RawImageHeight),
          Kw("RAW Tone Mapping: ", kToneMapping, &CS::RawToneMapping)}},
        {"tiff", {Kw("TIFF Frame Loading: ", kFrameChoice, &CS::TiffFrameLoading)}},
    };
    return rows;
}

struct OutputReportRow {
    const char* extension;
    const char* bppLabel;
    Int32Field bpp;
    std::vector<ReportLine> lines;
    Int32Field quality = nullptr;  // tested 1 to 100 when the format has one
};

const std::vector<OutputReportRow>& OutputReportRows() {
    using W = CompressionWriter;
    static const std::vector<OutputReportRow> rows{
        {"bmp",
         "BMP BPP: ",
         &CS::BmpBpp,
         {Packing("BMP Compression: ", W::Bmp, &CS::BmpCompression),
          Kw("BMP Color Table: ", kColourTable, &CS::BmpColorTable)}},
        {"dds", "DDS BPP: ", &CS::DdsBpp, {}},
        {"exr",
         "EXR BPP: ",
         &CS::ExrBpp,
         {Packing("EXR Compression: ", W::Exr, &CS::ExrCompression)}},
        {"gif", "GIF BPP: ", &CS::GifBpp, {}},
        {"hdr", "HDR BPP: ", &CS::HdrBpp, {}},
        {"ico", "ICO BPP: ", &CS::IcoBpp, {}},
        {"j2k", "J2K BPP: ", &CS::J2kBpp, {}},
        {"jng", "JNG BPP: ", &CS::JngBpp, {}},
        {"jp2", "JP2 BPP: ", &CS::Jp2Bpp, {}},
        {"jpg",
         "JPG BPP: ",
         &CS::JpgBpp,
         {Num("JPG Quality: ", &CS::JpgQuality),
          Kw("JPG Chroma Subsampling: ", kChromaSubsampling, &CS::JpgChroma),
          Kw("JPG Save As: ", kJpegSaveMode, &CS::JpgSaveAs)},
         &CS::JpgQuality},
        {"jxr", "JXR BPP: ", &CS::JxrBpp, {}},
        {"pbm", "PBM BPP: ", &CS::PbmBpp, {}},
        {"pcx", "PCX BPP: ", &CS::PcxBpp, {}},
        {"pfm", "PFM BPP: ", &CS::PfmBpp, {}},
        {"pgm", "PGM BPP: ", &CS::PgmBpp, {}},
        {"png",
         "PNG BPP: ",
         &CS::PngBpp,
         {Packing("PNG Compression: ", W::Png, &CS::PngCompression),
          Num8("PNG Interlaced: ", &CS::PngInterlaced)}},
        {"ppm", "PPM BPP: ", &CS::PpmBpp, {}},
        {"psd", "PSD BPP: ", &CS::PsdBpp, {}},
        {"tga",
         "TGA BPP: ",
         &CS::TgaBpp,
         {Packing("TGA Compression: ", W::Tga, &CS::TgaCompression)}},
        {"tiff",
         "TIFF BPP: ",
         &CS::TiffBpp,
         {Packing("TIFF Compression: ", W::Tiff, &CS::TiffCompression),
          Kw("TIFF Color Mode: ", kColourModel, &CS::TiffColorMode)}},
        {"wbmp", "WBMP BPP: ", &CS::WbmpBpp, {}},
        {"webp",
         "WEBP BPP: ",
         &CS::WebpBpp,
         {Num("WEBP Quality: ", &CS::WebpQuality)},
         &CS::WebpQuality},
        {"xpm", "XPM BPP: ", &CS::XpmBpp, {}},
    };
    return rows;
}

void PrintLines(const std::vector<ReportLine>& lines, const CS& settings, const RunReport& report) {
    for (const ReportLine& line : lines) report.Debug(line.label + ShownValue(line, settings));
}

std::string Number(int32_t value) { return std::to_string(value); }

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
    for (const InputReportRow& row : InputReportRows()) {
        if (inputExtension == row.extension) PrintLines(row.lines, settings, report);
    }
}

RunCheck CheckOutputOptions(std::string_view outputExtension, const CS& settings,
                            const RunReport& report) {
    for (const OutputReportRow& row : OutputReportRows()) {
        if (outputExtension != row.extension) continue;
        int32_t depth = settings.*(row.bpp);
        report.Debug(row.bppLabel + Number(depth));
        PrintLines(row.lines, settings, report);
        std::string extension(row.extension);
        if (depth != 0 && !IsAllowedDepth(extension, depth))
            return Fault(RunFault::InvalidBitDepth, extension);
        if (row.quality != nullptr) {
            int32_t quality = settings.*(row.quality);
            if (quality < 1 || quality > 100)
                return Fault(RunFault::InvalidQuality, extension);
        }
    }
    return {};
}

RunCheck CheckChainOptions(const CS& s, const RunReport& report,
                           std::shared_ptr<const WatermarkFont>& font) {
    if (s.DoImageRotation) {
        report.Debug("Image Rotation Type: " + KeywordName(kRotationType, s.ImageRotationType));
        report.Debug("Image Rotation: " + Number(s.ImageRotation));
        report.Debug("Image Rotation Back Color: " + s.ImageRotationBackColor);
    }
    if (s.DoImageResize) {
        report.Debug("Width: " + Number(s.ImageWidth) + " " +
                     KeywordName(kSizeUnit, s.ImageWidthUnit));
        if (s.ImageWidth == 0) return Fault(RunFault::InvalidWidth);
        report.Debug("Height: " + Number(s.ImageHeight) + " " +
                     KeywordName(kSizeUnit, s.ImageHeightUnit));
        if (s.ImageHeight == 0) return Fault(RunFault::InvalidHeight);
        report.Debug("Keep Aspect Ratio: " + Number(s.KeepAspectRatio));
        report.Debug("Image Resize Type: " + KeywordName(kResizeScope, s.ImageResizeType));
        report.Debug("Image Resize Algorithm: " +
                     KeywordName(kResizeFilter, s.ImageResizeAlgorithm));
    }
    report.Debug("Flip Horizontal: " + Number(s.DoImageFlipHorizontal));
    report.Debug("Flip Vertical: " + Number(s.DoImageFlipVertical));
    if (s.DoImageColorCorrection) {
        report.Debug("Brightness: " + Number(s.ImageBrightness));
        if (s.ImageBrightness < -100 || s.ImageBrightness > 100)
            return Fault(RunFault::InvalidBrightness);
        report.Debug("Contrast: " + Number(s.ImageContrast));
        if (s.ImageContrast < -100 || s.ImageContrast > 100) return Fault(RunFault::InvalidContrast);
        report.Debug("Gamma: " + FormatTwoDecimals(s.ImageGamma));
        // Written so that NaN fails too.
        if (!(s.ImageGamma >= 0.01f && s.ImageGamma <= 9.99f)) return Fault(RunFault::InvalidGamma);
        report.Debug("Invert: " + Number(s.ImageInvert));
    }
    report.Debug("Greyscale: " + Number(s.DoImageGreyscale));
    if (s.DoImageThreshold) report.Debug("Image Threshold: " + Number(s.ImageThreshold));
    if (s.DoImageDither)
        report.Debug("Image Dithering Algorithm: " +
                     KeywordName(kDitherAlgorithm, s.ImageDitherAlgorithm));

    report.Debug("Frame: " + KeywordName(kFrameType, s.DoFrame));
    if (s.DoFrame == 1) {
        report.Debug("Frame left: " + Number(s.SolidLeft));
        report.Debug("Frame right: " + Number(s.SolidRight));
        report.Debug("Frame top: " + Number(s.SolidTop));
        report.Debug("Frame bottom: " + Number(s.SolidBottom));
        report.Debug("Frame left color: " + s.SolidLeftColor);
        report.Debug("Frame right color: " + s.SolidRightColor);
        report.Debug("Frame top color: " + s.SolidTopColor);
        report.Debug("Frame bottom color: " + s.SolidBottomColor);
        report.Debug("Frame opacity: " + Number(s.SolidOpacity));
    }

    report.Debug("Watermark: " + KeywordName(kWatermarkType, s.DoWatermark));
    if (s.DoWatermark == 1) {
        report.Debug("Watermark text: " + s.Text);
        report.Debug("Watermark font: " + s.Font);
        report.Debug("Watermark font size: " + Number(s.FontSize));
        report.Debug("Watermark font leading: " + Number(s.FontLeading));
        report.Debug("Watermark font color: " + s.FontColor);
        report.Debug("Watermark font style: " + KeywordName(kFontStyle, s.FontStyle));
        report.Debug("Watermark font effect: " + KeywordName(kFontEffect, s.FontEffect));
        report.Debug("Watermark text antialiasing: " + Number(s.TextAntialiasing));
        report.Debug("Watermark text alignment: " + KeywordName(kTextAlignment, s.TextAlignment));
        report.Debug("Watermark text padding: " + Number(s.TextPadding));
        report.Debug("Watermark text opacity: " + Number(s.TextOpacity));
        report.Debug("Watermark background color: " + s.BackColor);
        report.Debug("Watermark background opacity: " + Number(s.BackOpacity));
        report.Debug("Watermark boundary: " + KeywordName(kBoundary, s.TextBoundary));
        report.Debug("Watermark position: " + KeywordName(kPosition, s.TextPosition));
        report.Debug("Watermark offset (x/y): " + Number(s.TextXOffset) + "/" +
                     Number(s.TextYOffset));
        report.Debug("Watermark rotation: " + Number(s.TextRotation));
        report.Debug("Watermark size/mode: " + KeywordName(kSizeMode, s.TextSize));
        // Loaded once here and kept for the worker, which draws every file with it.
        RunCheck loaded = LoadWatermarkFont(s, font);
        if (!loaded.ok()) return loaded;
    } else if (s.DoWatermark == 2) {
        report.Debug("Watermark image: " + s.Image);
        report.Debug("Watermark greyscale: " + Number(s.ImageGreyscale));
        report.Debug("Watermark opacity: " + Number(s.ImageOpacity));
        report.Debug("Watermark boundary: " + KeywordName(kBoundary, s.ImageBoundary));
        report.Debug("Watermark position: " + KeywordName(kPosition, s.ImagePosition));
        report.Debug("Watermark offset (x/y): " + Number(s.ImageXOffset) + "/" +
                     Number(s.ImageYOffset));
        report.Debug("Watermark rotation: " + Number(s.WatermarkImageRotation));
        report.Debug("Watermark size/mode: " + KeywordName(kSizeMode, s.ImageSize));
        if (!IsNonEmptyFile(s.Image)) return Fault(RunFault::InvalidWatermarkImage, s.Image);
    }
    return {};
}

void ReportFileOptions(const CS& s, const RunReport& report) {
    report.Debug("Filename Mask: " + s.FilenameMask);
    report.Debug("File Timestamp: " + KeywordName(kTimestampSource, s.FileTimestamp));
    if (s.FileTimestamp == 2) report.Debug("Custom Timestamp: " + Number(s.CustomTimestamp));
    report.Debug("Keep Subfolders: " + Number(s.KeepSubfolders));
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
        // The desktop's controls keep these inside their ranges; the nearest
        // message asks for the fields to be filled in properly.
        case RunFault::InvalidBitDepth:
        case RunFault::InvalidQuality:
        case RunFault::InvalidBrightness:
        case RunFault::InvalidContrast:
        case RunFault::InvalidGamma: return "Empty extensions";
        case RunFault::InvalidWidth: return "Invalid width";
        case RunFault::InvalidHeight: return "Invalid height";
        case RunFault::InvalidWatermarkFont: return "Invalid watermark font";
        case RunFault::EmptyWatermarkImage: return "Empty watermark image";
        case RunFault::InvalidWatermarkImage: return "Invalid watermark image";
    }
    return "";
}

RunCheck CheckResizeSize(const ConversionSettings& settings) {
    if (settings.DoImageResize == 0) return {};
    if (settings.ImageWidth == 0) return Fault(RunFault::InvalidWidth);
    if (settings.ImageHeight == 0) return Fault(RunFault::InvalidHeight);
    return {};
}

RunCheck LoadWatermarkFont(const ConversionSettings& settings,
                           std::shared_ptr<const WatermarkFont>& font) {
    font = WatermarkFont::Load(settings);
    if (!font) return Fault(RunFault::InvalidWatermarkFont, settings.Font);
    return {};
}

RunCheck CheckWatermarkImage(const ConversionSettings& settings) {
    if (settings.Image.empty()) return Fault(RunFault::EmptyWatermarkImage);
    if (!IsNonEmptyFile(settings.Image)) return Fault(RunFault::InvalidWatermarkImage, settings.Image);
    return {};
}

}  // namespace orvex
