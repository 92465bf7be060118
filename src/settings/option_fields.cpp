// The one table of settings, in "config.ini" order.
#include "settings/option_fields.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <variant>

#include "settings/keywords.h"

namespace orvex {
namespace {

using S = ConversionSettings;
using K = OptionKind;
using Page = PreferencesPage;

// Config entry builders, so that each entry reads as one line.
SettingField Entry(const char* group, const char* key, SettingKind kind, SettingMember member) {
    SettingField field{};
    field.group = group;
    field.key = key;
    field.kind = kind;
    field.member = member;
    return field;
}
SettingField Int8(const char* group, const char* key, int8_t S::*member) {
    return Entry(group, key, SettingKind::Int8, member);
}
SettingField Int32(const char* group, const char* key, int32_t S::*member) {
    return Entry(group, key, SettingKind::Int32, member);
}
SettingField Float(const char* group, const char* key, float S::*member) {
    return Entry(group, key, SettingKind::Float, member);
}
SettingField String(const char* group, const char* key, std::string S::*member) {
    return Entry(group, key, SettingKind::String, member);
}
SettingField DateField(const char* group, const char* key, Date S::*member) {
    return Entry(group, key, SettingKind::Date, member);
}
SettingField Window(SettingField field) {
    field.when = WriteWhen::WindowPosition;
    return field;
}
SettingField ForReader(const char* readerGroup, SettingField field) {
    field.when = WriteWhen::InputGroup;
    field.format = readerGroup;
    return field;
}
SettingField ForWriter(const char* extension, SettingField field) {
    field.when = WriteWhen::OutputExtension;
    field.format = extension;
    return field;
}
SettingField MissingReads(int32_t value, SettingField field) {
    field.missing = value;
    return field;
}

// Long option builders; the field is the row's own.
LongOption Option(const char* name, OptionKind kind) {
    LongOption option;
    option.name = name;
    option.kind = kind;
    return option;
}
LongOption Number(const char* name) { return Option(name, K::Number); }
LongOption Real(const char* name) { return Option(name, K::Real); }
LongOption Text(const char* name) { return Option(name, K::Text); }
LongOption Colour(const char* name) {
    LongOption option = Option(name, K::Text);
    option.colour = true;
    return option;
}
LongOption Keyword(const char* name, int family) {
    LongOption option = Option(name, K::Keyword);
    option.family = family;
    return option;
}
LongOption Flag(const char* name, int8_t value) {
    LongOption option = Option(name, K::Flag);
    option.flagValue = value;
    return option;
}
LongOption SwitchesOn(LongOption option, Int8Field step, int8_t value = 1) {
    option.switchOn = step;
    option.switchValue = value;
    return option;
}
LongOption KnownInProfileAs(LongOption option, const char* key) {
    option.profileKey = key;
    return option;
}
LongOption UnquotedInProfile(LongOption option) {
    option.profileUnquotes = true;
    return option;
}

// Preferences controls.
struct Control : ControlSpec {
    explicit Control(ControlKind kind) { this->kind = kind; }
    Control&& When(SettingMember governor, std::initializer_list<int> values) && {
        rule = ControlRule{governor, Mask(values), false};
        return std::move(*this);
    }
    Control&& HiddenUnless(SettingMember governor, std::initializer_list<int> values) && {
        rule = ControlRule{governor, Mask(values), true};
        return std::move(*this);
    }
    Control&& In(const char* panelName) && {
        panel = panelName;
        return std::move(*this);
    }
    Control&& Beside() && {
        besideLast = true;
        return std::move(*this);
    }
    static uint32_t Mask(std::initializer_list<int> values) {
        uint32_t mask = 0;
        for (int value : values) mask |= 1u << value;
        return mask;
    }
};
Control Check() { return Control(ControlKind::CheckBox); }
// Entries in value order; none given means the captions of the row's family.
Control Choice(std::vector<const char*> entries = {}) {
    Control control(ControlKind::Choice);
    control.entries = std::move(entries);
    return control;
}
Control Slider(double scale = 1, int offset = 0, int decimals = 0) {
    Control control(ControlKind::Slider);
    control.sliderScale = scale;
    control.sliderOffset = offset;
    control.decimals = decimals;
    return control;
}
Control Numbers(const char* presets) {
    Control control(ControlKind::NumberChoice);
    control.presets = presets;
    return control;
}
Control WithList(ControlKind kind, std::string S::*list) {
    Control control(kind);
    control.list = SettingMember(list);
    return control;
}
Control ColourButton() { return Control(ControlKind::ColourButton); }
Control ColourChoice(std::string S::*list) { return WithList(ControlKind::ColourChoice, list); }
Control FontChoice(std::string S::*list) { return WithList(ControlKind::FontChoice, list); }
Control TextField() { return Control(ControlKind::TextField); }
Control ImagePath() { return Control(ControlKind::ImagePath); }
Control DateTime() { return Control(ControlKind::DateTime); }
Control Depth() { return Control(ControlKind::DepthChoice); }
Control Theme() { return Control(ControlKind::ThemeChoice); }
Control Format() { return Control(ControlKind::FormatChoice); }
Control Language() { return Control(ControlKind::LanguageChoice); }

constexpr const char* kSizes = "0,1,2,5,10,15,20,25,50,100";
constexpr const char* kFontSizes = "8,9,10,11,12,14,16,18,20,24,28,36,48,72";

// The captions of a keyword family's values, in value order. The compression
// family's words depend on the writer, so those rows list their own.
std::vector<const char*> FamilyCaptions(int family) {
    switch (family) {
        case kDdsLoadMode: return {"Auto", "BGRA", "RGBA"};
        case kRawLoadDepth: return {"Auto", "RGB8", "RGB16", "RGB24", "RGB48HS", "RGB48"};
        case kFrameChoice:
            return {"All Frames", "First Frame", "Middle Frame", "Last Frame", "Random Frame"};
        case kToneMapping:
            return {"None", "Linear", "Adaptive Logarithmic", "DR Reduction", "Gradient Domain"};
        case kColourTable: return {"Auto", "Exact"};
        case kColourModel: return {"RGB", "CMYK", "LAB"};
        case kChromaSubsampling: return {"None", "Low", "Medium", "High"};
        case kJpegSaveMode:
            return {"Baseline Standard", "Baseline Simple", "Baseline Optimized", "Progressive"};
        case kRotationType: return {"Simple Rotation", "Advanced Rotation"};
        case kSizeUnit: return {"Pixels", "Percent"};
        case kResizeScope: return {"All Images", "Large Images"};
        case kResizeFilter:
            return {"Box", "Bilinear", "Bspline", "Bicubic", "Catmullrom", "Lanczos"};
        case kDitherAlgorithm:
            return {"FS", "Bayer4", "Bayer8", "Bayer16", "Cluster6", "Cluster8", "Cluster16"};
        case kFrameType: return {"None", "Frame Solid"};
        case kWatermarkType: return {"None", "Watermark Text", "Watermark Image"};
        case kFontStyle: return {"Regular", "Bold", "Italic", "Bold Italic"};
        case kFontEffect: return {"None", "Underline", "Strikeout"};
        case kTextAlignment: return {"Align Left", "Align Center", "Align Right"};
        case kBoundary: return {"Bound Image", "Bound Frame"};
        case kPosition:
            return {"Top-Left",    "Top-Center",    "Top-Right",    "Middle-Left", "Middle-Center",
                    "Middle-Right", "Bottom-Left", "Bottom-Center", "Bottom-Right"};
        // Only "Fixed" has a console word; the dialog offers the other modes.
        case kSizeMode: return {"Fixed", "Proportional", "Fit", "Fill"};
        case kTimestampSource: return {"Current", "Original", "Custom"};
        default: return {};
    }
}

// One row, built up column by column.
struct Row : OptionField {
    explicit Row(const SettingField& entry) { config = entry; }
    Row&& Option(LongOption spec) && {
        spec.field = config.member;
        if (spec.family >= 0) family = spec.family;
        option = spec;
        return std::move(*this);
    }
    Row&& Family(int keywordFamily) && {
        family = keywordFamily;
        return std::move(*this);
    }
    // A range the controls keep (flags, choices and settings of the desktop alone).
    Row&& Range(double minimum, double maximum) && {
        range = FieldRange{minimum, maximum, RangeUse::ControlsOnly};
        return std::move(*this);
    }
    // A range a run refuses values outside of, with the option's name.
    Row&& Refuses(double minimum, double maximum) && {
        range = FieldRange{minimum, maximum, RangeUse::BeforeRun};
        return std::move(*this);
    }
    // A range a check of its own refuses with its own error line.
    Row&& OwnCheck(double minimum, double maximum) && {
        range = FieldRange{minimum, maximum, RangeUse::OwnCheck};
        return std::move(*this);
    }
    Row&& Report(const char* label) && {
        reportLabel = label;
        return std::move(*this);
    }
    Row&& OnlyWhenChanged() && {
        reportOnlyChanged = true;
        return std::move(*this);
    }
    Row&& Shown(const char* captionKey, PreferencesPage onPage, ControlSpec how) && {
        caption = captionKey;
        page = onPage;
        control = std::move(how);
        if (control.kind == ControlKind::Choice && control.entries.empty())
            control.entries = FamilyCaptions(family);
        return std::move(*this);
    }
};

std::vector<OptionField> BuildTable() {
    const char* in = "Input";
    const char* out = "Output";
    const char* tr = "Transform";
    const char* adj = "Adjustment";
    const char* fr = "Frame";
    const char* wm = "Watermark";
    const char* adv = "Advanced";

    SettingField cfg = MissingReads(0, Int32("General", "CFG", &S::Cfg));
    cfg.writtenAs = 19;  // the layout this program writes, whatever was read
    SettingField text = String(wm, "Text", &S::Text);
    text.lineBreaks = LineBreaks::AsEolMarker;

    // clang-format off
    return {
        Row(cfg),
        Row(String("General", "Language", &S::Language))
            .Shown("Language", Page::General, Language()),
        Row(Int32("General", "Update Range", &S::UpdateRange))
            .Range(0, 5)
            .Shown("Check for Updates", Page::General,
                   Choice({"Every day", "Every week", "Every month", "Every 3 months", "Every 6 months", "Never"})),
        Row(DateField("General", "Update Date", &S::UpdateDate)),
        Row(Int8("General", "Save Window Position", &S::SaveWindowPosition))
            .Range(0, 1)
            .Shown("Save window position", Page::General, Check()),

        // An absent position reads as 100, 100 rather than the centred default.
        Row(Window(Int8("Window", "IsMaximized", &S::IsMaximized))),
        Row(Window(Int32("Window", "Width", &S::Width))),
        Row(Window(Int32("Window", "Height", &S::Height))),
        Row(Window(MissingReads(100, Int32("Window", "X", &S::X)))),
        Row(Window(MissingReads(100, Int32("Window", "Y", &S::Y)))),

        Row(String("Interface", "UI Theme", &S::UiTheme))
            .Shown("UI Theme", Page::Interface, Theme()),
        Row(Int32("Interface", "UI Size", &S::UiSize))
            .Range(0, 4)
            .Shown("UI Size", Page::Interface,
                   Choice({"Small", "Medium", "Large", "Extra Large", "Huge"})),

        Row(String(in, "Format", &S::InputFormat))
            .Shown("Input Format", Page::Input, Format()),
        Row(ForReader("dds", Int32(in, "DDS Load As", &S::DdsLoadAs)))
            .Option(Keyword("--DDS-LOAD-AS", kDdsLoadMode))
            .Report("DDS Load As: ")
            .Shown("Load As", Page::Input, Choice()),
        Row(ForReader("gif", Int32(in, "GIF Frame Loading", &S::GifFrameLoading)))
            .Option(Keyword("--GIF-FRAME-LOADING", kFrameChoice))
            .Report("GIF Frame Loading: ")
            .Shown("Frame Loading", Page::Input, Choice()),
        Row(ForReader("ico", Int32(in, "ICO Frame Loading", &S::IcoFrameLoading)))
            .Option(Keyword("--ICO-FRAME-LOADING", kFrameChoice))
            .Report("ICO Frame Loading: ")
            .Shown("Frame Loading", Page::Input, Choice()),
        Row(ForReader("psd", Int32(in, "PSD Color Mode", &S::PsdColorMode)))
            .Option(Keyword("--PSD-COLOR-MODE", kColourModel))
            .Report("PSD Color Mode: ")
            .Shown("Color Mode", Page::Input, Choice()),
        Row(ForReader("raw", Int32(in, "RAW Load As", &S::RawLoadAs)))
            .Option(Keyword("--RAW-LOAD-AS", kRawLoadDepth))
            .Report("RAW Load As: ")
            .Shown("Load As", Page::Input, Choice()),
        Row(ForReader("raw", Int32(in, "RAW Header Size", &S::RawHeaderSize)))
            .Option(Number("--RAW-HEADER-SIZE"))
            .Report("RAW Header Size: ")
            .Shown("Header Size", Page::Input,
                   Numbers(kSizes).When(&S::RawLoadAs, {1, 2})),
        Row(ForReader("raw", Int32(in, "RAW Image Width", &S::RawImageWidth)))
            .Option(Number("--RAW-WIDTH"))
            .Report("RAW Image Width: ")
            .Shown("Image Width", Page::Input,
                   Numbers(kSizes).When(&S::RawLoadAs, {1, 2})),
        Row(ForReader("raw", Int32(in, "RAW Image Height", &S::RawImageHeight)))
            .Option(Number("--RAW-HEIGHT"))
            .Report("RAW Image Height: ")
            .Shown("Image Height", Page::Input,
                   Numbers(kSizes).When(&S::RawLoadAs, {1, 2})),
        Row(ForReader("raw", Int32(in, "RAW Tone Mapping", &S::RawToneMapping)))
            .Option(Keyword("--RAW-TONE-MAPPING", kToneMapping))
            .Report("RAW Tone Mapping: ")
            .Shown("Tone Mapping", Page::Input, Choice().When(&S::RawLoadAs, {4, 5})),
        Row(ForReader("tiff", Int32(in, "TIFF Frame Loading", &S::TiffFrameLoading)))
            .Option(Keyword("--TIFF-FRAME-LOADING", kFrameChoice))
            .Report("TIFF Frame Loading: ")
            .Shown("Frame Loading", Page::Input, Choice()),

        Row(String(out, "Format", &S::OutputFormat))
            .Shown("Output Format", Page::Output, Format()),
        Row(ForWriter("bmp", Int32(out, "BMP BPP", &S::BmpBpp)))
            .Option(Number("--BMP-BPP"))
            .Report("BMP BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("bmp", Int32(out, "BMP Compression", &S::BmpCompression)))
            .Option(Keyword("--BMP-COMPRESSION", kCompression))
            .Report("BMP Compression: ")
            .Shown("Compression", Page::Output, Choice({"None", "RLE"})),
        Row(ForWriter("bmp", Int32(out, "BMP Color Table", &S::BmpColorTable)))
            .Option(Keyword("--BMP-COLOR-TABLE", kColourTable))
            .Report("BMP Color Table: ")
            .Shown("Color Table", Page::Output, Choice()),
        Row(ForWriter("dds", Int32(out, "DDS BPP", &S::DdsBpp)))
            .Option(Number("--DDS-BPP"))
            .Report("DDS BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("exr", Int32(out, "EXR BPP", &S::ExrBpp)))
            .Option(Number("--EXR-BPP"))
            .Report("EXR BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("exr", Int32(out, "EXR Compression", &S::ExrCompression)))
            .Option(Keyword("--EXR-COMPRESSION", kCompression))
            .Report("EXR Compression: ")
            .Shown("Compression", Page::Output,
                   Choice({"None", "ZIP", "PIZ", "PXR24", "B44"})),
        Row(ForWriter("gif", Int32(out, "GIF BPP", &S::GifBpp)))
            .Option(Number("--GIF-BPP"))
            .Report("GIF BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("hdr", Int32(out, "HDR BPP", &S::HdrBpp)))
            .Option(Number("--HDR-BPP"))
            .Report("HDR BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("ico", Int32(out, "ICO BPP", &S::IcoBpp)))
            .Option(Number("--ICO-BPP"))
            .Report("ICO BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("j2k", Int32(out, "J2K BPP", &S::J2kBpp)))
            .Option(Number("--J2K-BPP"))
            .Report("J2K BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("jng", Int32(out, "JNG BPP", &S::JngBpp)))
            .Option(Number("--JNG-BPP"))
            .Report("JNG BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("jp2", Int32(out, "JP2 BPP", &S::Jp2Bpp)))
            .Option(Number("--JP2-BPP"))
            .Report("JP2 BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("jpg", Int32(out, "JPG BPP", &S::JpgBpp)))
            .Option(Number("--JPG-BPP"))
            .Report("JPG BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("jpg", Int32(out, "JPG Quality", &S::JpgQuality)))
            .Option(Number("--JPG-QUALITY"))
            .OwnCheck(1, 100)
            .Report("JPG Quality: ")
            .Shown("Image Quality", Page::Output, Slider()),
        Row(ForWriter("jpg", Int32(out, "JPG Chroma", &S::JpgChroma)))
            .Option(Keyword("--JPG-CHROMA", kChromaSubsampling))
            .Report("JPG Chroma Subsampling: ")
            .Shown("Chroma Subsampling", Page::Output, Choice()),
        Row(ForWriter("jpg", Int32(out, "JPG Save As", &S::JpgSaveAs)))
            .Option(Keyword("--JPG-SAVE-AS", kJpegSaveMode))
            .Report("JPG Save As: ")
            .Shown("Save As", Page::Output, Choice()),
        // The gain map: JPEG only, off by default; its lines are reported
        // only when they differ from the defaults, so a run without it
        // prints what it always printed. The headroom: with the HDR
        // reference white at 203 cd/m2, a 1000-nit screen has 2.3 stops
        // above it, a 1600-nit one 3, a 4000-nit master 4.3 and the PQ
        // signal's 10000-nit ceiling 5.6; 3 stops by default, 1 to 6.
        Row(ForWriter("jpg", Int8(out, "JPG Gain Map", &S::JpgGainMap)))
            .Option(Flag("--GAIN-MAP", 1))
            .Range(0, 1)
            .Report("JPG Gain Map: ")
            .OnlyWhenChanged()
            .Shown("HDR Gain Map", Page::Output, Check()),
        Row(ForWriter("jpg", Float(out, "JPG Gain Map Headroom", &S::JpgGainMapHeadroom)))
            .Option(SwitchesOn(Real("--GAIN-MAP-HEADROOM"), &S::JpgGainMap))
            .Refuses(1, 6)
            .Report("JPG Gain Map Headroom: ")
            .OnlyWhenChanged()
            .Shown("Gain Map Headroom", Page::Output, Slider(10, 0, 1).When(&S::JpgGainMap, {1})),
        Row(ForWriter("jpg", Int32(out, "JPG Gain Map Scale", &S::JpgGainMapScale)))
            .Option(SwitchesOn(Number("--GAIN-MAP-SCALE"), &S::JpgGainMap))
            .Refuses(1, 4)
            .Report("JPG Gain Map Scale: ")
            .OnlyWhenChanged()
            .Shown("Gain Map Scale", Page::Output, Numbers("1,2,4").When(&S::JpgGainMap, {1})),
        Row(ForWriter("jpg", Int32(out, "JPG Gain Map Quality", &S::JpgGainMapQuality)))
            .Option(SwitchesOn(Number("--GAIN-MAP-QUALITY"), &S::JpgGainMap))
            .Refuses(1, 100)
            .Report("JPG Gain Map Quality: ")
            .OnlyWhenChanged()
            .Shown("Gain Map Quality", Page::Output, Slider().When(&S::JpgGainMap, {1})),
        Row(ForWriter("jxr", Int32(out, "JXR BPP", &S::JxrBpp)))
            .Option(Number("--JXR-BPP"))
            .Report("JXR BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("pbm", Int32(out, "PBM BPP", &S::PbmBpp)))
            .Option(Number("--PBM-BPP"))
            .Report("PBM BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("pcx", Int32(out, "PCX BPP", &S::PcxBpp)))
            .Option(Number("--PCX-BPP"))
            .Report("PCX BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("pfm", Int32(out, "PFM BPP", &S::PfmBpp)))
            .Option(Number("--PFM-BPP"))
            .Report("PFM BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("pgm", Int32(out, "PGM BPP", &S::PgmBpp)))
            .Option(Number("--PGM-BPP"))
            .Report("PGM BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("png", Int32(out, "PNG BPP", &S::PngBpp)))
            .Option(Number("--PNG-BPP"))
            .Report("PNG BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("png", Int32(out, "PNG Compression", &S::PngCompression)))
            .Option(Keyword("--PNG-COMPRESSION", kCompression))
            .Report("PNG Compression: ")
            .Shown("Compression", Page::Output,
                   Choice({"None", "ZLIB1", "ZLIB6", "ZLIB9"})),
        Row(ForWriter("png", Int8(out, "PNG Interlaced", &S::PngInterlaced)))
            .Option(Flag("--PNG-INTERLACED", 1))
            .Range(0, 1)
            .Report("PNG Interlaced: ")
            .Shown("Interlaced", Page::Output, Check()),
        Row(ForWriter("ppm", Int32(out, "PPM BPP", &S::PpmBpp)))
            .Option(Number("--PPM-BPP"))
            .Report("PPM BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("psd", Int32(out, "PSD BPP", &S::PsdBpp)))
            .Option(Number("--PSD-BPP"))
            .Report("PSD BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("tga", Int32(out, "TGA BPP", &S::TgaBpp)))
            .Option(Number("--TGA-BPP"))
            .Report("TGA BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("tga", Int32(out, "TGA Compression", &S::TgaCompression)))
            .Option(Keyword("--TGA-COMPRESSION", kCompression))
            .Report("TGA Compression: ")
            .Shown("Compression", Page::Output, Choice({"None", "RLE"})),
        Row(ForWriter("tiff", Int32(out, "TIFF BPP", &S::TiffBpp)))
            .Option(Number("--TIFF-BPP"))
            .Report("TIFF BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("tiff", Int32(out, "TIFF Compression", &S::TiffCompression)))
            .Option(Keyword("--TIFF-COMPRESSION", kCompression))
            .Report("TIFF Compression: ")
            .Shown("Compression", Page::Output,
                   Choice({"None", "CCITTFAX3", "CCITTFAX4", "PACKBITS", "DEFLATE", "ADOBEDEFLATE", "LZW", "JPEG", "LOGLUV"})),
        Row(ForWriter("tiff", Int32(out, "TIFF Color Mode", &S::TiffColorMode)))
            .Option(Keyword("--TIFF-COLOR-MODE", kColourModel))
            .Report("TIFF Color Mode: ")
            .Shown("Color Mode", Page::Output, Choice()),
        Row(ForWriter("wbmp", Int32(out, "WBMP BPP", &S::WbmpBpp)))
            .Option(Number("--WBMP-BPP"))
            .Report("WBMP BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("webp", Int32(out, "WEBP BPP", &S::WebpBpp)))
            .Option(Number("--WEBP-BPP"))
            .Report("WEBP BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),
        Row(ForWriter("webp", Int32(out, "WEBP Quality", &S::WebpQuality)))
            .Option(Number("--WEBP-QUALITY"))
            .OwnCheck(1, 100)
            .Report("WEBP Quality: ")
            .Shown("Image Quality", Page::Output, Slider()),
        Row(ForWriter("xpm", Int32(out, "XPM BPP", &S::XpmBpp)))
            .Option(Number("--XPM-BPP"))
            .Report("XPM BPP: ")
            .Shown("Bits Per Pixel", Page::Output, Depth()),

        Row(Int8(tr, "Do Image Rotation", &S::DoImageRotation))
            .Range(0, 1)
            .Shown("Image Rotation", Page::Transform, Check()),
        Row(Int8(tr, "Image Rotation Type", &S::ImageRotationType))
            .Option(Keyword("--ROTATION-TYPE", kRotationType))
            .Report("Image Rotation Type: ")
            .Shown("Rotation Type", Page::Transform, Choice().When(&S::DoImageRotation, {1})),
        Row(Int32(tr, "Image Rotation", &S::ImageRotation))
            .Option(SwitchesOn(Number("--ROTATION"), &S::DoImageRotation))
            .Refuses(0, 360)
            .Report("Image Rotation: ")
            .Shown("Rotation Angle", Page::Transform, Slider().When(&S::DoImageRotation, {1})),
        Row(String(tr, "Image Rotation Back Color", &S::ImageRotationBackColor))
            .Option(Colour("--ROTATION-BACK-COLOR"))
            .Report("Image Rotation Back Color: ")
            .Shown("Background Color", Page::Transform,
                   ColourButton().When(&S::DoImageRotation, {1})),
        Row(Int8(tr, "Do Image Resize", &S::DoImageResize))
            .Range(0, 1)
            .Shown("Image Resize", Page::Transform, Check()),
        Row(Int32(tr, "Image Width", &S::ImageWidth))
            .Option(SwitchesOn(Number("--WIDTH"), &S::DoImageResize))
            // 0 is "no width" and has its own error line; the sides of a JPEG end at 65,500.
            .Refuses(0, 65500)
            .Report("Width: ")
            .Shown("Image Width", Page::Transform,
                   Numbers(kSizes).When(&S::DoImageResize, {1})),
        Row(Int8(tr, "Image Width Unit", &S::ImageWidthUnit))
            .Option(Keyword("--WIDTH-UNIT", kSizeUnit))
            .Shown("Image Width", Page::Transform,
                   Choice().When(&S::DoImageResize, {1}).Beside()),
        Row(Int32(tr, "Image Height", &S::ImageHeight))
            .Option(SwitchesOn(Number("--HEIGHT"), &S::DoImageResize))
            .Refuses(0, 65500)
            .Report("Height: ")
            .Shown("Image Height", Page::Transform,
                   Numbers(kSizes).When(&S::DoImageResize, {1})),
        Row(Int8(tr, "Image Height Unit", &S::ImageHeightUnit))
            .Option(Keyword("--HEIGHT-UNIT", kSizeUnit))
            .Shown("Image Height", Page::Transform,
                   Choice().When(&S::DoImageResize, {1}).Beside()),
        Row(Int8(tr, "Keep Aspect Ratio", &S::KeepAspectRatio))
            .Option(Flag("--KEEP-ASPECT-RATIO", 1))
            .Range(0, 1)
            .Report("Keep Aspect Ratio: ")
            .Shown("Keep Aspect Ratio", Page::Transform, Check().When(&S::DoImageResize, {1})),
        Row(Int8(tr, "Image Resize Type", &S::ImageResizeType))
            .Option(Keyword("--RESIZE-TYPE", kResizeScope))
            .Report("Image Resize Type: ")
            .Shown("Resize Type", Page::Transform, Choice().When(&S::DoImageResize, {1})),
        Row(Int8(tr, "Image Resize Algorithm", &S::ImageResizeAlgorithm))
            .Option(Keyword("--RESIZE-ALGORITHM", kResizeFilter))
            .Report("Image Resize Algorithm: ")
            .Shown("Resize Algorithm", Page::Transform, Choice().When(&S::DoImageResize, {1})),
        Row(Int8(tr, "Do Image Flip Horizontal", &S::DoImageFlipHorizontal))
            .Option(Flag("--FLIP-HORIZONTAL", 1))
            .Range(0, 1)
            .Report("Flip Horizontal: ")
            .Shown("Image Flip Horizontal", Page::Transform, Check()),
        Row(Int8(tr, "Do Image Flip Vertical", &S::DoImageFlipVertical))
            .Option(Flag("--FLIP-VERTICAL", 1))
            .Range(0, 1)
            .Report("Flip Vertical: ")
            .Shown("Image Flip Vertical", Page::Transform, Check()),

        // The tone mapping's controls, set on the command line, in a profile
        // or with the preview window's sliders.
        Row(Float("Tone Mapping", "Drago Exposure", &S::DragoExposure))
            .Option(Real("--DRAGO-EXPOSURE"))
            .Refuses(-8, 8)
            .Report("Drago exposure: "),
        Row(Float("Tone Mapping", "Drago Bias", &S::DragoBias))
            .Option(Real("--DRAGO-BIAS"))
            .Refuses(0.5, 1)
            .Report("Drago bias: "),
        Row(Float("Tone Mapping", "Drago Gamma", &S::DragoGamma))
            .Option(Real("--DRAGO-GAMMA"))
            .Refuses(0.1, 5)
            .Report("Drago gamma: "),
        Row(Float("Tone Mapping", "Drago Saturation", &S::DragoSaturation))
            .Option(Real("--DRAGO-SATURATION"))
            .Refuses(0, 2)
            .Report("Drago saturation: "),

        Row(Int8(adj, "Do Image Color Correction", &S::DoImageColorCorrection)),
        Row(Int32(adj, "Image Brightness", &S::ImageBrightness))
            .Option(SwitchesOn(Number("--BRIGHTNESS"), &S::DoImageColorCorrection))
            .OwnCheck(-100, 100)
            .Report("Brightness: ")
            .Shown("Image Brightness", Page::Adjustment, Slider(1, 100)),
        Row(Int32(adj, "Image Contrast", &S::ImageContrast))
            .Option(SwitchesOn(Number("--CONTRAST"), &S::DoImageColorCorrection))
            .OwnCheck(-100, 100)
            .Report("Contrast: ")
            .Shown("Image Contrast", Page::Adjustment, Slider(1, 100)),
        Row(Float(adj, "Image Gamma", &S::ImageGamma))
            .Option(SwitchesOn(Real("--GAMMA"), &S::DoImageColorCorrection))
            .OwnCheck(0.01f, 9.99f)
            .Report("Gamma: ")
            .Shown("Image Gamma", Page::Adjustment, Slider(100, 0, 2)),
        Row(Int8(adj, "Image Invert", &S::ImageInvert))
            .Option(SwitchesOn(Flag("--INVERT", 1), &S::DoImageColorCorrection))
            .Range(0, 1)
            .Report("Invert: ")
            .Shown("Image Invert", Page::Adjustment, Check()),
        Row(Int8(adj, "Do Image Greyscale", &S::DoImageGreyscale))
            .Option(Flag("--GREYSCALE", 1))
            .Range(0, 1)
            .Report("Greyscale: ")
            .Shown("Image Greyscale", Page::Adjustment, Check()),
        Row(Int8(adj, "Do Image Threshold", &S::DoImageThreshold))
            .Range(0, 1)
            .Shown("Image Threshold", Page::Adjustment, Check()),
        Row(Int32(adj, "Image Threshold", &S::ImageThreshold))
            .Option(SwitchesOn(Number("--THRESHOLD"), &S::DoImageThreshold))
            .Refuses(0, 255)
            .Report("Image Threshold: ")
            .Shown("Threshold Level", Page::Adjustment, Slider().When(&S::DoImageThreshold, {1})),
        Row(Int8(adj, "Do Image Dither", &S::DoImageDither))
            .Range(0, 1)
            .Shown("Image Dither", Page::Adjustment, Check()),
        Row(Int8(adj, "Image Dither Algorithm", &S::ImageDitherAlgorithm))
            .Option(SwitchesOn(Keyword("--DITHER", kDitherAlgorithm), &S::DoImageDither))
            .Report("Image Dithering Algorithm: ")
            .Shown("Dither Algorithm", Page::Adjustment, Choice().When(&S::DoImageDither, {1})),

        Row(Int8(fr, "Do Frame", &S::DoFrame))
            .Family(kFrameType)
            .Report("Frame: ")
            .Shown("Frame Type", Page::Frame, Choice()),
        Row(Int32(fr, "Solid Left", &S::SolidLeft))
            .Option(SwitchesOn(Number("--FR-SOLID-LEFT"), &S::DoFrame))
            .Report("Frame left: ")
            .Shown("Left", Page::Frame, Numbers(kSizes).In("solid")),
        Row(Int32(fr, "Solid Right", &S::SolidRight))
            .Option(SwitchesOn(Number("--FR-SOLID-RIGHT"), &S::DoFrame))
            .Report("Frame right: ")
            .Shown("Right", Page::Frame, Numbers(kSizes).In("solid")),
        Row(Int32(fr, "Solid Top", &S::SolidTop))
            .Option(SwitchesOn(Number("--FR-SOLID-TOP"), &S::DoFrame))
            .Report("Frame top: ")
            .Shown("Top", Page::Frame, Numbers(kSizes).In("solid")),
        Row(Int32(fr, "Solid Bottom", &S::SolidBottom))
            .Option(SwitchesOn(Number("--FR-SOLID-BOTTOM"), &S::DoFrame))
            .Report("Frame bottom: ")
            .Shown("Bottom", Page::Frame, Numbers(kSizes).In("solid")),
        Row(String(fr, "Solid Left Color", &S::SolidLeftColor))
            .Option(Colour("--FR-SOLID-LEFT-COLOR"))
            .Report("Frame left color: ")
            .Shown("Left Color", Page::Frame, ColourButton().In("solid")),
        Row(String(fr, "Solid Right Color", &S::SolidRightColor))
            .Option(Colour("--FR-SOLID-RIGHT-COLOR"))
            .Report("Frame right color: ")
            .Shown("Right Color", Page::Frame, ColourButton().In("solid")),
        Row(String(fr, "Solid Top Color", &S::SolidTopColor))
            .Option(Colour("--FR-SOLID-TOP-COLOR"))
            .Report("Frame top color: ")
            .Shown("Top Color", Page::Frame, ColourButton().In("solid")),
        Row(String(fr, "Solid Bottom Color", &S::SolidBottomColor))
            .Option(Colour("--FR-SOLID-BOTTOM-COLOR"))
            .Report("Frame bottom color: ")
            .Shown("Bottom Color", Page::Frame, ColourButton().In("solid")),
        Row(Int32(fr, "Solid Opacity", &S::SolidOpacity))
            .Option(KnownInProfileAs(Number("--FR-SOLID-OPACITY"), "--WM-SOLID-OPACITY"))
            .Refuses(1, 255)
            .Report("Frame opacity: ")
            .Shown("Opacity", Page::Frame, Slider().In("solid")),

        Row(Int8(wm, "Do Watermark", &S::DoWatermark))
            .Family(kWatermarkType)
            .Report("Watermark: ")
            .Shown("Watermark Type", Page::Watermark, Choice()),
        Row(text)
            .Option(SwitchesOn(Text("--WM-TEXT"), &S::DoWatermark))
            .Report("Watermark text: ")
            .Shown("Text", Page::Watermark, TextField().In("text")),
        Row(String(wm, "Fonts", &S::Fonts)),
        Row(String(wm, "Font", &S::Font))
            .Option(Text("--WM-FONT"))
            .Report("Watermark font: ")
            .Shown("Font", Page::Watermark, FontChoice(&S::Fonts).In("text")),
        Row(Int32(wm, "Font Size", &S::FontSize))
            .Option(Number("--WM-FONT-SIZE"))
            .Refuses(1, 1000)
            .Report("Watermark font size: ")
            .Shown("Font Size", Page::Watermark, Numbers(kFontSizes).In("text")),
        Row(Int32(wm, "Font Leading", &S::FontLeading))
            .Option(Number("--WM-FONT-LEADING"))
            .Report("Watermark font leading: ")
            .Shown("Font Leading", Page::Watermark, Numbers(kSizes).In("text")),
        Row(String(wm, "Font Colors", &S::FontColors)),
        Row(String(wm, "Font Color", &S::FontColor))
            .Option(Colour("--WM-FONT-COLOR"))
            .Report("Watermark font color: ")
            .Shown("Font Color", Page::Watermark, ColourChoice(&S::FontColors).In("text")),
        Row(Int8(wm, "Font Style", &S::FontStyle))
            .Option(Keyword("--WM-FONT-STYLE", kFontStyle))
            .Report("Watermark font style: ")
            .Shown("Font Style", Page::Watermark, Choice().In("text")),
        Row(Int8(wm, "Font Effect", &S::FontEffect))
            .Option(Keyword("--WM-FONT-EFFECT", kFontEffect))
            .Report("Watermark font effect: ")
            .Shown("Font Effect", Page::Watermark, Choice().In("text")),
        Row(Int8(wm, "Text Antialiasing", &S::TextAntialiasing))
            .Option(Flag("--WM-TEXT-ANTIALIASING", 1))
            .Range(0, 1)
            .Report("Watermark text antialiasing: ")
            .Shown("Antialiasing", Page::Watermark, Check().In("text")),
        Row(Int8(wm, "Text Alignment", &S::TextAlignment))
            .Option(Keyword("--WM-TEXT-ALIGNMENT", kTextAlignment))
            .Report("Watermark text alignment: ")
            .Shown("Text Alignment", Page::Watermark, Choice().In("text")),
        Row(Int32(wm, "Text Padding", &S::TextPadding))
            .Option(Number("--WM-TEXT-PADDING"))
            .Report("Watermark text padding: ")
            .Shown("Text Padding", Page::Watermark, Numbers(kSizes).In("text")),
        Row(Int32(wm, "Text Opacity", &S::TextOpacity))
            .Option(Number("--WM-TEXT-OPACITY"))
            .Refuses(1, 255)
            .Report("Watermark text opacity: ")
            .Shown("Text Opacity", Page::Watermark, Slider().In("text")),
        Row(String(wm, "Back Colors", &S::BackColors)),
        Row(String(wm, "Back Color", &S::BackColor))
            .Option(Colour("--WM-BACK-COLOR"))
            .Report("Watermark background color: ")
            .Shown("Background Color", Page::Watermark, ColourChoice(&S::BackColors).In("text")),
        Row(Int32(wm, "Back Opacity", &S::BackOpacity))
            .Option(Number("--WM-BACK-OPACITY"))
            .Refuses(1, 255)
            .Report("Watermark background opacity: ")
            .Shown("Background Opacity", Page::Watermark, Slider().In("text")),
        Row(Int8(wm, "Text Boundary", &S::TextBoundary))
            .Option(Keyword("--WM-TEXT-BOUNDARY", kBoundary))
            .Report("Watermark boundary: ")
            .Shown("Boundary", Page::Watermark, Choice().In("text")),
        Row(Int8(wm, "Text Position", &S::TextPosition))
            .Option(Keyword("--WM-TEXT-POSITION", kPosition))
            .Report("Watermark position: ")
            .Shown("Position", Page::Watermark, Choice().In("text")),
        Row(Int32(wm, "Text X Offset", &S::TextXOffset))
            .Option(Number("--WM-TEXT-X-OFFSET"))
            .Shown("X-Offset", Page::Watermark, Numbers(kSizes).In("text")),
        Row(Int32(wm, "Text Y Offset", &S::TextYOffset))
            .Option(Number("--WM-TEXT-Y-OFFSET"))
            .Shown("Y-Offset", Page::Watermark, Numbers(kSizes).In("text")),
        Row(Int32(wm, "Text Rotation", &S::TextRotation))
            .Option(Number("--WM-TEXT-ROTATION"))
            .Refuses(0, 360)
            .Report("Watermark rotation: ")
            .Shown("Rotation Angle", Page::Watermark, Slider().In("text")),
        Row(Int8(wm, "Text Size", &S::TextSize))
            .Option(Keyword("--WM-TEXT-SIZE", kSizeMode))
            .Report("Watermark size/mode: ")
            .Shown("Size", Page::Watermark, Choice().In("text")),
        Row(Int32(wm, "Text Scale", &S::TextScale))
            .Refuses(1, 200)
            .Shown("Scale", Page::Watermark,
                   Slider().In("text").HiddenUnless(&S::TextSize, {1})),
        Row(String(wm, "Image", &S::Image))
            .Option(SwitchesOn(Text("--WM-IMAGE"), &S::DoWatermark, 2))
            .Report("Watermark image: ")
            .Shown("Image", Page::Watermark, ImagePath().In("image")),
        Row(Int8(wm, "Image Greyscale", &S::ImageGreyscale))
            .Option(Flag("--WM-IMAGE-GREYSCALE", 1))
            .Range(0, 1)
            .Report("Watermark greyscale: ")
            .Shown("Image Greyscale", Page::Watermark, Check().In("image")),
        Row(Int32(wm, "Image Opacity", &S::ImageOpacity))
            .Option(Number("--WM-IMAGE-OPACITY"))
            .Refuses(1, 255)
            .Report("Watermark opacity: ")
            .Shown("Opacity", Page::Watermark, Slider().In("image")),
        Row(Int8(wm, "Image Boundary", &S::ImageBoundary))
            .Option(Keyword("--WM-IMAGE-BOUNDARY", kBoundary))
            .Report("Watermark boundary: ")
            .Shown("Boundary", Page::Watermark, Choice().In("image")),
        Row(Int8(wm, "Image Position", &S::ImagePosition))
            .Option(Keyword("--WM-IMAGE-POSITION", kPosition))
            .Report("Watermark position: ")
            .Shown("Position", Page::Watermark, Choice().In("image")),
        Row(Int32(wm, "Image X Offset", &S::ImageXOffset))
            .Option(Number("--WM-IMAGE-X-OFFSET"))
            .Shown("X-Offset", Page::Watermark, Numbers(kSizes).In("image")),
        Row(Int32(wm, "Image Y Offset", &S::ImageYOffset))
            .Option(Number("--WM-IMAGE-Y-OFFSET"))
            .Shown("Y-Offset", Page::Watermark, Numbers(kSizes).In("image")),
        Row(Int32(wm, "Image Rotation", &S::WatermarkImageRotation))
            .Option(Number("--WM-IMAGE-ROTATION"))
            .Refuses(0, 360)
            .Report("Watermark rotation: ")
            .Shown("Rotation Angle", Page::Watermark, Slider().In("image")),
        Row(Int8(wm, "Image Size", &S::ImageSize))
            .Option(Keyword("--WM-IMAGE-SIZE", kSizeMode))
            .Report("Watermark size/mode: ")
            .Shown("Size", Page::Watermark, Choice().In("image")),
        Row(Int32(wm, "Image Scale", &S::ImageScale))
            .Refuses(1, 200)
            .Shown("Scale", Page::Watermark,
                   Slider().In("image").HiddenUnless(&S::ImageSize, {1})),

        Row(String(adv, "Filename Mask", &S::FilenameMask))
            .Option(UnquotedInProfile(Text("--FILENAME-MASK")))
            .Report("Filename Mask: ")
            .Shown("Filename Mask", Page::Advanced, TextField()),
        Row(Int8(adv, "File Timestamp", &S::FileTimestamp))
            .Option(Keyword("--FILE-TIMESTAMP", kTimestampSource))
            .Report("File Timestamp: ")
            .Shown("File Timestamp", Page::Advanced, Choice()),
        Row(DateField(adv, "Custom Timestamp", &S::CustomTimestamp))
            .Option(Number("--FILE-TIMESTAMP-CUSTOM"))
            .Report("Custom Timestamp: ")
            .Shown("Custom Timestamp", Page::Advanced, DateTime().When(&S::FileTimestamp, {2})),
        Row(Int8(adv, "Out Folders History", &S::OutFoldersHistory))
            .Shown("Out Folders History", Page::Advanced,
                   Choice({"Clean On Exit", "Keep Folders"})),
        Row(Int8(adv, "Out Folders Number", &S::OutFoldersNumber))
            .Range(1, 50)
            .Shown("Out Folders Number", Page::Advanced, Slider()),
        Row(Int8(adv, "Keep Subfolders", &S::KeepSubfolders))
            .Option(Flag("--NO-SUBFOLDERS", 0))
            .Range(0, 1)
            .Report("Keep Subfolders: ")
            .Shown("Keep Subfolders", Page::Advanced, Check()),

        Row(String("File", "Recent Out Folders", &S::RecentOutFolders)),
        Row(String("File", "Recent Files", &S::RecentFiles)),

        Row(Int8("Privacy", "Clean Recent Files", &S::CleanRecentFiles)),

    };
    // clang-format on
}

}  // namespace

const std::vector<OptionField>& OptionFieldTable() {
    static const std::vector<OptionField> table = BuildTable();
    return table;
}

const OptionField* FindOptionField(const SettingMember& member) {
    for (const OptionField& row : OptionFieldTable()) {
        if (row.config.member == member) return &row;
    }
    return nullptr;
}

const char* OptionField::Panel() const {
    if (control.panel != nullptr) return control.panel;
    if (page == PreferencesPage::Input || page == PreferencesPage::Output) return config.format;
    return nullptr;
}

const std::vector<PanelSpec>& PreferencesPanels() {
    static const std::vector<PanelSpec> panels{
        {"solid", Page::Frame, {&S::DoFrame, 1u << 1, true}},
        {"text", Page::Watermark, {&S::DoWatermark, 1u << 1, true}},
        {"image", Page::Watermark, {&S::DoWatermark, 1u << 2, true}},
    };
    return panels;
}

const std::vector<const char*>& PreferencesPageCaptions() {
    static const std::vector<const char*> captions{
        "General", "Interface", "Input", "Output", "Transform",
        "Adjustment", "Frame", "Watermark", "Advanced",
    };
    return captions;
}

double FieldNumber(const ConversionSettings& settings, const SettingMember& member) {
    return std::visit(
        [&](auto field) -> double {
            using Value = std::decay_t<decltype(settings.*field)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                return 0.0;
            } else {
                return static_cast<double>(settings.*field);
            }
        },
        member);
}

void SetFieldNumber(ConversionSettings& settings, const SettingMember& member, double value) {
    std::visit(
        [&](auto field) {
            using Value = std::decay_t<decltype(settings.*field)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                return;
            } else if constexpr (std::is_floating_point_v<Value>) {
                settings.*field = static_cast<Value>(value);
            } else {
                const double low = static_cast<double>(std::numeric_limits<Value>::min());
                const double high = static_cast<double>(std::numeric_limits<Value>::max());
                settings.*field = static_cast<Value>(std::clamp(std::round(value), low, high));
            }
        },
        member);
}

bool IsInRange(const SettingMember& member, double value) {
    const OptionField* row = FindOptionField(member);
    return row == nullptr || !row->range || row->range->Contains(value);
}

}  // namespace orvex
