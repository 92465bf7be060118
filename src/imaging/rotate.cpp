// Rotation of the picture, before tone mapping: 8- to 32-bit pictures go
// through FreeImage's rotations, floating-point pictures are turned as they
// are so that their dynamic range survives until the tone mapper.
#include "imaging/rotate.h"

#include <algorithm>

#include "imaging/bitmap_step.h"
#include "imaging/colour_parse.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

constexpr int kSimpleRotation = 0;
constexpr int kAdvancedRotation = 1;

// Luma weights FreeImage uses for its greyscale conversions.
constexpr float kLumaRed = 0.2126f;
constexpr float kLumaGreen = 0.7152f;
constexpr float kLumaBlue = 0.0722f;

// The background colour in the pixel type of a floating-point picture; the
// colour's bytes scaled to 0..1 so that white is 1.0, the tone mapper's
// reference white.
union FloatBackground {
    float grey;
    FIRGBF rgb;
    FIRGBAF rgba;
};

FloatBackground FloatBackgroundFor(FREE_IMAGE_TYPE type, const Rgb& colour) {
    const float red = colour.red / 255.0f;
    const float green = colour.green / 255.0f;
    const float blue = colour.blue / 255.0f;
    FloatBackground background{};
    if (type == FIT_FLOAT) {
        background.grey = kLumaRed * red + kLumaGreen * green + kLumaBlue * blue;
    } else if (type == FIT_RGBF) {
        background.rgb = FIRGBF{red, green, blue};
    } else {
        background.rgba = FIRGBAF{red, green, blue, 1.0f};
    }
    return background;
}

// Cuts a width x height picture out of the centre of `rotated`. Where the
// turned canvas is narrower than the original (near 90 and 270 degrees), the
// cut-out is centred on a black canvas of the original size:
//
//      +-----------+          +--+-----+--+
//      |  +-----+  |          |  |     |  |
//      |  | cut |  |   or     |  | cut |  |   (black left and right)
//      |  +-----+  |          |  |     |  |
//      +-----------+          +--+-----+--+
Bitmap CutCentre(FIBITMAP* rotated, int width, int height) {
    const int rotatedWidth = static_cast<int>(FreeImage_GetWidth(rotated));
    const int rotatedHeight = static_cast<int>(FreeImage_GetHeight(rotated));
    const int left = std::max(0, (rotatedWidth - width) / 2);
    const int top = std::max(0, (rotatedHeight - height) / 2);
    const int cutWidth = std::min(width, rotatedWidth);
    const int cutHeight = std::min(height, rotatedHeight);
    Bitmap cut = AdoptBitmap(FreeImage_Copy(rotated, left, top, left + cutWidth, top + cutHeight));
    if (!cut || (cutWidth == width && cutHeight == height)) return cut;

    Bitmap canvas = AdoptBitmap(FreeImage_AllocateT(FreeImage_GetImageType(rotated), width, height,
                                                    static_cast<int>(FreeImage_GetBPP(rotated))));
    if (canvas && !FreeImage_Paste(canvas.get(), cut.get(), (width - cutWidth) / 2,
                                   (height - cutHeight) / 2, 256)) {
        canvas.reset();
    }
    return canvas;
}

Bitmap RotateFloatingPoint(Bitmap image, const ConversionSettings& settings) {
    const double angle = settings.ImageRotation;
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(image.get());
    if (settings.ImageRotationType == kSimpleRotation) {
        const FloatBackground background =
            FloatBackgroundFor(type, ParseColour(settings.ImageRotationBackColor));
        return ReplaceBitmap(std::move(image), [angle, &background](FIBITMAP* in) {
            return FreeImage_Rotate(in, angle, &background);
        });
    }
    if (settings.ImageRotationType == kAdvancedRotation) {
        // The same turn about the centre as the advanced rotation of 8- to
        // 32-bit pictures, which FreeImage offers for those depths only. The
        // background colour takes no part; uncovered corners are black.
        const int width = static_cast<int>(FreeImage_GetWidth(image.get()));
        const int height = static_cast<int>(FreeImage_GetHeight(image.get()));
        const Bitmap rotated = AdoptBitmap(FreeImage_Rotate(image.get(), angle, nullptr));
        image.reset();  // the turned canvas is all that is needed from here on
        if (!rotated) return {};
        return CutCentre(rotated.get(), width, height);
    }
    return image;
}

}  // namespace

Bitmap RotateImage(Bitmap image, const ConversionSettings& settings) {
    if (!image) return image;
    if (settings.DoImageRotation == 0 || settings.ImageRotation < 1 ||
        settings.ImageRotation > 359) {
        return image;
    }
    if (IsFloatingPointImage(image.get())) return RotateFloatingPoint(std::move(image), settings);

    const unsigned bpp = FreeImage_GetBPP(image.get());
    if (bpp <= 16 || bpp > 32) {
        image = ReplaceBy24Bits(std::move(image));
        if (!image) return image;
    }
    const double angle = settings.ImageRotation;
    if (settings.ImageRotationType == kSimpleRotation) {
        const Rgb colour = ParseColour(settings.ImageRotationBackColor);
        const RGBQUAD background{colour.blue, colour.green, colour.red, 0};
        return ReplaceBitmap(std::move(image), [angle, &background](FIBITMAP* in) {
            return FreeImage_Rotate(in, angle, &background);
        });
    }
    if (settings.ImageRotationType == kAdvancedRotation) {
        return ReplaceBitmap(std::move(image), [angle](FIBITMAP* in) {
            const double originX = FreeImage_GetWidth(in) / 2.0;
            const double originY = FreeImage_GetHeight(in) / 2.0;
            return FreeImage_RotateEx(in, angle, 0.0, 0.0, originX, originY, FALSE);
        });
    }
    return image;
}

}  // namespace orvex
