// The watermark font, loaded once per batch from Font, FontSize, FontStyle
// and FontEffect, used for both measuring and drawing the text watermark.
#pragma once

#include <memory>
#include <string>
#include <string_view>

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;

namespace orvex {

struct ConversionSettings;

class WatermarkFont {
public:
    // Sizes outside this range (in points) are refused: 0 draws nothing and
    // thousands of points would ask for canvases of gigabytes.
    static constexpr int kMinimumPoints = 1;
    static constexpr int kMaximumPoints = 1000;

    // nullptr when fontconfig cannot resolve the family (or a metric-
    // compatible alias it declares itself) or the size is unusable.
    static std::unique_ptr<WatermarkFont> Load(const ConversionSettings& settings);
    ~WatermarkFont();
    WatermarkFont(const WatermarkFont&) = delete;
    WatermarkFont& operator=(const WatermarkFont&) = delete;

    // The family fontconfig resolved the face name to (for example
    // "Liberation Sans" for "Arial").
    const std::string& family() const;
    // The em size in pixels at 96 dots per inch.
    double pixelSize() const;

    // A new text layout for drawing on `cr` with this face, size, style and
    // effect; `raster` selects unsmoothed glyphs on whole-pixel metrics,
    // otherwise antialiased glyphs on exact metrics. The caller unrefs it;
    // nullptr when Pango could not make one.
    PangoLayout* CreateLayout(cairo_t* cr, std::string_view text, bool raster) const;

    struct Impl;
    const Impl& impl() const { return *m_impl; }

private:
    explicit WatermarkFont(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace orvex
