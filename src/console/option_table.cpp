// The rows of the long option table and the conversion of their values.
#include "console/option_table.h"

#include <unordered_map>

#include "console/value_parsing.h"
#include "settings/keywords.h"

namespace orvex {

namespace {

using CS = ConversionSettings;
using K = OptionKind;

const std::vector<LongOption>& Rows() {
    static const std::vector<LongOption> rows{
        // Input formats
        {.name = "--DDS-LOAD-AS", .kind = K::Keyword, .field = &CS::DdsLoadAs, .family = kDdsLoadMode},
        {.name = "--GIF-FRAME-LOADING", .kind = K::Keyword, .field = &CS::GifFrameLoading, .family = kFrameChoice},
        {.name = "--ICO-FRAME-LOADING", .kind = K::Keyword, .field = &CS::IcoFrameLoading, .family = kFrameChoice},
        {.name = "--PSD-COLOR-MODE", .kind = K::Keyword, .field = &CS::PsdColorMode, .family = kColourModel},
        {.name = "--RAW-LOAD-AS", .kind = K::Keyword, .field = &CS::RawLoadAs, .family = kRawLoadDepth},
        {.name = "--RAW-HEADER-SIZE", .kind = K::Number, .field = &CS::RawHeaderSize},
        {.name = "--RAW-WIDTH", .kind = K::Number, .field = &CS::RawImageWidth},
        {.name = "--RAW-HEIGHT", .kind = K::Number, .field = &CS::RawImageHeight},
        {.name = "--RAW-TONE-MAPPING", .kind = K::Keyword, .field = &CS::RawToneMapping, .family = kToneMapping},
        {.name = "--TIFF-FRAME-LOADING", .kind = K::Keyword, .field = &CS::TiffFrameLoading, .family = kFrameChoice},
        // Output bit depths
        {.name = "--BMP-BPP", .kind = K::Number, .field = &CS::BmpBpp},
        {.name = "--DDS-BPP", .kind = K::Number, .field = &CS::DdsBpp},
        {.name = "--EXR-BPP", .kind = K::Number, .field = &CS::ExrBpp},
        {.name = "--GIF-BPP", .kind = K::Number, .field = &CS::GifBpp},
        {.name = "--HDR-BPP", .kind = K::Number, .field = &CS::HdrBpp},
        {.name = "--ICO-BPP", .kind = K::Number, .field = &CS::IcoBpp},
        {.name = "--J2K-BPP", .kind = K::Number, .field = &CS::J2kBpp},
        {.name = "--JNG-BPP", .kind = K::Number, .field = &CS::JngBpp},
        {.name = "--JP2-BPP", .kind = K::Number, .field = &CS::Jp2Bpp},
        {.name = "--JPG-BPP", .kind = K::Number, .field = &CS::JpgBpp},
        {.name = "--JXR-BPP", .kind = K::Number, .field = &CS::JxrBpp},
        {.name = "--PBM-BPP", .kind = K::Number, .field = &CS::PbmBpp},
        {.name = "--PCX-BPP", .kind = K::Number, .field = &CS::PcxBpp},
        {.name = "--PFM-BPP", .kind = K::Number, .field = &CS::PfmBpp},
        {.name = "--PGM-BPP", .kind = K::Number, .field = &CS::PgmBpp},
        {.name = "--PNG-BPP", .kind = K::Number, .field = &CS::PngBpp},
        {.name = "--PPM-BPP", .kind = K::Number, .field = &CS::PpmBpp},
        {.name = "--PSD-BPP", .kind = K::Number, .field = &CS::PsdBpp},
        {.name = "--TGA-BPP", .kind = K::Number, .field = &CS::TgaBpp},
        {.name = "--TIFF-BPP", .kind = K::Number, .field = &CS::TiffBpp},
        {.name = "--WBMP-BPP", .kind = K::Number, .field = &CS::WbmpBpp},
        {.name = "--WEBP-BPP", .kind = K::Number, .field = &CS::WebpBpp},
        {.name = "--XPM-BPP", .kind = K::Number, .field = &CS::XpmBpp},
        // Other output options
        {.name = "--BMP-COMPRESSION", .kind = K::Keyword, .field = &CS::BmpCompression, .family = kCompression},
        {.name = "--BMP-COLOR-TABLE", .kind = K::Keyword, .field = &CS::BmpColorTable, .family = kColourTable},
        {.name = "--EXR-COMPRESSION", .kind = K::Keyword, .field = &CS::ExrCompression, .family = kCompression},
        {.name = "--JPG-QUALITY", .kind = K::Number, .field = &CS::JpgQuality},
        {.name = "--JPG-CHROMA", .kind = K::Keyword, .field = &CS::JpgChroma, .family = kChromaSubsampling},
        {.name = "--JPG-SAVE-AS", .kind = K::Keyword, .field = &CS::JpgSaveAs, .family = kJpegSaveMode},
        {.name = "--PNG-COMPRESSION", .kind = K::Keyword, .field = &CS::PngCompression, .family = kCompression},
        {.name = "--PNG-INTERLACED", .kind = K::Flag, .field = &CS::PngInterlaced, .flagValue = 1},
        {.name = "--TGA-COMPRESSION", .kind = K::Keyword, .field = &CS::TgaCompression, .family = kCompression},
        {.name = "--TIFF-COMPRESSION", .kind = K::Keyword, .field = &CS::TiffCompression, .family = kCompression},
        {.name = "--TIFF-COLOR-MODE", .kind = K::Keyword, .field = &CS::TiffColorMode, .family = kColourModel},
        {.name = "--WEBP-QUALITY", .kind = K::Number, .field = &CS::WebpQuality},
        // Transform
        {.name = "--ROTATION-TYPE", .kind = K::Keyword, .field = &CS::ImageRotationType, .family = kRotationType},
        {.name = "--ROTATION", .kind = K::Number, .field = &CS::ImageRotation, .switchOn = &CS::DoImageRotation},
        {.name = "--ROTATION-BACK-COLOR", .kind = K::Text, .field = &CS::ImageRotationBackColor},
        {.name = "--WIDTH", .kind = K::Number, .field = &CS::ImageWidth, .switchOn = &CS::DoImageResize},
        {.name = "--WIDTH-UNIT", .kind = K::Keyword, .field = &CS::ImageWidthUnit, .family = kSizeUnit},
        {.name = "--HEIGHT", .kind = K::Number, .field = &CS::ImageHeight, .switchOn = &CS::DoImageResize},
        {.name = "--HEIGHT-UNIT", .kind = K::Keyword, .field = &CS::ImageHeightUnit, .family = kSizeUnit},
        {.name = "--KEEP-ASPECT-RATIO", .kind = K::Flag, .field = &CS::KeepAspectRatio, .flagValue = 1},
        {.name = "--RESIZE-TYPE", .kind = K::Keyword, .field = &CS::ImageResizeType, .family = kResizeScope},
        {.name = "--RESIZE-ALGORITHM", .kind = K::Keyword, .field = &CS::ImageResizeAlgorithm, .family = kResizeFilter},
        {.name = "--FLIP-HORIZONTAL", .kind = K::Flag, .field = &CS::DoImageFlipHorizontal, .flagValue = 1},
        {.name = "--FLIP-VERTICAL", .kind = K::Flag, .field = &CS::DoImageFlipVertical, .flagValue = 1},
        // Adjustment
        {.name = "--BRIGHTNESS", .kind = K::Number, .field = &CS::ImageBrightness, .switchOn = &CS::DoImageColorCorrection},
        {.name = "--CONTRAST", .kind = K::Number, .field = &CS::ImageContrast, .switchOn = &CS::DoImageColorCorrection},
        {.name = "--GAMMA", .kind = K::Real, .field = &CS::ImageGamma, .switchOn = &CS::DoImageColorCorrection},
        {.name = "--INVERT", .kind = K::Flag, .field = &CS::ImageInvert, .flagValue = 1, .switchOn = &CS::DoImageColorCorrection},
        {.name = "--GREYSCALE", .kind = K::Flag, .field = &CS::DoImageGreyscale, .flagValue = 1},
        {.name = "--THRESHOLD", .kind = K::Number, .field = &CS::ImageThreshold, .switchOn = &CS::DoImageThreshold},
        {.name = "--DITHER", .kind = K::Keyword, .field = &CS::ImageDitherAlgorithm, .family = kDitherAlgorithm, .switchOn = &CS::DoImageDither},
        // Frame
        {.name = "--FR-SOLID-LEFT", .kind = K::Number, .field = &CS::SolidLeft, .switchOn = &CS::DoFrame},
        {.name = "--FR-SOLID-RIGHT", .kind = K::Number, .field = &CS::SolidRight, .switchOn = &CS::DoFrame},
        {.name = "--FR-SOLID-TOP", .kind = K::Number, .field = &CS::SolidTop, .switchOn = &CS::DoFrame},
        {.name = "--FR-SOLID-BOTTOM", .kind = K::Number, .field = &CS::SolidBottom, .switchOn = &CS::DoFrame},
        {.name = "--FR-SOLID-LEFT-COLOR", .kind = K::Text, .field = &CS::SolidLeftColor},
        {.name = "--FR-SOLID-RIGHT-COLOR", .kind = K::Text, .field = &CS::SolidRightColor},
        {.name = "--FR-SOLID-TOP-COLOR", .kind = K::Text, .field = &CS::SolidTopColor},
        {.name = "--FR-SOLID-BOTTOM-COLOR", .kind = K::Text, .field = &CS::SolidBottomColor},
        // A profile knows the frame opacity under the watermark prefix.
        {.name = "--FR-SOLID-OPACITY", .profileKey = "--WM-SOLID-OPACITY", .kind = K::Number, .field = &CS::SolidOpacity},
        // Text watermark
        {.name = "--WM-TEXT", .kind = K::Text, .field = &CS::Text, .switchOn = &CS::DoWatermark, .switchValue = 1},
        {.name = "--WM-FONT", .kind = K::Text, .field = &CS::Font},
        {.name = "--WM-FONT-SIZE", .kind = K::Number, .field = &CS::FontSize},
        {.name = "--WM-FONT-LEADING", .kind = K::Number, .field = &CS::FontLeading},
        {.name = "--WM-FONT-COLOR", .kind = K::Text, .field = &CS::FontColor},
        {.name = "--WM-FONT-STYLE", .kind = K::Keyword, .field = &CS::FontStyle, .family = kFontStyle},
        {.name = "--WM-FONT-EFFECT", .kind = K::Keyword, .field = &CS::FontEffect, .family = kFontEffect},
        {.name = "--WM-TEXT-ANTIALIASING", .kind = K::Flag, .field = &CS::TextAntialiasing, .flagValue = 1},
        {.name = "--WM-TEXT-ALIGNMENT", .kind = K::Keyword, .field = &CS::TextAlignment, .family = kTextAlignment},
        {.name = "--WM-TEXT-PADDING", .kind = K::Number, .field = &CS::TextPadding},
        {.name = "--WM-TEXT-OPACITY", .kind = K::Number, .field = &CS::TextOpacity},
        {.name = "--WM-BACK-COLOR", .kind = K::Text, .field = &CS::BackColor},
        {.name = "--WM-BACK-OPACITY", .kind = K::Number, .field = &CS::BackOpacity},
        {.name = "--WM-TEXT-BOUNDARY", .kind = K::Keyword, .field = &CS::TextBoundary, .family = kBoundary},
        {.name = "--WM-TEXT-POSITION", .kind = K::Keyword, .field = &CS::TextPosition, .family = kPosition},
        {.name = "--WM-TEXT-X-OFFSET", .kind = K::Number, .field = &CS::TextXOffset},
        {.name = "--WM-TEXT-Y-OFFSET", .kind = K::Number, .field = &CS::TextYOffset},
        {.name = "--WM-TEXT-ROTATION", .kind = K::Number, .field = &CS::TextRotation},
        {.name = "--WM-TEXT-SIZE", .kind = K::Keyword, .field = &CS::TextSize, .family = kSizeMode},
        // Image watermark
        {.name = "--WM-IMAGE", .kind = K::Text, .field = &CS::Image, .switchOn = &CS::DoWatermark, .switchValue = 2},
        {.name = "--WM-IMAGE-GREYSCALE", .kind = K::Flag, .field = &CS::ImageGreyscale, .flagValue = 1},
        {.name = "--WM-IMAGE-OPACITY", .kind = K::Number, .field = &CS::ImageOpacity},
        {.name = "--WM-IMAGE-BOUNDARY", .kind = K::Keyword, .field = &CS::ImageBoundary, .family = kBoundary},
        {.name = "--WM-IMAGE-POSITION", .kind = K::Keyword, .field = &CS::ImagePosition, .family = kPosition},
        {.name = "--WM-IMAGE-X-OFFSET", .kind = K::Number, .field = &CS::ImageXOffset},
        {.name = "--WM-IMAGE-Y-OFFSET", .kind = K::Number, .field = &CS::ImageYOffset},
        {.name = "--WM-IMAGE-ROTATION", .kind = K::Number, .field = &CS::WatermarkImageRotation},
        {.name = "--WM-IMAGE-SIZE", .kind = K::Keyword, .field = &CS::ImageSize, .family = kSizeMode},
        // Advanced
        {.name = "--FILENAME-MASK", .kind = K::Text, .field = &CS::FilenameMask, .profileUnquotes = true},
        {.name = "--FILE-TIMESTAMP", .kind = K::Keyword, .field = &CS::FileTimestamp, .family = kTimestampSource},
        {.name = "--FILE-TIMESTAMP-CUSTOM", .kind = K::Number, .field = &CS::CustomTimestamp},
        {.name = "--NO-SUBFOLDERS", .kind = K::Flag, .field = &CS::KeepSubfolders, .flagValue = 0},
    };
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
    if (auto wide = std::get_if<Int32Field>(&field)) settings.*(*wide) = value;
    else if (auto narrow = std::get_if<Int8Field>(&field)) settings.*(*narrow) = NarrowToInt8(value);
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
