// The one table of settings, in "config.ini" order.
#include "settings/option_fields.h"

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
    Row&& Range(double minimum, double maximum) && {
        range = FieldRange{minimum, maximum};
        return std::move(*this);
    }
    Row&& Report(const char* label) && {
        reportLabel = label;
        return std::move(*this);
    }
    Row&& Shown(const char* captionKey, PreferencesPage onPage) && {
        caption = captionKey;
        page = onPage;
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
            .Shown("Language", Page::General),
        Row(Int32("General", "Update Range", &S::UpdateRange))
            .Range(0, 5)
            .Shown("Check for Updates", Page::General),
        Row(DateField("General", "Update Date", &S::UpdateDate)),
        Row(Int8("General", "Save Window Position", &S::SaveWindowPosition))
            .Range(0, 1)
            .Shown("Save window position", Page::General),

        // An absent position reads as 100, 100 rather than the centred default.
        Row(Window(Int8("Window", "IsMaximized", &S::IsMaximized))),
        Row(Window(Int32("Window", "Width", &S::Width))),
        Row(Window(Int32("Window", "Height", &S::Height))),
        Row(Window(MissingReads(100, Int32("Window", "X", &S::X)))),
        Row(Window(MissingReads(100, Int32("Window", "Y", &S::Y)))),

        Row(String("Interface", "UI Theme", &S::UiTheme))
            .Shown("UI Theme", Page::Interface),
        Row(Int32("Interface", "UI Size", &S::UiSize))
            .Range(0, 4)
            .Shown("UI Size", Page::Interface),

        Row(String(in, "Format", &S::InputFormat))
            .Shown("Input Format", Page::Input),
        Row(ForReader("dds", Int32(in, "DDS Load As", &S::DdsLoadAs)))
            .Option(Keyword("--DDS-LOAD-AS", kDdsLoadMode))
            .Report("DDS Load As: ")
            .Shown("Load As", Page::Input),
        Row(ForReader("gif", Int32(in, "GIF Frame Loading", &S::GifFrameLoading)))
            .Option(Keyword("--GIF-FRAME-LOADING", kFrameChoice))
            .Report("GIF Frame Loading: ")
            .Shown("Frame Loading", Page::Input),
        Row(ForReader("ico", Int32(in, "ICO Frame Loading", &S::IcoFrameLoading)))
            .Option(Keyword("--ICO-FRAME-LOADING", kFrameChoice))
            .Report("ICO Frame Loading: ")
            .Shown("Frame Loading", Page::Input),
        Row(ForReader("psd", Int32(in, "PSD Color Mode", &S::PsdColorMode)))
            .Option(Keyword("--PSD-COLOR-MODE", kColourModel))
            .Report("PSD Color Mode: ")
            .Shown("Color Mode", Page::Input),
        Row(ForReader("raw", Int32(in, "RAW Load As", &S::RawLoadAs)))
            .Option(Keyword("--RAW-LOAD-AS", kRawLoadDepth))
            .Report("RAW Load As: ")
            .Shown("Load As", Page::Input),
        Row(ForReader("raw", Int32(in, "RAW Header Size", &S::RawHeaderSize)))
            .Option(Number("--RAW-HEADER-SIZE"))
            .Report("RAW Header Size: ")
            .Shown("Header Size", Page::Input),
        Row(ForReader("raw", Int32(in, "RAW Image Width", &S::RawImageWidth)))
            .Option(Number("--RAW-WIDTH"))
            .Report("RAW Image Width: ")
            .Shown("Image Width", Page::Input),
        Row(ForReader("raw", Int32(in, "RAW Image Height", &S::RawImageHeight)))
            .Option(Number("--RAW-HEIGHT"))
            .Report("RAW Image Height: ")
            .Shown("Image Height", Page::Input),
        Row(ForReader("raw", Int32(in, "RAW Tone Mapping", &S::RawToneMapping)))
            .Option(Keyword("--RAW-TONE-MAPPING", kToneMapping))
            .Report("RAW Tone Mapping: ")
            .Shown("Tone Mapping", Page::Input),
        Row(ForReader("tiff", Int32(in, "TIFF Frame Loading", &S::TiffFrameLoading)))
            .Option(Keyword("--TIFF-FRAME-LOADING", kFrameChoice))
            .Report("TIFF Frame Loading: ")
            .Shown("Frame Loading", Page::Input),

        Row(String(out, "Format", &S::OutputFormat))
            .Shown("Output Format", Page::Output),
        Row(ForWriter("bmp", Int32(out, "BMP BPP", &S::BmpBpp)))
            .Option(Number("--BMP-BPP"))
            .Report("BMP BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("bmp", Int32(out, "BMP Compression", &S::BmpCompression)))
            .Option(Keyword("--BMP-COMPRESSION", kCompression))
            .Report("BMP Compression: ")
            .Shown("Compression", Page::Output),
        Row(ForWriter("bmp", Int32(out, "BMP Color Table", &S::BmpColorTable)))
            .Option(Keyword("--BMP-COLOR-TABLE", kColourTable))
            .Report("BMP Color Table: ")
            .Shown("Color Table", Page::Output),
        Row(ForWriter("dds", Int32(out, "DDS BPP", &S::DdsBpp)))
            .Option(Number("--DDS-BPP"))
            .Report("DDS BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("exr", Int32(out, "EXR BPP", &S::ExrBpp)))
            .Option(Number("--EXR-BPP"))
            .Report("EXR BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("exr", Int32(out, "EXR Compression", &S::ExrCompression)))
            .Option(Keyword("--EXR-COMPRESSION", kCompression))
            .Report("EXR Compression: ")
            .Shown("Compression", Page::Output),
        Row(ForWriter("gif", Int32(out, "GIF BPP", &S::GifBpp)))
            .Option(Number("--GIF-BPP"))
            .Report("GIF BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("hdr", Int32(out, "HDR BPP", &S::HdrBpp)))
            .Option(Number("--HDR-BPP"))
            .Report("HDR BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("ico", Int32(out, "ICO BPP", &S::IcoBpp)))
            .Option(Number("--ICO-BPP"))
            .Report("ICO BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("j2k", Int32(out, "J2K BPP", &S::J2kBpp)))
            .Option(Number("--J2K-BPP"))
            .Report("J2K BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("jng", Int32(out, "JNG BPP", &S::JngBpp)))
            .Option(Number("--JNG-BPP"))
            .Report("JNG BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("jp2", Int32(out, "JP2 BPP", &S::Jp2Bpp)))
            .Option(Number("--JP2-BPP"))
            .Report("JP2 BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("jpg", Int32(out, "JPG BPP", &S::JpgBpp)))
            .Option(Number("--JPG-BPP"))
            .Report("JPG BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("jpg", Int32(out, "JPG Quality", &S::JpgQuality)))
            .Option(Number("--JPG-QUALITY"))
            .Range(1, 100)
            .Report("JPG Quality: ")
            .Shown("Image Quality", Page::Output),
        Row(ForWriter("jpg", Int32(out, "JPG Chroma", &S::JpgChroma)))
            .Option(Keyword("--JPG-CHROMA", kChromaSubsampling))
            .Report("JPG Chroma Subsampling: ")
            .Shown("Chroma Subsampling", Page::Output),
        Row(ForWriter("jpg", Int32(out, "JPG Save As", &S::JpgSaveAs)))
            .Option(Keyword("--JPG-SAVE-AS", kJpegSaveMode))
            .Report("JPG Save As: ")
            .Shown("Save As", Page::Output),
        Row(ForWriter("jxr", Int32(out, "JXR BPP", &S::JxrBpp)))
            .Option(Number("--JXR-BPP"))
            .Report("JXR BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("pbm", Int32(out, "PBM BPP", &S::PbmBpp)))
            .Option(Number("--PBM-BPP"))
            .Report("PBM BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("pcx", Int32(out, "PCX BPP", &S::PcxBpp)))
            .Option(Number("--PCX-BPP"))
            .Report("PCX BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("pfm", Int32(out, "PFM BPP", &S::PfmBpp)))
            .Option(Number("--PFM-BPP"))
            .Report("PFM BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("pgm", Int32(out, "PGM BPP", &S::PgmBpp)))
            .Option(Number("--PGM-BPP"))
            .Report("PGM BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("png", Int32(out, "PNG BPP", &S::PngBpp)))
            .Option(Number("--PNG-BPP"))
            .Report("PNG BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("png", Int32(out, "PNG Compression", &S::PngCompression)))
            .Option(Keyword("--PNG-COMPRESSION", kCompression))
            .Report("PNG Compression: ")
            .Shown("Compression", Page::Output),
        Row(ForWriter("png", Int8(out, "PNG Interlaced", &S::PngInterlaced)))
            .Option(Flag("--PNG-INTERLACED", 1))
            .Range(0, 1)
            .Report("PNG Interlaced: ")
            .Shown("Interlaced", Page::Output),
        Row(ForWriter("ppm", Int32(out, "PPM BPP", &S::PpmBpp)))
            .Option(Number("--PPM-BPP"))
            .Report("PPM BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("psd", Int32(out, "PSD BPP", &S::PsdBpp)))
            .Option(Number("--PSD-BPP"))
            .Report("PSD BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("tga", Int32(out, "TGA BPP", &S::TgaBpp)))
            .Option(Number("--TGA-BPP"))
            .Report("TGA BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("tga", Int32(out, "TGA Compression", &S::TgaCompression)))
            .Option(Keyword("--TGA-COMPRESSION", kCompression))
            .Report("TGA Compression: ")
            .Shown("Compression", Page::Output),
        Row(ForWriter("tiff", Int32(out, "TIFF BPP", &S::TiffBpp)))
            .Option(Number("--TIFF-BPP"))
            .Report("TIFF BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("tiff", Int32(out, "TIFF Compression", &S::TiffCompression)))
            .Option(Keyword("--TIFF-COMPRESSION", kCompression))
            .Report("TIFF Compression: ")
            .Shown("Compression", Page::Output),
        Row(ForWriter("tiff", Int32(out, "TIFF Color Mode", &S::TiffColorMode)))
            .Option(Keyword("--TIFF-COLOR-MODE", kColourModel))
            .Report("TIFF Color Mode: ")
            .Shown("Color Mode", Page::Output),
        Row(ForWriter("wbmp", Int32(out, "WBMP BPP", &S::WbmpBpp)))
            .Option(Number("--WBMP-BPP"))
            .Report("WBMP BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("webp", Int32(out, "WEBP BPP", &S::WebpBpp)))
            .Option(Number("--WEBP-BPP"))
            .Report("WEBP BPP: ")
            .Shown("Bits Per Pixel", Page::Output),
        Row(ForWriter("webp", Int32(out, "WEBP Quality", &S::WebpQuality)))
            .Option(Number("--WEBP-QUALITY"))
            .Range(1, 100)
            .Report("WEBP Quality: ")
            .Shown("Image Quality", Page::Output),
        Row(ForWriter("xpm", Int32(out, "XPM BPP", &S::XpmBpp)))
            .Option(Number("--XPM-BPP"))
            .Report("XPM BPP: ")
            .Shown("Bits Per Pixel", Page::Output),

        Row(Int8(tr, "Do Image Rotation", &S::DoImageRotation))
            .Range(0, 1)
            .Shown("Image Rotation", Page::Transform),
        Row(Int8(tr, "Image Rotation Type", &S::ImageRotationType))
            .Option(Keyword("--ROTATION-TYPE", kRotationType))
            .Report("Image Rotation Type: ")
            .Shown("Rotation Type", Page::Transform),
        Row(Int32(tr, "Image Rotation", &S::ImageRotation))
            .Option(SwitchesOn(Number("--ROTATION"), &S::DoImageRotation))
            .Range(0, 360)
            .Report("Image Rotation: ")
            .Shown("Rotation Angle", Page::Transform),
        Row(String(tr, "Image Rotation Back Color", &S::ImageRotationBackColor))
            .Option(Text("--ROTATION-BACK-COLOR"))
            .Report("Image Rotation Back Color: ")
            .Shown("Background Color", Page::Transform),
        Row(Int8(tr, "Do Image Resize", &S::DoImageResize))
            .Range(0, 1)
            .Shown("Image Resize", Page::Transform),
        Row(Int32(tr, "Image Width", &S::ImageWidth))
            .Option(SwitchesOn(Number("--WIDTH"), &S::DoImageResize))
            .Report("Width: ")
            .Shown("Image Width", Page::Transform),
        Row(Int8(tr, "Image Width Unit", &S::ImageWidthUnit))
            .Option(Keyword("--WIDTH-UNIT", kSizeUnit))
            .Shown("Image Width", Page::Transform),
        Row(Int32(tr, "Image Height", &S::ImageHeight))
            .Option(SwitchesOn(Number("--HEIGHT"), &S::DoImageResize))
            .Report("Height: ")
            .Shown("Image Height", Page::Transform),
        Row(Int8(tr, "Image Height Unit", &S::ImageHeightUnit))
            .Option(Keyword("--HEIGHT-UNIT", kSizeUnit))
            .Shown("Image Height", Page::Transform),
        Row(Int8(tr, "Keep Aspect Ratio", &S::KeepAspectRatio))
            .Option(Flag("--KEEP-ASPECT-RATIO", 1))
            .Range(0, 1)
            .Report("Keep Aspect Ratio: ")
            .Shown("Keep Aspect Ratio", Page::Transform),
        Row(Int8(tr, "Image Resize Type", &S::ImageResizeType))
            .Option(Keyword("--RESIZE-TYPE", kResizeScope))
            .Report("Image Resize Type: ")
            .Shown("Resize Type", Page::Transform),
        Row(Int8(tr, "Image Resize Algorithm", &S::ImageResizeAlgorithm))
            .Option(Keyword("--RESIZE-ALGORITHM", kResizeFilter))
            .Report("Image Resize Algorithm: ")
            .Shown("Resize Algorithm", Page::Transform),
        Row(Int8(tr, "Do Image Flip Horizontal", &S::DoImageFlipHorizontal))
            .Option(Flag("--FLIP-HORIZONTAL", 1))
            .Range(0, 1)
            .Report("Flip Horizontal: ")
            .Shown("Image Flip Horizontal", Page::Transform),
        Row(Int8(tr, "Do Image Flip Vertical", &S::DoImageFlipVertical))
            .Option(Flag("--FLIP-VERTICAL", 1))
            .Range(0, 1)
            .Report("Flip Vertical: ")
            .Shown("Image Flip Vertical", Page::Transform),

        Row(Int8(adj, "Do Image Color Correction", &S::DoImageColorCorrection)),
        Row(Int32(adj, "Image Brightness", &S::ImageBrightness))
            .Option(SwitchesOn(Number("--BRIGHTNESS"), &S::DoImageColorCorrection))
            .Range(-100, 100)
            .Report("Brightness: ")
            .Shown("Image Brightness", Page::Adjustment),
        Row(Int32(adj, "Image Contrast", &S::ImageContrast))
            .Option(SwitchesOn(Number("--CONTRAST"), &S::DoImageColorCorrection))
            .Range(-100, 100)
            .Report("Contrast: ")
            .Shown("Image Contrast", Page::Adjustment),
        Row(Float(adj, "Image Gamma", &S::ImageGamma))
            .Option(SwitchesOn(Real("--GAMMA"), &S::DoImageColorCorrection))
            .Range(0.01f, 9.99f)
            .Report("Gamma: ")
            .Shown("Image Gamma", Page::Adjustment),
        Row(Int8(adj, "Image Invert", &S::ImageInvert))
            .Option(SwitchesOn(Flag("--INVERT", 1), &S::DoImageColorCorrection))
            .Range(0, 1)
            .Report("Invert: ")
            .Shown("Image Invert", Page::Adjustment),
        Row(Int8(adj, "Do Image Greyscale", &S::DoImageGreyscale))
            .Option(Flag("--GREYSCALE", 1))
            .Range(0, 1)
            .Report("Greyscale: ")
            .Shown("Image Greyscale", Page::Adjustment),
        Row(Int8(adj, "Do Image Threshold", &S::DoImageThreshold))
            .Range(0, 1)
            .Shown("Image Threshold", Page::Adjustment),
        Row(Int32(adj, "Image Threshold", &S::ImageThreshold))
            .Option(SwitchesOn(Number("--THRESHOLD"), &S::DoImageThreshold))
            .Range(0, 255)
            .Report("Image Threshold: ")
            .Shown("Threshold Level", Page::Adjustment),
        Row(Int8(adj, "Do Image Dither", &S::DoImageDither))
            .Range(0, 1)
            .Shown("Image Dither", Page::Adjustment),
        Row(Int8(adj, "Image Dither Algorithm", &S::ImageDitherAlgorithm))
            .Option(SwitchesOn(Keyword("--DITHER", kDitherAlgorithm), &S::DoImageDither))
            .Report("Image Dithering Algorithm: ")
            .Shown("Dither Algorithm", Page::Adjustment),

        Row(Int8(fr, "Do Frame", &S::DoFrame))
            .Family(kFrameType)
            .Report("Frame: ")
            .Shown("Frame Type", Page::Frame),
        Row(Int32(fr, "Solid Left", &S::SolidLeft))
            .Option(SwitchesOn(Number("--FR-SOLID-LEFT"), &S::DoFrame))
            .Report("Frame left: ")
            .Shown("Left", Page::Frame),
        Row(Int32(fr, "Solid Right", &S::SolidRight))
            .Option(SwitchesOn(Number("--FR-SOLID-RIGHT"), &S::DoFrame))
            .Report("Frame right: ")
            .Shown("Right", Page::Frame),
        Row(Int32(fr, "Solid Top", &S::SolidTop))
            .Option(SwitchesOn(Number("--FR-SOLID-TOP"), &S::DoFrame))
            .Report("Frame top: ")
            .Shown("Top", Page::Frame),
        Row(Int32(fr, "Solid Bottom", &S::SolidBottom))
            .Option(SwitchesOn(Number("--FR-SOLID-BOTTOM"), &S::DoFrame))
            .Report("Frame bottom: ")
            .Shown("Bottom", Page::Frame),
        Row(String(fr, "Solid Left Color", &S::SolidLeftColor))
            .Option(Text("--FR-SOLID-LEFT-COLOR"))
            .Report("Frame left color: ")
            .Shown("Left Color", Page::Frame),
        Row(String(fr, "Solid Right Color", &S::SolidRightColor))
            .Option(Text("--FR-SOLID-RIGHT-COLOR"))
            .Report("Frame right color: ")
            .Shown("Right Color", Page::Frame),
        Row(String(fr, "Solid Top Color", &S::SolidTopColor))
            .Option(Text("--FR-SOLID-TOP-COLOR"))
            .Report("Frame top color: ")
            .Shown("Top Color", Page::Frame),
        Row(String(fr, "Solid Bottom Color", &S::SolidBottomColor))
            .Option(Text("--FR-SOLID-BOTTOM-COLOR"))
            .Report("Frame bottom color: ")
            .Shown("Bottom Color", Page::Frame),
        Row(Int32(fr, "Solid Opacity", &S::SolidOpacity))
            .Option(KnownInProfileAs(Number("--FR-SOLID-OPACITY"), "--WM-SOLID-OPACITY"))
            .Range(1, 255)
            .Report("Frame opacity: ")
            .Shown("Opacity", Page::Frame),

        Row(Int8(wm, "Do Watermark", &S::DoWatermark))
            .Family(kWatermarkType)
            .Report("Watermark: ")
            .Shown("Watermark Type", Page::Watermark),
        Row(text)
            .Option(SwitchesOn(Text("--WM-TEXT"), &S::DoWatermark))
            .Report("Watermark text: ")
            .Shown("Text", Page::Watermark),
        Row(String(wm, "Fonts", &S::Fonts)),
        Row(String(wm, "Font", &S::Font))
            .Option(Text("--WM-FONT"))
            .Report("Watermark font: ")
            .Shown("Font", Page::Watermark),
        Row(Int32(wm, "Font Size", &S::FontSize))
            .Option(Number("--WM-FONT-SIZE"))
            .Report("Watermark font size: ")
            .Shown("Font Size", Page::Watermark),
        Row(Int32(wm, "Font Leading", &S::FontLeading))
            .Option(Number("--WM-FONT-LEADING"))
            .Report("Watermark font leading: ")
            .Shown("Font Leading", Page::Watermark),
        Row(String(wm, "Font Colors", &S::FontColors)),
        Row(String(wm, "Font Color", &S::FontColor))
            .Option(Text("--WM-FONT-COLOR"))
            .Report("Watermark font color: ")
            .Shown("Font Color", Page::Watermark),
        Row(Int8(wm, "Font Style", &S::FontStyle))
            .Option(Keyword("--WM-FONT-STYLE", kFontStyle))
            .Report("Watermark font style: ")
            .Shown("Font Style", Page::Watermark),
        Row(Int8(wm, "Font Effect", &S::FontEffect))
            .Option(Keyword("--WM-FONT-EFFECT", kFontEffect))
            .Report("Watermark font effect: ")
            .Shown("Font Effect", Page::Watermark),
        Row(Int8(wm, "Text Antialiasing", &S::TextAntialiasing))
            .Option(Flag("--WM-TEXT-ANTIALIASING", 1))
            .Range(0, 1)
            .Report("Watermark text antialiasing: ")
            .Shown("Antialiasing", Page::Watermark),
        Row(Int8(wm, "Text Alignment", &S::TextAlignment))
            .Option(Keyword("--WM-TEXT-ALIGNMENT", kTextAlignment))
            .Report("Watermark text alignment: ")
            .Shown("Text Alignment", Page::Watermark),
        Row(Int32(wm, "Text Padding", &S::TextPadding))
            .Option(Number("--WM-TEXT-PADDING"))
            .Report("Watermark text padding: ")
            .Shown("Text Padding", Page::Watermark),
        Row(Int32(wm, "Text Opacity", &S::TextOpacity))
            .Option(Number("--WM-TEXT-OPACITY"))
            .Range(1, 255)
            .Report("Watermark text opacity: ")
            .Shown("Text Opacity", Page::Watermark),
        Row(String(wm, "Back Colors", &S::BackColors)),
        Row(String(wm, "Back Color", &S::BackColor))
            .Option(Text("--WM-BACK-COLOR"))
            .Report("Watermark background color: ")
            .Shown("Background Color", Page::Watermark),
        Row(Int32(wm, "Back Opacity", &S::BackOpacity))
            .Option(Number("--WM-BACK-OPACITY"))
            .Range(1, 255)
            .Report("Watermark background opacity: ")
            .Shown("Background Opacity", Page::Watermark),
        Row(Int8(wm, "Text Boundary", &S::TextBoundary))
            .Option(Keyword("--WM-TEXT-BOUNDARY", kBoundary))
            .Report("Watermark boundary: ")
            .Shown("Boundary", Page::Watermark),
        Row(Int8(wm, "Text Position", &S::TextPosition))
            .Option(Keyword("--WM-TEXT-POSITION", kPosition))
            .Report("Watermark position: ")
            .Shown("Position", Page::Watermark),
        Row(Int32(wm, "Text X Offset", &S::TextXOffset))
            .Option(Number("--WM-TEXT-X-OFFSET"))
            .Shown("X-Offset", Page::Watermark),
        Row(Int32(wm, "Text Y Offset", &S::TextYOffset))
            .Option(Number("--WM-TEXT-Y-OFFSET"))
            .Shown("Y-Offset", Page::Watermark),
        Row(Int32(wm, "Text Rotation", &S::TextRotation))
            .Option(Number("--WM-TEXT-ROTATION"))
            .Range(0, 360)
            .Report("Watermark rotation: ")
            .Shown("Rotation Angle", Page::Watermark),
        Row(Int8(wm, "Text Size", &S::TextSize))
            .Option(Keyword("--WM-TEXT-SIZE", kSizeMode))
            .Report("Watermark size/mode: ")
            .Shown("Size", Page::Watermark),
        Row(Int32(wm, "Text Scale", &S::TextScale))
            .Range(1, 200)
            .Shown("Scale", Page::Watermark),
        Row(String(wm, "Image", &S::Image))
            .Option(SwitchesOn(Text("--WM-IMAGE"), &S::DoWatermark, 2))
            .Report("Watermark image: ")
            .Shown("Image", Page::Watermark),
        Row(Int8(wm, "Image Greyscale", &S::ImageGreyscale))
            .Option(Flag("--WM-IMAGE-GREYSCALE", 1))
            .Range(0, 1)
            .Report("Watermark greyscale: ")
            .Shown("Image Greyscale", Page::Watermark),
        Row(Int32(wm, "Image Opacity", &S::ImageOpacity))
            .Option(Number("--WM-IMAGE-OPACITY"))
            .Range(1, 255)
            .Report("Watermark opacity: ")
            .Shown("Opacity", Page::Watermark),
        Row(Int8(wm, "Image Boundary", &S::ImageBoundary))
            .Option(Keyword("--WM-IMAGE-BOUNDARY", kBoundary))
            .Report("Watermark boundary: ")
            .Shown("Boundary", Page::Watermark),
        Row(Int8(wm, "Image Position", &S::ImagePosition))
            .Option(Keyword("--WM-IMAGE-POSITION", kPosition))
            .Report("Watermark position: ")
            .Shown("Position", Page::Watermark),
        Row(Int32(wm, "Image X Offset", &S::ImageXOffset))
            .Option(Number("--WM-IMAGE-X-OFFSET"))
            .Shown("X-Offset", Page::Watermark),
        Row(Int32(wm, "Image Y Offset", &S::ImageYOffset))
            .Option(Number("--WM-IMAGE-Y-OFFSET"))
            .Shown("Y-Offset", Page::Watermark),
        Row(Int32(wm, "Image Rotation", &S::WatermarkImageRotation))
            .Option(Number("--WM-IMAGE-ROTATION"))
            .Range(0, 360)
            .Report("Watermark rotation: ")
            .Shown("Rotation Angle", Page::Watermark),
        Row(Int8(wm, "Image Size", &S::ImageSize))
            .Option(Keyword("--WM-IMAGE-SIZE", kSizeMode))
            .Report("Watermark size/mode: ")
            .Shown("Size", Page::Watermark),
        Row(Int32(wm, "Image Scale", &S::ImageScale))
            .Range(1, 200)
            .Shown("Scale", Page::Watermark),

        Row(String(adv, "Filename Mask", &S::FilenameMask))
            .Option(UnquotedInProfile(Text("--FILENAME-MASK")))
            .Report("Filename Mask: ")
            .Shown("Filename Mask", Page::Advanced),
        Row(Int8(adv, "File Timestamp", &S::FileTimestamp))
            .Option(Keyword("--FILE-TIMESTAMP", kTimestampSource))
            .Report("File Timestamp: ")
            .Shown("File Timestamp", Page::Advanced),
        Row(DateField(adv, "Custom Timestamp", &S::CustomTimestamp))
            .Option(Number("--FILE-TIMESTAMP-CUSTOM"))
            .Report("Custom Timestamp: ")
            .Shown("Custom Timestamp", Page::Advanced),
        Row(Int8(adv, "Out Folders History", &S::OutFoldersHistory))
            .Shown("Out Folders History", Page::Advanced),
        Row(Int8(adv, "Out Folders Number", &S::OutFoldersNumber))
            .Range(1, 50)
            .Shown("Out Folders Number", Page::Advanced),
        Row(Int8(adv, "Keep Subfolders", &S::KeepSubfolders))
            .Option(Flag("--NO-SUBFOLDERS", 0))
            .Range(0, 1)
            .Report("Keep Subfolders: ")
            .Shown("Keep Subfolders", Page::Advanced),

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

bool IsInRange(const SettingMember& member, double value) {
    const OptionField* row = FindOptionField(member);
    return row == nullptr || !row->range || row->range->Contains(value);
}

}  // namespace orvex
