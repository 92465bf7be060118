// The configuration entries in file order.
#include "settings/setting_fields.h"

namespace orvex {
namespace {

using S = ConversionSettings;

SettingField Field(const char* group, const char* key, SettingKind kind, SettingMember member) {
    SettingField field{};
    field.group = group;
    field.key = key;
    field.kind = kind;
    field.member = member;
    return field;
}
SettingField Int8(const char* group, const char* key, int8_t S::*member) {
    return Field(group, key, SettingKind::Int8, member);
}
SettingField Int32(const char* group, const char* key, int32_t S::*member) {
    return Field(group, key, SettingKind::Int32, member);
}
SettingField Float(const char* group, const char* key, float S::*member) {
    return Field(group, key, SettingKind::Float, member);
}
SettingField String(const char* group, const char* key, std::string S::*member) {
    return Field(group, key, SettingKind::String, member);
}
SettingField DateField(const char* group, const char* key, Date S::*member) {
    return Field(group, key, SettingKind::Date, member);
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

std::vector<SettingField> BuildTable() {
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

    return {
        cfg,
        String("General", "Language", &S::Language),
        Int32("General", "Update Range", &S::UpdateRange),
        DateField("General", "Update Date", &S::UpdateDate),
        Int8("General", "Save Window Position", &S::SaveWindowPosition),

        // An absent position reads as 100, 100 rather than the centred default.
        Window(Int8("Window", "IsMaximized", &S::IsMaximized)),
        Window(Int32("Window", "Width", &S::Width)),
        Window(Int32("Window", "Height", &S::Height)),
        Window(MissingReads(100, Int32("Window", "X", &S::X))),
        Window(MissingReads(100, Int32("Window", "Y", &S::Y))),

        String("Interface", "UI Theme", &S::UiTheme),
        Int32("Interface", "UI Size", &S::UiSize),

        String(in, "Format", &S::InputFormat),
        ForReader("dds", Int32(in, "DDS Load As", &S::DdsLoadAs)),
        ForReader("gif", Int32(in, "GIF Frame Loading", &S::GifFrameLoading)),
        ForReader("ico", Int32(in, "ICO Frame Loading", &S::IcoFrameLoading)),
        ForReader("psd", Int32(in, "PSD Color Mode", &S::PsdColorMode)),
        ForReader("raw", Int32(in, "RAW Load As", &S::RawLoadAs)),
        ForReader("raw", Int32(in, "RAW Header Size", &S::RawHeaderSize)),
        ForReader("raw", Int32(in, "RAW Image Width", &S::RawImageWidth)),
        ForReader("raw", Int32(in, "RAW Image Height", &S::RawImageHeight)),
        ForReader("raw", Int32(in, "RAW Tone Mapping", &S::RawToneMapping)),
        ForReader("tiff", Int32(in, "TIFF Frame Loading", &S::TiffFrameLoading)),

        String(out, "Format", &S::OutputFormat),
        ForWriter("bmp", Int32(out, "BMP BPP", &S::BmpBpp)),
        ForWriter("bmp", Int32(out, "BMP Compression", &S::BmpCompression)),
        ForWriter("bmp", Int32(out, "BMP Color Table", &S::BmpColorTable)),
        ForWriter("dds", Int32(out, "DDS BPP", &S::DdsBpp)),
        ForWriter("exr", Int32(out, "EXR BPP", &S::ExrBpp)),
        ForWriter("exr", Int32(out, "EXR Compression", &S::ExrCompression)),
        ForWriter("gif", Int32(out, "GIF BPP", &S::GifBpp)),
        ForWriter("hdr", Int32(out, "HDR BPP", &S::HdrBpp)),
        ForWriter("ico", Int32(out, "ICO BPP", &S::IcoBpp)),
        ForWriter("j2k", Int32(out, "J2K BPP", &S::J2kBpp)),
        ForWriter("jng", Int32(out, "JNG BPP", &S::JngBpp)),
        ForWriter("jp2", Int32(out, "JP2 BPP", &S::Jp2Bpp)),
        ForWriter("jpg", Int32(out, "JPG BPP", &S::JpgBpp)),
        ForWriter("jpg", Int32(out, "JPG Quality", &S::JpgQuality)),
        ForWriter("jpg", Int32(out, "JPG Chroma", &S::JpgChroma)),
        ForWriter("jpg", Int32(out, "JPG Save As", &S::JpgSaveAs)),
        ForWriter("jxr", Int32(out, "JXR BPP", &S::JxrBpp)),
        ForWriter("pbm", Int32(out, "PBM BPP", &S::PbmBpp)),
        ForWriter("pcx", Int32(out, "PCX BPP", &S::PcxBpp)),
        ForWriter("pfm", Int32(out, "PFM BPP", &S::PfmBpp)),
        ForWriter("pgm", Int32(out, "PGM BPP", &S::PgmBpp)),
        ForWriter("png", Int32(out, "PNG BPP", &S::PngBpp)),
        ForWriter("png", Int32(out, "PNG Compression", &S::PngCompression)),
        ForWriter("png", Int8(out, "PNG Interlaced", &S::PngInterlaced)),
        ForWriter("ppm", Int32(out, "PPM BPP", &S::PpmBpp)),
        ForWriter("psd", Int32(out, "PSD BPP", &S::PsdBpp)),
        ForWriter("tga", Int32(out, "TGA BPP", &S::TgaBpp)),
        ForWriter("tga", Int32(out, "TGA Compression", &S::TgaCompression)),
        ForWriter("tiff", Int32(out, "TIFF BPP", &S::TiffBpp)),
        ForWriter("tiff", Int32(out, "TIFF Compression", &S::TiffCompression)),
        ForWriter("tiff", Int32(out, "TIFF Color Mode", &S::TiffColorMode)),
        ForWriter("wbmp", Int32(out, "WBMP BPP", &S::WbmpBpp)),
        ForWriter("webp", Int32(out, "WEBP BPP", &S::WebpBpp)),
        ForWriter("webp", Int32(out, "WEBP Quality", &S::WebpQuality)),
        ForWriter("xpm", Int32(out, "XPM BPP", &S::XpmBpp)),

        Int8(tr, "Do Image Rotation", &S::DoImageRotation),
        Int8(tr, "Image Rotation Type", &S::ImageRotationType),
        Int32(tr, "Image Rotation", &S::ImageRotation),
        String(tr, "Image Rotation Back Color", &S::ImageRotationBackColor),
        Int8(tr, "Do Image Resize", &S::DoImageResize),
        Int32(tr, "Image Width", &S::ImageWidth),
        Int8(tr, "Image Width Unit", &S::ImageWidthUnit),
        Int32(tr, "Image Height", &S::ImageHeight),
        Int8(tr, "Image Height Unit", &S::ImageHeightUnit),
        Int8(tr, "Keep Aspect Ratio", &S::KeepAspectRatio),
        Int8(tr, "Image Resize Type", &S::ImageResizeType),
        Int8(tr, "Image Resize Algorithm", &S::ImageResizeAlgorithm),
        Int8(tr, "Do Image Flip Horizontal", &S::DoImageFlipHorizontal),
        Int8(tr, "Do Image Flip Vertical", &S::DoImageFlipVertical),

        Int8(adj, "Do Image Color Correction", &S::DoImageColorCorrection),
        Int32(adj, "Image Brightness", &S::ImageBrightness),
        Int32(adj, "Image Contrast", &S::ImageContrast),
        Float(adj, "Image Gamma", &S::ImageGamma),
        Int8(adj, "Image Invert", &S::ImageInvert),
        Int8(adj, "Do Image Greyscale", &S::DoImageGreyscale),
        Int8(adj, "Do Image Threshold", &S::DoImageThreshold),
        Int32(adj, "Image Threshold", &S::ImageThreshold),
        Int8(adj, "Do Image Dither", &S::DoImageDither),
        Int8(adj, "Image Dither Algorithm", &S::ImageDitherAlgorithm),

        Int8(fr, "Do Frame", &S::DoFrame),
        Int32(fr, "Solid Left", &S::SolidLeft),
        Int32(fr, "Solid Right", &S::SolidRight),
        Int32(fr, "Solid Top", &S::SolidTop),
        Int32(fr, "Solid Bottom", &S::SolidBottom),
        String(fr, "Solid Left Color", &S::SolidLeftColor),
        String(fr, "Solid Right Color", &S::SolidRightColor),
        String(fr, "Solid Top Color", &S::SolidTopColor),
        String(fr, "Solid Bottom Color", &S::SolidBottomColor),
        Int32(fr, "Solid Opacity", &S::SolidOpacity),

        Int8(wm, "Do Watermark", &S::DoWatermark),
        text,
        String(wm, "Fonts", &S::Fonts),
        String(wm, "Font", &S::Font),
        Int32(wm, "Font Size", &S::FontSize),
        Int32(wm, "Font Leading", &S::FontLeading),
        String(wm, "Font Colors", &S::FontColors),
        String(wm, "Font Color", &S::FontColor),
        Int8(wm, "Font Style", &S::FontStyle),
        Int8(wm, "Font Effect", &S::FontEffect),
        Int8(wm, "Text Antialiasing", &S::TextAntialiasing),
        Int8(wm, "Text Alignment", &S::TextAlignment),
        Int32(wm, "Text Padding", &S::TextPadding),
        Int32(wm, "Text Opacity", &S::TextOpacity),
        String(wm, "Back Colors", &S::BackColors),
        String(wm, "Back Color", &S::BackColor),
        Int32(wm, "Back Opacity", &S::BackOpacity),
        Int8(wm, "Text Boundary", &S::TextBoundary),
        Int8(wm, "Text Position", &S::TextPosition),
        Int32(wm, "Text X Offset", &S::TextXOffset),
        Int32(wm, "Text Y Offset", &S::TextYOffset),
        Int32(wm, "Text Rotation", &S::TextRotation),
        Int8(wm, "Text Size", &S::TextSize),
        Int32(wm, "Text Scale", &S::TextScale),
        String(wm, "Image", &S::Image),
        Int8(wm, "Image Greyscale", &S::ImageGreyscale),
        Int32(wm, "Image Opacity", &S::ImageOpacity),
        Int8(wm, "Image Boundary", &S::ImageBoundary),
        Int8(wm, "Image Position", &S::ImagePosition),
        Int32(wm, "Image X Offset", &S::ImageXOffset),
        Int32(wm, "Image Y Offset", &S::ImageYOffset),
        Int32(wm, "Image Rotation", &S::WatermarkImageRotation),
        Int8(wm, "Image Size", &S::ImageSize),
        Int32(wm, "Image Scale", &S::ImageScale),

        String(adv, "Filename Mask", &S::FilenameMask),
        Int8(adv, "File Timestamp", &S::FileTimestamp),
        DateField(adv, "Custom Timestamp", &S::CustomTimestamp),
        Int8(adv, "Out Folders History", &S::OutFoldersHistory),
        Int8(adv, "Out Folders Number", &S::OutFoldersNumber),
        Int8(adv, "Keep Subfolders", &S::KeepSubfolders),

        String("File", "Recent Out Folders", &S::RecentOutFolders),
        String("File", "Recent Files", &S::RecentFiles),

        Int8("Privacy", "Clean Recent Files", &S::CleanRecentFiles),
    };
}

}  // namespace

const std::vector<SettingField>& SettingFieldTable() {
    static const std::vector<SettingField> table = BuildTable();
    return table;
}

const std::vector<ObsoleteSettingField>& ObsoleteSettingFieldTable() {
    static const std::vector<ObsoleteSettingField> table{
        {"Input", "PSD Color Model", &S::PsdColorMode},
        {"Output", "TIFF Color Model", &S::TiffColorMode},
    };
    return table;
}

const std::vector<std::string>& SettingGroups() {
    static const std::vector<std::string> groups = [] {
        std::vector<std::string> names;
        for (const SettingField& field : SettingFieldTable()) {
            if (names.empty() || names.back() != field.group) names.emplace_back(field.group);
        }
        return names;
    }();
    return groups;
}

}  // namespace orvex
