// The drawing layer over Cairo and Pango: transparent 32-bit canvases, fills,
// layers, text, and the copy into 32-bit FreeImage bitmaps that keeps alpha.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "formats/bitmap.h"
#include "imaging/colour_parse.h"

typedef struct _cairo_surface cairo_surface_t;

namespace orvex {

class WatermarkFont;

struct PointF {
    double x = 0.0;
    double y = 0.0;
};

struct TextExtent {
    int width = 0;
    int height = 0;
};

// Raster text writes one-bit glyph pixels (no smoothing, no blending) on
// whole-pixel metrics; vector text is antialiased and blended.
enum class TextMode { Raster, Vector };

// A pixel with straight (not premultiplied) alpha.
struct Rgba {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    bool operator==(const Rgba&) const = default;
};

// A width x height ARGB32 drawing surface, transparent when made. Cairo keeps
// it with premultiplied alpha, rows top-down.
class Canvas {
public:
    // Cairo's own limit for the side of an image surface.
    static constexpr int kMaximumSide = 32767;

    // nullptr for a side below 1 or above the limit, or when Cairo cannot
    // allocate the surface.
    static std::unique_ptr<Canvas> Create(int width, int height);
    // A canvas holding a 32-bit FreeImage bitmap's pixels; nullptr for any
    // other depth or type.
    static std::unique_ptr<Canvas> FromBitmap(FIBITMAP* bitmap);
    // A canvas from straight-alpha pixel rows, top row first: `channels` 3
    // (red, green, blue; opaque) or 4 (red, green, blue, alpha).
    static std::unique_ptr<Canvas> FromRows(const uint8_t* pixels, int width, int height,
                                            int stride, int channels);

    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }

    // Every pixel replaced by the colour at `alpha` (0..255).
    void Fill(Rgb colour, int alpha);
    // An antialiased fill of the closed polygon, blended over what is there.
    void FillPolygon(const std::vector<PointF>& corners, Rgb colour, int alpha);
    // `layer` painted with its top-left corner at (x, y), its alpha scaled by
    // alpha / 255, blended over what is there.
    void Paint(const Canvas& layer, int x, int y, int alpha);

    // The size of `text` laid out in `font` (logical extent: advance width
    // and full line height). Raster sizes are whole pixels rounded up, vector
    // sizes rounded to the nearest pixel.
    TextExtent MeasureText(const WatermarkFont& font, std::string_view text, TextMode mode) const;
    // `text` with its top-left corner at (x, y). Raster text writes its glyph
    // pixels as colour at alpha; vector text blends them.
    void DrawText(const WatermarkFont& font, std::string_view text, int x, int y, Rgb colour,
                  int alpha, TextMode mode);

    // The pixel at (x, y), counted from the top-left corner, with straight
    // alpha; transparent outside the canvas.
    Rgba PixelAt(int x, int y) const;

    // A new 32-bit FreeImage bitmap with the same pixels, straight alpha,
    // rows bottom-up as FreeImage keeps them; null if it cannot be made.
    Bitmap ToBitmap() const;
    // The same copy into part of an existing 32-bit bitmap, this canvas's
    // top-left corner at (left, top) counted from the bitmap's top-left; false
    // (and nothing copied) unless the canvas lies wholly inside it.
    bool CopyInto(FIBITMAP* target, int left, int top) const;

private:
    Canvas(cairo_surface_t* surface, int width, int height);
    cairo_surface_t* m_surface;
    int m_width;
    int m_height;
};

// Blends a 32-bit layer of the picture's size over the 24-bit picture by the
// layer's alpha. Returns the 24-bit result in place of the picture; when the
// blend cannot be made the picture is returned as it was. The layer stays the
// caller's.
Bitmap CompositeOverPicture(Bitmap picture, FIBITMAP* layer);

}  // namespace orvex
