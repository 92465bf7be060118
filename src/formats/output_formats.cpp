// The output format table, the per-format depth settings and the writer
// flags, all as tables the functions walk.
#include "formats/output_formats.h"

#include <FreeImage.h>

#include <charconv>
#include <variant>

#include "settings/conversion_settings.h"
#include "settings/option_fields.h"

namespace orvex {
namespace {

using S = ConversionSettings;

struct DepthSetting {
    const char* extension;
    int32_t S::*field;
};

// dds, pcx and psd carry a depth setting but have no writer row.
constexpr DepthSetting kDepthSettings[] = {
    {"bmp", &S::BmpBpp},   {"dds", &S::DdsBpp},   {"exr", &S::ExrBpp}, {"gif", &S::GifBpp},
    {"hdr", &S::HdrBpp},   {"ico", &S::IcoBpp},   {"j2k", &S::J2kBpp}, {"jng", &S::JngBpp},
    {"jp2", &S::Jp2Bpp},   {"jpg", &S::JpgBpp},   {"jxr", &S::JxrBpp}, {"pbm", &S::PbmBpp},
    {"pcx", &S::PcxBpp},   {"pfm", &S::PfmBpp},   {"pgm", &S::PgmBpp}, {"png", &S::PngBpp},
    {"ppm", &S::PpmBpp},   {"psd", &S::PsdBpp},   {"tga", &S::TgaBpp}, {"tiff", &S::TiffBpp},
    {"wbmp", &S::WbmpBpp}, {"webp", &S::WebpBpp}, {"xpm", &S::XpmBpp},
};

struct FlagValue {
    int32_t value;
    int32_t flags;
};

// One contribution to a writer's flags. A rule either maps listed values of
// its setting to flags (unlisted values add nothing), passes a quality of 1
// to 100 through as the low bits (with listed values replaced), or, without
// a setting, always adds `flags`.
struct FlagRule {
    enum class Kind { Mapped, Quality, Constant };
    const char* extension;
    Kind kind;
    std::variant<int32_t S::*, int8_t S::*> setting;
    std::vector<FlagValue> values;
    int32_t flags = 0;
};

const std::vector<FlagRule>& FlagRules() {
    using K = FlagRule::Kind;
    static const std::vector<FlagRule> rules{
        {"bmp", K::Mapped, &S::BmpCompression, {{0, BMP_DEFAULT}, {1, BMP_SAVE_RLE}}},
        {"exr",
         K::Mapped,
         &S::ExrCompression,
         {{0, EXR_NONE}, {1, EXR_ZIP}, {2, EXR_PIZ}, {3, EXR_PXR24}, {4, EXR_B44}}},
        {"jpg", K::Quality, &S::JpgQuality, {}},
        {"jpg",
         K::Mapped,
         &S::JpgChroma,
         {{0, JPEG_SUBSAMPLING_444},
          {1, JPEG_SUBSAMPLING_422},
          {2, JPEG_SUBSAMPLING_420},
          {3, JPEG_SUBSAMPLING_411}}},
        {"jpg",
         K::Mapped,
         &S::JpgSaveAs,
         {{1, JPEG_BASELINE}, {2, JPEG_OPTIMIZE}, {3, JPEG_PROGRESSIVE}}},
        {"jxr", K::Constant, {}, {}, JXR_LOSSLESS},
        {"png",
         K::Mapped,
         &S::PngCompression,
         {{0, PNG_Z_NO_COMPRESSION},
          {1, PNG_Z_BEST_SPEED},
          {2, PNG_Z_DEFAULT_COMPRESSION},
          {3, PNG_Z_BEST_COMPRESSION}}},
        {"png", K::Mapped, &S::PngInterlaced, {{1, PNG_INTERLACED}}},
        {"tga", K::Mapped, &S::TgaCompression, {{0, TARGA_DEFAULT}, {1, TARGA_SAVE_RLE}}},
        {"tiff",
         K::Mapped,
         &S::TiffCompression,
         {{0, TIFF_NONE},
          {1, TIFF_CCITTFAX3},
          {2, TIFF_CCITTFAX4},
          {3, TIFF_PACKBITS},
          {4, TIFF_DEFLATE},
          {5, TIFF_ADOBE_DEFLATE},
          {6, TIFF_LZW},
          {7, TIFF_JPEG},
          {8, TIFF_LOGLUV}}},
        // CMYK adds its flag; RGB and LAB write the default colour model.
        {"tiff", K::Mapped, &S::TiffColorMode, {{1, TIFF_CMYK}}},
        // Quality 100 means lossless.
        {"webp", K::Quality, &S::WebpQuality, {{100, WEBP_LOSSLESS}}},
    };
    return rules;
}

int32_t SettingValue(const FlagRule& rule, const ConversionSettings& settings) {
    return std::visit([&](auto field) { return static_cast<int32_t>(settings.*field); },
                      rule.setting);
}

int32_t RuleFlags(const FlagRule& rule, const ConversionSettings& settings) {
    if (rule.kind == FlagRule::Kind::Constant) return rule.flags;
    const int32_t value = SettingValue(rule, settings);
    for (const FlagValue& listed : rule.values) {
        if (listed.value == value) return listed.flags;
    }
    // A quality outside its option's range (possible from a hand-edited file,
    // which is not range-checked on reading) must not spill into the higher
    // flag bits; it adds nothing and the writer uses its own default quality.
    const SettingMember member =
        std::visit([](auto field) { return SettingMember(field); }, rule.setting);
    if (rule.kind == FlagRule::Kind::Quality && IsInRange(member, value)) return value;
    return 0;
}

// Calls `visit` with each depth of a "," separated list in order; stops
// early when it returns true.
template <typename Visit>
bool ForEachDepth(const std::string& depths, Visit visit) {
    const char* at = depths.data();
    const char* end = at + depths.size();
    while (at < end) {
        int32_t depth = 0;
        const auto result = std::from_chars(at, end, depth);
        if (result.ec == std::errc{} && visit(depth)) return true;
        at = result.ptr;
        while (at < end && *at != ',') ++at;
        if (at < end) ++at;
    }
    return false;
}

}  // namespace

const std::vector<OutputFormatRow>& OutputFormatTable() {
    static const std::vector<OutputFormatRow> table{
        {FIF_BMP, "bmp", "Windows or OS/2 Bitmap", "1,4,8,16,24,32"},
        {FIF_EXR, "exr", "ILM OpenEXR", "96"},
        {FIF_GIF, "gif", "Graphics Interchange Format", "8"},
        {FIF_HDR, "hdr", "High Dynamic Range Image", "96"},
        {FIF_ICO, "ico", "Windows Icon", "1,4,8,16,24,32"},
        {FIF_J2K, "j2k", "JPEG-2000 Codestream", "8,24,32,48"},
        {FIF_JNG, "jng", "JPEG Network Graphics", "24,32"},
        {FIF_JP2, "jp2", "JPEG-2000 File Format", "8,24,32,48"},
        {FIF_JPEG, "jpg", "JPEG File Format", "8,24"},
        {FIF_JXR, "jxr", "JPEG XR Image Format", "1,8,16,24,32,48,96"},
        // The portable bit-, grey- and pixelmaps are written in their ASCII forms.
        {FIF_PBM, "pbm", "Portable Bitmap", "1"},
        {FIF_PFM, "pfm", "Portable Floatmap", "96"},
        {FIF_PGM, "pgm", "Portable Greymap", "8"},
        {FIF_PNG, "png", "Portable Network Graphics", "1,4,8,24,32,48"},
        {FIF_PPM, "ppm", "Portable Pixelmap", "24,48"},
        {FIF_TARGA, "tga", "Truevision Targa", "8,16,24,32"},
        {FIF_TIFF, "tiff", "Tagged Image File Format", "1,4,8,24,32,48,96"},
        {FIF_WBMP, "wbmp", "Wireless Bitmap", "1"},
        {FIF_WEBP, "webp", "Google WebP Image Format", "24,32"},
        {FIF_XPM, "xpm", "X11 Pixmap Format", "24"},
    };
    return table;
}

const OutputFormatRow* FindOutputFormat(std::string_view extension) {
    for (const OutputFormatRow& row : OutputFormatTable()) {
        if (row.extension == extension) return &row;
    }
    return nullptr;
}

bool IsAllowedDepth(std::string_view extension, int32_t depth) {
    if (depth == 0) return true;
    const OutputFormatRow* row = FindOutputFormat(extension);
    return row != nullptr &&
           ForEachDepth(row->depths, [depth](int32_t listed) { return listed == depth; });
}

int32_t ChooseAutoBitDepth(std::string_view extension, int32_t sourceDepth) {
    const OutputFormatRow* row = FindOutputFormat(extension);
    if (row == nullptr) return 0;  // no writer, no depth to choose
    int32_t chosen = 0;
    // The first listed depth that holds the source; failing that the largest.
    ForEachDepth(row->depths, [&](int32_t listed) {
        chosen = listed;
        return listed >= sourceDepth;
    });
    return chosen;
}

int32_t DepthSettingFor(std::string_view extension, const ConversionSettings& settings) {
    for (const DepthSetting& setting : kDepthSettings) {
        if (extension == setting.extension) return settings.*setting.field;
    }
    return 0;
}

int32_t SaveFlagsFor(std::string_view extension, const ConversionSettings& settings) {
    int32_t flags = 0;
    for (const FlagRule& rule : FlagRules()) {
        if (extension == rule.extension) flags |= RuleFlags(rule, settings);
    }
    return flags;
}

SaveTarget MakeSaveTarget(std::string_view extension, const ConversionSettings& settings,
                          std::string outputFolder) {
    SaveTarget target;
    const OutputFormatRow* row = FindOutputFormat(extension);
    target.outputFolder = std::move(outputFolder);
    target.outputExtension = std::string(extension);
    // An extension without a writer gets no format (rather than 0, which
    // would write a bitmap under any name), so its saves fail.
    target.formatId = row != nullptr ? row->format : FIF_UNKNOWN;
    target.bitDepth = DepthSettingFor(extension, settings);
    target.saveFlags = SaveFlagsFor(extension, settings);
    return target;
}

}  // namespace orvex
