// Building the image watermark overlay. The picture is read with gdk-pixbuf,
// limited to the common logo formats, and its size is checked from the
// header before any pixel memory is allocated.
#include "drawing/image_watermark.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "drawing/canvas.h"
#include "drawing/watermark_placement.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

struct PixbufDeleter {
    void operator()(GdkPixbuf* pixbuf) const { g_object_unref(pixbuf); }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, PixbufDeleter>;

// Only these loaders are used; gdk-pixbuf offers more (vector and icon
// formats among them) that a logo does not need.
bool IsAcceptedFormat(GdkPixbufFormat* format) {
    gchar* name = gdk_pixbuf_format_get_name(format);
    const bool accepted = name && (std::strcmp(name, "png") == 0 ||
                                   std::strcmp(name, "jpeg") == 0 || std::strcmp(name, "bmp") == 0);
    g_free(name);
    return accepted;
}

// The picture at `path`, or nullptr with the reason.
PixbufPtr LoadPicture(const std::string& path, std::string* reason) {
    const auto refuse = [reason](const std::string& text) {
        *reason = "the watermark picture " + text;
        return nullptr;
    };
    if (path.empty()) return refuse("is not named");
    int width = 0;
    int height = 0;
    GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), &width, &height);
    if (!format) return refuse("cannot be read or is not a picture: " + path);
    if (!IsAcceptedFormat(format)) return refuse("is not a PNG, JPEG or BMP file: " + path);
    // A header may claim any size; refuse a huge one before decoding.
    const std::string limit = std::to_string(kMaximumOverlaySide);
    if (width > kMaximumOverlaySide || height > kMaximumOverlaySide) {
        return refuse("is larger than " + limit + " pixels on a side (" + std::to_string(width) +
                      " x " + std::to_string(height) + "): " + path);
    }
    if (width < 1 || height < 1) return refuse("has no size: " + path);
    GError* error = nullptr;
    PixbufPtr pixbuf(gdk_pixbuf_new_from_file(path.c_str(), &error));
    std::string detail;
    if (error) {
        if (error->message) detail = std::string(" (") + error->message + ")";
        g_error_free(error);
    }
    if (!pixbuf) return refuse("cannot be decoded: " + path + detail);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf.get());
    if (gdk_pixbuf_get_colorspace(pixbuf.get()) != GDK_COLORSPACE_RGB ||
        gdk_pixbuf_get_bits_per_sample(pixbuf.get()) != 8 || (channels != 3 && channels != 4) ||
        gdk_pixbuf_get_width(pixbuf.get()) != width ||
        gdk_pixbuf_get_height(pixbuf.get()) != height) {
        return refuse("has a pixel layout that cannot be used: " + path);
    }
    return pixbuf;
}

// Replaces every pixel's colour by its grey level; alpha stays.
void MakeGrey(GdkPixbuf* pixbuf) {
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    for (int y = 0; y < height; ++y) {
        guchar* pixel = pixels + static_cast<ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x, pixel += channels) {
            const uint8_t grey = WatermarkGrey(pixel[0], pixel[1], pixel[2]);
            pixel[0] = pixel[1] = pixel[2] = grey;
        }
    }
}

}  // namespace

bool CanDecodeWatermarkImage(const std::string& path, std::string* reason) {
    std::string ignored;
    return LoadPicture(path, reason ? reason : &ignored) != nullptr;
}

Bitmap BuildImageOverlay(const ConversionSettings& settings, std::string* reason) {
    std::string ignored;
    if (!reason) reason = &ignored;
    PixbufPtr pixbuf = LoadPicture(settings.Image, reason);
    if (!pixbuf) return {};
    if (settings.ImageGreyscale != 0) MakeGrey(pixbuf.get());

    const int width = gdk_pixbuf_get_width(pixbuf.get());
    const int height = gdk_pixbuf_get_height(pixbuf.get());
    std::unique_ptr<Canvas> picture = Canvas::FromRows(
        gdk_pixbuf_get_pixels(pixbuf.get()), width, height, gdk_pixbuf_get_rowstride(pixbuf.get()),
        gdk_pixbuf_get_n_channels(pixbuf.get()));
    pixbuf.reset();
    const std::string noMemory = "no memory for the watermark picture of " + std::to_string(width) +
                                 " x " + std::to_string(height) + " pixels";
    if (!picture) {
        *reason = noMemory;
        return {};
    }

    // The picture is painted at the image opacity onto a transparent canvas,
    // whether or not it has an alpha channel of its own: on an opaque
    // background a picture without alpha would only darken at a lower
    // opacity instead of letting the photograph show through.
    std::unique_ptr<Canvas> overlay = Canvas::Create(width, height);
    Bitmap bitmap;
    if (overlay) {
        overlay->Paint(*picture, 0, 0, std::clamp(settings.ImageOpacity, 0, 255));
        picture.reset();
        bitmap = overlay->ToBitmap();
    }
    if (!bitmap) *reason = noMemory;
    return bitmap;
}

}  // namespace orvex
