// Canvases over Cairo image surfaces, text through PangoCairo, and the exact
// copy between Cairo's premultiplied pixels and FreeImage's straight ones.
#include "drawing/canvas.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstddef>

#include "drawing/watermark_font.h"

namespace orvex {
namespace {

int ClampByte(int value) { return std::clamp(value, 0, 255); }

// Premultiplied <-> straight alpha, both rounded to the nearest level. The
// pair is chosen so that a canvas copied to a bitmap and back comes out
// unchanged: straight values are exact where alpha is 255 and as close as
// premultiplied storage allows below it.
uint32_t Premultiply(int red, int green, int blue, int alpha) {
    auto scale = [alpha](int value) { return static_cast<uint32_t>((value * alpha + 127) / 255); };
    return (static_cast<uint32_t>(alpha) << 24) | (scale(red) << 16) | (scale(green) << 8) |
           scale(blue);
}

Rgba Unpremultiply(uint32_t pixel) {
    const int alpha = static_cast<int>(pixel >> 24);
    if (alpha == 0) return Rgba{};
    auto scale = [alpha](uint32_t value) {
        return static_cast<uint8_t>(
            std::min(255, (static_cast<int>(value) * 255 + alpha / 2) / alpha));
    };
    return Rgba{scale((pixel >> 16) & 0xFF), scale((pixel >> 8) & 0xFF), scale(pixel & 0xFF),
                static_cast<uint8_t>(alpha)};
}

void SetSource(cairo_t* cr, Rgb colour, int alpha) {
    cairo_set_source_rgba(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0,
                          ClampByte(alpha) / 255.0);
}

// One drawing context on a surface for the length of one operation.
class Drawing {
public:
    explicit Drawing(cairo_surface_t* surface) : m_cr(cairo_create(surface)) {}
    ~Drawing() { cairo_destroy(m_cr); }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;
    bool ok() const { return cairo_status(m_cr) == CAIRO_STATUS_SUCCESS; }
    cairo_t* get() const { return m_cr; }

private:
    cairo_t* m_cr;
};

}  // namespace

Canvas::Canvas(cairo_surface_t* surface, int width, int height)
    : m_surface(surface), m_width(width), m_height(height) {}

Canvas::~Canvas() { cairo_surface_destroy(m_surface); }

std::unique_ptr<Canvas> Canvas::Create(int width, int height) {
    if (width < 1 || height < 1 || width > kMaximumSide || height > kMaximumSide) return nullptr;
    // Cairo clears a new image surface: every pixel starts transparent.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::unique_ptr<Canvas>(new Canvas(surface, width, height));
}

std::unique_ptr<Canvas> Canvas::FromBitmap(FIBITMAP* bitmap) {
    if (!bitmap || FreeImage_GetImageType(bitmap) != FIT_BITMAP || FreeImage_GetBPP(bitmap) != 32) {
        return nullptr;
    }
    const int width = static_cast<int>(FreeImage_GetWidth(bitmap));
    const int height = static_cast<int>(FreeImage_GetHeight(bitmap));
    std::unique_ptr<Canvas> canvas = Create(width, height);
    if (!canvas) return nullptr;
    cairo_surface_flush(canvas->m_surface);
    unsigned char* data = cairo_image_surface_get_data(canvas->m_surface);
    const int stride = cairo_image_surface_get_stride(canvas->m_surface);
    for (int y = 0; y < height; ++y) {
        const BYTE* source = FreeImage_GetScanLine(bitmap, height - 1 - y);
        auto* target = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x, source += 4) {
            target[x] = Premultiply(source[FI_RGBA_RED], source[FI_RGBA_GREEN],
                                    source[FI_RGBA_BLUE], source[FI_RGBA_ALPHA]);
        }
    }
    cairo_surface_mark_dirty(canvas->m_surface);
    return canvas;
}

std::unique_ptr<Canvas> Canvas::FromRows(const uint8_t* pixels, int width, int height, int stride,
                                         int channels) {
    if (!pixels || (channels != 3 && channels != 4)) return nullptr;
    std::unique_ptr<Canvas> canvas = Create(width, height);
    if (!canvas) return nullptr;
    cairo_surface_flush(canvas->m_surface);
    unsigned char* data = cairo_image_surface_get_data(canvas->m_surface);
    const int targetStride = cairo_image_surface_get_stride(canvas->m_surface);
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = pixels + static_cast<ptrdiff_t>(y) * stride;
        auto* target = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * targetStride);
        for (int x = 0; x < width; ++x, source += channels) {
            const int alpha = channels == 4 ? source[3] : 255;
            target[x] = Premultiply(source[0], source[1], source[2], alpha);
        }
    }
    cairo_surface_mark_dirty(canvas->m_surface);
    return canvas;
}

void Canvas::Fill(Rgb colour, int alpha) {
    Drawing drawing(m_surface);
    if (!drawing.ok()) return;
    cairo_set_operator(drawing.get(), CAIRO_OPERATOR_SOURCE);
    SetSource(drawing.get(), colour, alpha);
    cairo_paint(drawing.get());
}

