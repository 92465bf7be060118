// Output bit depth: one FreeImage conversion per depth the writers accept.
#include "imaging/bit_depth.h"

#include "formats/output_formats.h"
#include "imaging/bitmap_step.h"
#include "settings/file_context.h"

namespace orvex {
namespace {

// Writers whose 8-bit pictures are greyscale rather than palette images.
bool IsJpegFamily(std::string_view extension) {
    return extension == "j2k" || extension == "jp2" || extension == "jpg" || extension == "jxr";
}

Bitmap To8Bits(Bitmap image, std::string_view extension) {
    if (IsJpegFamily(extension)) {
        return ReplaceBitmap(std::move(image),
                             [](FIBITMAP* in) { return FreeImage_ConvertTo8Bits(in); });
    }
    if (FreeImage_GetBPP(image.get()) != 24) {
        image = ReplaceBy24Bits(std::move(image));
        if (!image) return image;
    }
    return ReplaceBitmap(std::move(image), [](FIBITMAP* in) {
        return FreeImage_ColorQuantizeEx(in, FIQ_WUQUANT, 256, 0, nullptr);
    });
}

Bitmap To16Bits(Bitmap image, std::string_view extension) {
    if (FreeImage_GetBPP(image.get()) > 32) {
        image = ReplaceBy24Bits(std::move(image));
        if (!image) return image;
    }
    const bool fiveFiveFive = extension == "ico" || extension == "tga";
    return ReplaceBitmap(std::move(image), [fiveFiveFive](FIBITMAP* in) {
        return fiveFiveFive ? FreeImage_ConvertTo16Bits555(in) : FreeImage_ConvertTo16Bits565(in);
    });
}

}  // namespace

Bitmap ConvertToOutputDepth(Bitmap image, int depth, std::string_view extension) {
    if (!image) return image;
    if (static_cast<int>(FreeImage_GetBPP(image.get())) == depth) return image;
    switch (depth) {
        case 96:
            return ReplaceBitmap(std::move(image),
                                 [](FIBITMAP* in) { return FreeImage_ConvertToRGBF(in); });
        case 48:
            return ReplaceBitmap(std::move(image),
                                 [](FIBITMAP* in) { return FreeImage_ConvertToRGB16(in); });
        case 32:
            return ReplaceBitmap(std::move(image),
                                 [](FIBITMAP* in) { return FreeImage_ConvertTo32Bits(in); });
        case 24:
            return ReplaceBy24Bits(std::move(image));
        case 16:
            return To16Bits(std::move(image), extension);
        case 8:
            return To8Bits(std::move(image), extension);
        case 4:
            return ReplaceBitmap(std::move(image),
                                 [](FIBITMAP* in) { return FreeImage_ConvertTo4Bits(in); });
        case 1:
            return ReplaceBitmap(std::move(image),
                                 [](FIBITMAP* in) { return FreeImage_Dither(in, FID_FS); });
        default:
            // No writer takes this depth: the file fails rather than being
            // written in a depth nobody asked for.
            return {};
    }
}

Bitmap ApplyOutputBitDepth(Bitmap image, FileContext& file) {
    if (file.AutoBitDepth != 0) {
        file.OutputBitDepth =
            ChooseAutoBitDepth(file.OutputExtension, file.SourceBitDepth);
    }
    return ConvertToOutputDepth(std::move(image), file.OutputBitDepth, file.OutputExtension);
}

}  // namespace orvex
