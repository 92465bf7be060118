// Loading the watermark font: the face is resolved with fontconfig and kept
// as a Pango font description. Pango's font maps must not be used by two
// threads at once, so every thread that lays out text with the font gets a
// font map of its own, made on its first layout and freed with the font.
#include "drawing/watermark_font.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "settings/conversion_settings.h"

namespace orvex {

// Text is laid out at 96 dots per inch: N points are N x 96 / 72 pixels.
constexpr double kDotsPerInch = 96.0;

struct WatermarkFont::Impl {
    // One font map per thread that draws; a thread's map is only ever used
    // by that thread, the lock guards the table alone.
    std::mutex fontMapsLock;
    std::map<std::thread::id, PangoFontMap*> fontMaps;
    PangoFontDescription* description = nullptr;
    std::string family;
    double pixelSize = 0.0;
    bool underline = false;
    bool strikeout = false;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        if (description) pango_font_description_free(description);
        for (auto& [thread, fontMap] : fontMaps) g_object_unref(fontMap);
    }

    // The calling thread's font map, made on first use; nullptr when Pango
    // could not make one.
    PangoFontMap* FontMapOfThisThread() {
        std::lock_guard<std::mutex> lock(fontMapsLock);
        PangoFontMap*& fontMap = fontMaps[std::this_thread::get_id()];
        if (!fontMap) {
            fontMap = pango_cairo_font_map_new();
            if (!fontMap) return nullptr;
            pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(fontMap), kDotsPerInch);
        }
        return fontMap;
    }
};

namespace {

constexpr int kStyleBold = 1;
constexpr int kStyleItalic = 2;
constexpr int kStyleBoldItalic = 3;
constexpr int kEffectUnderline = 1;
constexpr int kEffectStrikeout = 2;

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

// The family of the face fontconfig picks for `request`, provided it is the
// family asked for or one that fontconfig's own configuration binds firmly
// to it (the metric-compatible aliases, such as Liberation Sans for Arial).
// A face that is only a generic fallback (DejaVu Sans for an unknown name)
// does not count: drawing with it would silently change the watermark.
std::optional<std::string> ResolveFamily(const std::string& request) {
    if (request.empty()) return std::nullopt;
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) return std::nullopt;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(request.c_str()));
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) return std::nullopt;
    FcDefaultSubstitute(pattern.get());

    // After substitution the family list holds the request and its aliases
    // with the binding the configuration gave them; fallbacks are weak.
    std::vector<std::string> accepted;
    FcValue value;
    FcValueBinding binding;
    for (int i = 0;
         FcPatternGetWithBinding(pattern.get(), FC_FAMILY, i, &value, &binding) == FcResultMatch;
         ++i) {
        if (value.type == FcTypeString && binding != FcValueBindingWeak) {
            accepted.emplace_back(reinterpret_cast<const char*>(value.u.s));
        }
    }

    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) return std::nullopt;
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        for (const std::string& name : accepted) {
            if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(name.c_str())) == 0) {
                return std::string(reinterpret_cast<const char*>(family));
            }
        }
    }
    return std::nullopt;
}

PangoFontDescription* DescribeFont(const std::string& family, double pixelSize, int style) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, family.c_str());
    pango_font_description_set_absolute_size(description, pixelSize * PANGO_SCALE);
    const bool bold = style == kStyleBold || style == kStyleBoldItalic;
    const bool italic = style == kStyleItalic || style == kStyleBoldItalic;
    pango_font_description_set_weight(description, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return description;
}

// Whether Pango can actually open a face for the description on the map.
bool PangoCanLoad(PangoFontMap* fontMap, const PangoFontDescription* description) {
    PangoContext* context = pango_font_map_create_context(fontMap);
    if (!context) return false;
    PangoFont* font = pango_font_map_load_font(fontMap, context, description);
    const bool loaded = font != nullptr;
    if (font) g_object_unref(font);
    g_object_unref(context);
    return loaded;
}

}  // namespace

WatermarkFont::WatermarkFont(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

WatermarkFont::~WatermarkFont() = default;

std::unique_ptr<WatermarkFont> WatermarkFont::Load(const ConversionSettings& settings) {
    if (settings.FontSize < kMinimumPoints || settings.FontSize > kMaximumPoints) return nullptr;
    std::optional<std::string> family = ResolveFamily(settings.Font);
    if (!family) return nullptr;

    auto impl = std::make_unique<Impl>();
    impl->family = *family;
    impl->pixelSize = settings.FontSize * kDotsPerInch / 72.0;
    impl->underline = settings.FontEffect == kEffectUnderline;
    impl->strikeout = settings.FontEffect == kEffectStrikeout;
    impl->description = DescribeFont(impl->family, impl->pixelSize, settings.FontStyle);
    PangoFontMap* fontMap = impl->FontMapOfThisThread();
    if (!fontMap || !PangoCanLoad(fontMap, impl->description)) return nullptr;
    return std::unique_ptr<WatermarkFont>(new WatermarkFont(std::move(impl)));
}

const std::string& WatermarkFont::family() const { return m_impl->family; }

double WatermarkFont::pixelSize() const { return m_impl->pixelSize; }

PangoLayout* WatermarkFont::CreateLayout(cairo_t* cr, std::string_view text, bool raster) const {
    PangoFontMap* fontMap = m_impl->FontMapOfThisThread();
    if (!fontMap) return nullptr;
    PangoContext* context = pango_font_map_create_context(fontMap);
    if (!context) return nullptr;
    pango_cairo_update_context(cr, context);
    pango_cairo_context_set_resolution(context, kDotsPerInch);

    // Raster text: one-bit glyphs on whole-pixel advances, like a bitmap
    // font; vector text: smoothed outlines placed exactly.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, raster ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options,
                                      raster ? CAIRO_HINT_STYLE_FULL : CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options,
                                        raster ? CAIRO_HINT_METRICS_ON : CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, raster ? TRUE : FALSE);

    PangoLayout* layout = pango_layout_new(context);
    g_object_unref(context);  // the layout keeps its own reference
    if (!layout) return nullptr;
    pango_layout_set_font_description(layout, m_impl->description);

    // Pango takes only valid UTF-8; broken sequences become U+FFFD.
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    pango_layout_set_text(layout, valid, -1);
    g_free(valid);

    if (m_impl->underline || m_impl->strikeout) {
        PangoAttrList* attributes = pango_attr_list_new();
        if (m_impl->underline) {
            pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        }
        if (m_impl->strikeout) {
            pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
        }
        pango_layout_set_attributes(layout, attributes);
        pango_attr_list_unref(attributes);
    }
    return layout;
}

}  // namespace orvex