void Canvas::FillPolygon(const std::vector<PointF>& corners, Rgb colour, int alpha) {
    if (corners.size() < 3) return;
    Drawing drawing(m_surface);
    if (!drawing.ok()) return;
    cairo_t* cr = drawing.get();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_move_to(cr, corners[0].x, corners[0].y);
    for (size_t i = 1; i < corners.size(); ++i) cairo_line_to(cr, corners[i].x, corners[i].y);
    cairo_close_path(cr);
    SetSource(cr, colour, alpha);
    cairo_fill(cr);
}

void Canvas::Paint(const Canvas& layer, int x, int y, int alpha) {
    Drawing drawing(m_surface);
    if (!drawing.ok()) return;
    cairo_set_source_surface(drawing.get(), layer.m_surface, x, y);
    cairo_paint_with_alpha(drawing.get(), ClampByte(alpha) / 255.0);
}

TextExtent Canvas::MeasureText(const WatermarkFont& font, std::string_view text,
                               TextMode mode) const {
    Drawing drawing(m_surface);
    if (!drawing.ok()) return {};
    PangoLayout* layout = font.CreateLayout(drawing.get(), text, mode == TextMode::Raster);
    if (!layout) return {};
    PangoRectangle logical{};
    pango_layout_get_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    if (mode == TextMode::Raster) {
        return TextExtent{PANGO_PIXELS_CEIL(logical.width), PANGO_PIXELS_CEIL(logical.height)};
    }
    return TextExtent{PANGO_PIXELS(logical.width), PANGO_PIXELS(logical.height)};
}

void Canvas::DrawText(const WatermarkFont& font, std::string_view text, int x, int y, Rgb colour,
                      int alpha, TextMode mode) {
    Drawing drawing(m_surface);
    if (!drawing.ok()) return;
    cairo_t* cr = drawing.get();
    const bool raster = mode == TextMode::Raster;
    if (raster) {
        // Glyph pixels replace what is under them, alpha included, and the
        // underline or strikeout bar is drawn without smoothing as well.
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    }
    PangoLayout* layout = font.CreateLayout(cr, text, raster);
    if (!layout) return;
    SetSource(cr, colour, alpha);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

Rgba Canvas::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return Rgba{};
    cairo_surface_flush(m_surface);
    const unsigned char* data = cairo_image_surface_get_data(m_surface);
    const int stride = cairo_image_surface_get_stride(m_surface);
    return Unpremultiply(
        reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride)[x]);
}

Bitmap Canvas::ToBitmap() const {
    Bitmap bitmap = AdoptBitmap(FreeImage_Allocate(m_width, m_height, 32, FI_RGBA_RED_MASK,
                                                   FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
    if (bitmap) CopyInto(bitmap.get(), 0, 0);
    return bitmap;
}

bool Canvas::CopyInto(FIBITMAP* target, int left, int top) const {
    if (!target || FreeImage_GetImageType(target) != FIT_BITMAP || FreeImage_GetBPP(target) != 32) {
        return false;
    }
    const int64_t targetWidth = FreeImage_GetWidth(target);
    const int64_t targetHeight = FreeImage_GetHeight(target);
    if (left < 0 || top < 0 || left + int64_t{m_width} > targetWidth ||
        top + int64_t{m_height} > targetHeight) {
        return false;
    }
    cairo_surface_flush(m_surface);
    const unsigned char* data = cairo_image_surface_get_data(m_surface);
    const int stride = cairo_image_surface_get_stride(m_surface);
    for (int y = 0; y < m_height; ++y) {
        const auto* source =
            reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        BYTE* row = FreeImage_GetScanLine(target, static_cast<int>(targetHeight - 1 - top - y));
        BYTE* pixel = row + static_cast<ptrdiff_t>(left) * 4;
        for (int x = 0; x < m_width; ++x, pixel += 4) {
            const Rgba value = Unpremultiply(source[x]);
            pixel[FI_RGBA_RED] = value.red;
            pixel[FI_RGBA_GREEN] = value.green;
            pixel[FI_RGBA_BLUE] = value.blue;
            pixel[FI_RGBA_ALPHA] = value.alpha;
        }
    }
    return true;
}

Bitmap CompositeOverPicture(Bitmap picture, FIBITMAP* layer) {
    if (!picture || !layer || FreeImage_GetBPP(picture.get()) != 24 ||
        FreeImage_GetBPP(layer) != 32 ||
        FreeImage_GetWidth(picture.get()) != FreeImage_GetWidth(layer) ||
        FreeImage_GetHeight(picture.get()) != FreeImage_GetHeight(layer)) {
        return picture;
    }
    Bitmap blended = AdoptBitmap(FreeImage_Composite(layer, FALSE, nullptr, picture.get()));
    if (!blended) return picture;
    return blended;  // the picture is unloaded on the way out
}

}  // namespace orvex
