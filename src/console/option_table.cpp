// The rows of the long option table and the conversion of their values.
#include "console/option_table.h"

#include <unordered_map>

#include "console/value_parsing.h"
#include "settings/keywords.h"

namespace orvex {

namespace {

using CS = ConversionSettings;
using K = OptionKind;

// Row builders, so that each row of the table reads as one line.
template <typename Field>
LongOption Row(const char* name, OptionKind kind, Field field) {
    LongOption row{.name = name, .kind = kind, .field = field};
    return row;
}
LongOption Number(const char* name, Int32Field field) { return Row(name, K::Number, field); }
LongOption Real(const char* name, FloatField field) { return Row(name, K::Real, field); }
LongOption Text(const char* name, TextField field) { return Row(name, K::Text, field); }
template <typename Field>
LongOption Keyword(const char* name, Field field, int family) {
    LongOption row = Row(name, K::Keyword, field);
    row.family = family;
    return row;
}
LongOption Flag(const char* name, Int8Field field, int8_t value) {
    LongOption row = Row(name, K::Flag, field);
    row.flagValue = value;
    return row;
}
LongOption SwitchesOn(LongOption row, Int8Field step, int8_t value = 1) {
    row.switchOn = step;
    row.switchValue = value;
    return row;
}
LongOption KnownInProfileAs(LongOption row, const char* key) {
    row.profileKey = key;
    return row;
}
LongOption UnquotedInProfile(LongOption row) {
    row.profileUnquotes = true;
    return row;
}

const std::vector<LongOption>& Rows() {
    // clang-format off
    static const std::vector<LongOption> rows{
        // Input formats
        Keyword("--DDS-LOAD-AS", &CS::DdsLoadAs, kDdsLoadMode),
        Keyword("--GIF-FRAME-LOADING", &CS::GifFrameLoading, kFrameChoice),
        Keyword("--ICO-FRAME-LOADING", &CS::IcoFrameLoading, kFrameChoice),
        Keyword("--PSD-COLOR-MODE", &CS::PsdColorMode, kColourModel),
        Keyword("--RAW-LOAD-AS", &CS::RawLoadAs, kRawLoadDepth),
        Number("--RAW-HEADER-SIZE", &CS::RawHeaderSize),
        Number("--RAW-WIDTH", &CS::RawImageWidth),
        Number("--RAW-HEIGHT", &CS::RawImageHeight),
        Keyword("--RAW-TONE-MAPPING", &CS::RawToneMapping, kToneMapping),
        Keyword("--TIFF-FRAME-LOADING", &CS::TiffFrameLoading, kFrameChoice),
        // Output bit depths
        Number("--BMP-BPP", &CS::BmpBpp),
        Number("--DDS-BPP", &CS::DdsBpp),
        Number("--EXR-BPP", &CS::ExrBpp),
        Number("--GIF-BPP", &CS::GifBpp),
        Number("--HDR-BPP", &CS::HdrBpp),
        Number("--ICO-BPP", &CS::IcoBpp),
        Number("--J2K-BPP", &CS::J2kBpp),
        Number("--JNG-BPP", &CS::JngBpp),
        Number("--JP2-BPP", &CS::Jp2Bpp),
        Number("--JPG-BPP", &CS::JpgBpp),
        Number("--JXR-BPP", &CS::JxrBpp),
        Number("--PBM-BPP", &CS::PbmBpp),
        Number("--PCX-BPP", &CS::PcxBpp),
        Number("--PFM-BPP", &CS::PfmBpp),
        Number("--PGM-BPP", &CS::PgmBpp),
        Number("--PNG-BPP", &CS::PngBpp),
        Number("--PPM-BPP", &CS::PpmBpp),
        Number("--PSD-BPP", &CS::PsdBpp),
        Number("--TGA-BPP", &CS::TgaBpp),
        Number("--TIFF-BPP", &CS::TiffBpp),
        Number("--WBMP-BPP", &CS::WbmpBpp),
        Number("--WEBP-BPP", &CS::WebpBpp),
        Number("--XPM-BPP", &CS::XpmBpp),
        // Other output options
        Keyword("--BMP-COMPRESSION", &CS::BmpCompression, kCompression),
        Keyword("--BMP-COLOR-TABLE", &CS::BmpColorTable, kColourTable),
        Keyword("--EXR-COMPRESSION", &CS::ExrCompression, kCompression),
        Number("--JPG-QUALITY", &CS::JpgQuality),
        Keyword("--JPG-CHROMA", &CS::JpgChroma, kChromaSubsampling),
        Keyword("--JPG-SAVE-AS", &CS::JpgSaveAs, kJpegSaveMode),
        Keyword("--PNG-COMPRESSION", &CS::PngCompression, kCompression),
        Flag("--PNG-INTERLACED", &CS::PngInterlaced, 1),
        Keyword("--TGA-COMPRESSION", &CS::TgaCompression, kCompression),
        Keyword("--TIFF-COMPRESSION", &CS::TiffCompression, kCompression),
        Keyword("--TIFF-COLOR-MODE", &CS::TiffColorMode, kColourModel),
        Number("--WEBP-QUALITY", &CS::WebpQuality),
        // Transform
        Keyword("--ROTATION-TYPE", &CS::ImageRotationType, kRotationType),
        SwitchesOn(Number("--ROTATION", &CS::ImageRotation), &CS::DoImageRotation),
        Text("--ROTATION-BACK-COLOR", &CS::ImageRotationBackColor),
        SwitchesOn(Number("--WIDTH", &CS::ImageWidth), &CS::DoImageResize),
        Keyword("--WIDTH-UNIT", &CS::ImageWidthUnit, kSizeUnit),
        SwitchesOn(Number("--HEIGHT", &CS::ImageHeight), &CS::DoImageResize),
        Keyword("--HEIGHT-UNIT", &CS::ImageHeightUnit, kSizeUnit),
        Flag("--KEEP-ASPECT-RATIO", &CS::KeepAspectRatio, 1),
        Keyword("--RESIZE-TYPE", &CS::ImageResizeType, kResizeScope),
        Keyword("--RESIZE-ALGORITHM", &CS::ImageResizeAlgorithm, kResizeFilter),
        Flag("--FLIP-HORIZONTAL", &CS::DoImageFlipHorizontal, 1),
        Flag("--FLIP-VERTICAL", &CS::DoImageFlipVertical, 1),
        // Adjustment
        SwitchesOn(Number("--BRIGHTNESS", &CS::ImageBrightness), &CS::DoImageColorCorrection),
        SwitchesOn(Number("--CONTRAST", &CS::ImageContrast), &CS::DoImageColorCorrection),
        SwitchesOn(Real("--GAMMA", &CS::ImageGamma), &CS::DoImageColorCorrection),
        SwitchesOn(Flag("--INVERT", &CS::ImageInvert, 1), &CS::DoImageColorCorrection),
        Flag("--GREYSCALE", &CS::DoImageGreyscale, 1),
        SwitchesOn(Number("--THRESHOLD", &CS::ImageThreshold), &CS::DoImageThreshold),
        SwitchesOn(Keyword("--DITHER", &CS::ImageDitherAlgorithm, kDitherAlgorithm),
                   &CS::DoImageDither),
        // Frame
        SwitchesOn(Number("--FR-SOLID-LEFT", &CS::SolidLeft), &CS::DoFrame),
        SwitchesOn(Number("--FR-SOLID-RIGHT", &CS::SolidRight), &CS::DoFrame),
        SwitchesOn(Number("--FR-SOLID-TOP", &CS::SolidTop), &CS::DoFrame),
        SwitchesOn(Number("--FR-SOLID-BOTTOM", &CS::SolidBottom), &CS::DoFrame),
        Text("--FR-SOLID-LEFT-COLOR", &CS::SolidLeftColor),
        Text("--FR-SOLID-RIGHT-COLOR", &CS::SolidRightColor),
        Text("--FR-SOLID-TOP-COLOR", &CS::SolidTopColor),
        Text("--FR-SOLID-BOTTOM-COLOR", &CS::SolidBottomColor),
        // A profile knows the frame opacity under the watermark prefix.
        KnownInProfileAs(Number("--FR-SOLID-OPACITY", &CS::SolidOpacity), "--WM-SOLID-OPACITY"),
        // Text watermark
        SwitchesOn(Text("--WM-TEXT", &CS::Text), &CS::DoWatermark),
        Text("--WM-FONT", &CS::Font),
        Number("--WM-FONT-SIZE", &CS::FontSize),
        Number("--WM-FONT-LEADING", &CS::FontLeading),
        Text("--WM-FONT-COLOR", &CS::FontColor),
        Keyword("--WM-FONT-STYLE", &CS::FontStyle, kFontStyle),
        Keyword("--WM-FONT-EFFECT", &CS::FontEffect, kFontEffect),
        Flag("--WM-TEXT-ANTIALIASING", &CS::TextAntialiasing, 1),
        Keyword("--WM-TEXT-ALIGNMENT", &CS::TextAlignment, kTextAlignment),
        Number("--WM-TEXT-PADDING", &CS::TextPadding),
        Number("--WM-TEXT-OPACITY", &CS::TextOpacity),
        Text("--WM-BACK-COLOR", &CS::BackColor),
        Number("--WM-BACK-OPACITY", &CS::BackOpacity),
        Keyword("--WM-TEXT-BOUNDARY", &CS::TextBoundary, kBoundary),
        Keyword("--WM-TEXT-POSITION", &CS::TextPosition, kPosition),
        Number("--WM-TEXT-X-OFFSET", &CS::TextXOffset),
        Number("--WM-TEXT-Y-OFFSET", &CS::TextYOffset),
        Number("--WM-TEXT-ROTATION", &CS::TextRotation),
        Keyword("--WM-TEXT-SIZE", &CS::TextSize, kSizeMode),
        // Image watermark
        SwitchesOn(Text("--WM-IMAGE", &CS::Image), &CS::DoWatermark, 2),
        Flag("--WM-IMAGE-GREYSCALE", &CS::ImageGreyscale, 1),
        Number("--WM-IMAGE-OPACITY", &CS::ImageOpacity),
        Keyword("--WM-IMAGE-BOUNDARY", &CS::ImageBoundary, kBoundary),
        Keyword("--WM-IMAGE-POSITION", &CS::ImagePosition, kPosition),
        Number("--WM-IMAGE-X-OFFSET", &CS::ImageXOffset),
        Number("--WM-IMAGE-Y-OFFSET", &CS::ImageYOffset),
        Number("--WM-IMAGE-ROTATION", &CS::WatermarkImageRotation),
        Keyword("--WM-IMAGE-SIZE", &CS::ImageSize, kSizeMode),
        // Advanced
        UnquotedInProfile(Text("--FILENAME-MASK", &CS::FilenameMask)),
        Keyword("--FILE-TIMESTAMP", &CS::FileTimestamp, kTimestampSource),
        Number("--FILE-TIMESTAMP-CUSTOM", &CS::CustomTimestamp),
        Flag("--NO-SUBFOLDERS", &CS::KeepSubfolders, 0),
    };
    // clang-format on
    return rows;
}

using Index = std::unordered_map<std::string_view, const LongOption*>;

const Index& CommandLineIndex() {
    static const Index index = [] {
        Index built;
        for (const LongOption& row : Rows()) built.emplace(row.name, &row);
        return built;
    }();
    return index;
}

const Index& ProfileIndex() {
    static const Index index = [] {
        Index built;
        for (const LongOption& row : Rows())
            built.emplace(row.profileKey != nullptr ? row.profileKey : row.name, &row);
        return built;
    }();
    return index;
}

const LongOption* Lookup(const Index& index, std::string_view key) {
    auto found = index.find(key);
    return found == index.end() ? nullptr : found->second;
}

// Stores an integer into whichever integer field the row names.
void StoreInteger(const SettingsField& field, int32_t value, ConversionSettings& settings) {
    if (auto wide = std::get_if<Int32Field>(&field))
        settings.*(*wide) = value;
    else if (auto narrow = std::get_if<Int8Field>(&field))
        settings.*(*narrow) = NarrowToInt8(value);
}

}  // namespace

const std::vector<LongOption>& LongOptionTable() { return Rows(); }

const LongOption* FindCommandLineOption(std::string_view upperName) {
    return Lookup(CommandLineIndex(), upperName);
}

const LongOption* FindProfileOption(std::string_view upperKey) {
    return Lookup(ProfileIndex(), upperKey);
}

void ApplyLongOption(const LongOption& option, std::string_view value,
                     ConversionSettings& settings) {
    switch (option.kind) {
        case OptionKind::Number:
            StoreInteger(option.field, ParseNumberValue(value), settings);
            break;
        case OptionKind::Real:
            if (auto real = std::get_if<FloatField>(&option.field))
                settings.*(*real) = ParseRealValue(value);
            break;
        case OptionKind::Keyword:
            StoreInteger(option.field, ParseKeyword(option.family, TrimBlanks(value)), settings);
            break;
        case OptionKind::Text:
            if (auto text = std::get_if<TextField>(&option.field))
                settings.*(*text) = std::string(value);
            break;
        case OptionKind::Flag:
            StoreInteger(option.field, option.flagValue, settings);
            break;
    }
    if (option.switchOn != nullptr) settings.*(option.switchOn) = option.switchValue;
}

}  // namespace orvex
