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

FIBITMAP* To8Bits(FIBITMAP* image, std::string_view extension) {
    if (IsJpegFamily(extension)) return ReplaceBitmap(image, FreeImage_ConvertTo8Bits(image));
    if (FreeImage_GetBPP(image) != 24) {
        image = ReplaceBy24Bits(image);
        if (!image) return nullptr;
    }
    return ReplaceBitmap(image, FreeImage_ColorQuantizeEx(image, FIQ_WUQUANT, 256, 0, nullptr));
}

FIBITMAP* To16Bits(FIBITMAP* image, std::string_view extension) {
    if (FreeImage_GetBPP(image) > 32) {
        image = ReplaceBy24Bits(image);
        if (!image) return nullptr;
    }
    const bool fiveFiveFive = extension == "ico" || extension == "tga";
    return ReplaceBitmap(image, fiveFiveFive ? FreeImage_ConvertTo16Bits555(image)
                                             : FreeImage_ConvertTo16Bits565(image));
}

}  // namespace

FIBITMAP* ConvertToOutputDepth(FIBITMAP* image, int depth, std::string_view extension) {
    if (!image) return nullptr;
    if (static_cast<int>(FreeImage_GetBPP(image)) == depth) return image;
    switch (depth) {
        case 96:
            return ReplaceBitmap(image, FreeImage_ConvertToRGBF(image));
        case 48:
            return ReplaceBitmap(image, FreeImage_ConvertToRGB16(image));
        case 32:
            return ReplaceBitmap(image, FreeImage_ConvertTo32Bits(image));
        case 24:
            return ReplaceBy24Bits(image);
        case 16:
            return To16Bits(image, extension);
        case 8:
            return To8Bits(image, extension);
        case 4:
            return ReplaceBitmap(image, FreeImage_ConvertTo4Bits(image));
        case 1:
            return ReplaceBitmap(image, FreeImage_Dither(image, FID_FS));
        default:
            // No writer takes this depth: the file fails rather than being
            // written in a depth nobody asked for.
            FreeImage_Unload(image);
            return nullptr;
    }
}

FIBITMAP* ApplyOutputBitDepth(FIBITMAP* image, FileContext& file) {
    if (file.AutoBitDepth != 0) {
        file.OutputBitDepth =
            ChooseAutoBitDepth(file.OutputExtension, file.SourceBitDepth);
    }
    return ConvertToOutputDepth(image, file.OutputBitDepth, file.OutputExtension);
}

}  // namespace orvex
