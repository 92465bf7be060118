// The preview's reduced copy, the settings that shrink the chain's sizes with
// it, and the renders through the chain.
#include "run/preview_render.h"

#include <FreeImage.h>
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "formats/image_io.h"
#include "imaging/resize.h"
#include "imaging/rotate.h"
#include "run/conversion_chain.h"
#include "run/run_resources.h"
#include "settings/file_context.h"

namespace orvex {
namespace {

int WidthOf(FIBITMAP* image) { return static_cast<int>(FreeImage_GetWidth(image)); }
int HeightOf(FIBITMAP* image) { return static_cast<int>(FreeImage_GetHeight(image)); }

// The channels of a pixel of the deep types the loader gives, as floats.
int ChannelsOf(FREE_IMAGE_TYPE type) {
    switch (type) {
        case FIT_RGBF:
            return 3;
        case FIT_RGBAF:
            return 4;
        default:
            return 0;
    }
}

float Luminance(const float* pixel) {
    return 0.2126f * pixel[0] + 0.7152f * pixel[1] + 0.0722f * pixel[2];
}

// Each reduced pixel is the mean of a factor x factor block of the picture
// (the last partial blocks are left out); the luminance range is taken over
// every pixel. Float pictures only.
Bitmap ReduceFloat(FIBITMAP* image, int factor, float* lowest, float* highest) {
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(image);
    const int channels = ChannelsOf(type);
    const int width = WidthOf(image), height = HeightOf(image);
    const int reducedWidth = std::max(1, width / factor);
    const int reducedHeight = std::max(1, height / factor);
    Bitmap reduced = AdoptBitmap(FreeImage_AllocateT(type, reducedWidth, reducedHeight));
    if (!reduced) return reduced;
    std::vector<float> rowLowest(static_cast<size_t>(reducedHeight), FLT_MAX);
    std::vector<float> rowHighest(static_cast<size_t>(reducedHeight), 0.0f);
    tbb::parallel_for(
        tbb::blocked_range<int>(0, reducedHeight), [&](const tbb::blocked_range<int>& rows) {
            std::vector<double> sums(static_cast<size_t>(reducedWidth * channels));
            for (int ry = rows.begin(); ry != rows.end(); ++ry) {
                std::fill(sums.begin(), sums.end(), 0.0);
                float low = FLT_MAX, high = 0.0f;
                for (int dy = 0; dy < factor; ++dy) {
                    const int y = std::min(height - 1, ry * factor + dy);
                    const auto* row =
                        reinterpret_cast<const float*>(FreeImage_GetScanLine(image, y));
                    for (int rx = 0; rx < reducedWidth; ++rx) {
                        for (int dx = 0; dx < factor; ++dx) {
                            const float* pixel = row + static_cast<ptrdiff_t>(
                                                           std::min(width - 1, rx * factor + dx)) *
                                                           channels;
                            if (!std::isfinite(pixel[0]) || !std::isfinite(pixel[1]) ||
                                !std::isfinite(pixel[2]))
                                continue;
                            const float y = Luminance(pixel);
                            low = std::min(low, y);
                            high = std::max(high, y);
                            for (int c = 0; c < channels; ++c)
                                sums[static_cast<size_t>(rx * channels + c)] += pixel[c];
                        }
                    }
                }
                auto* out = reinterpret_cast<float*>(FreeImage_GetScanLine(reduced.get(), ry));
                const double area = double(factor) * factor;
                for (size_t i = 0; i < sums.size(); ++i)
                    out[i] = static_cast<float>(sums[i] / area);
                rowLowest[static_cast<size_t>(ry)] = low;
                rowHighest[static_cast<size_t>(ry)] = high;
            }
        });
    *lowest = *std::min_element(rowLowest.begin(), rowLowest.end());
    *highest = *std::max_element(rowHighest.begin(), rowHighest.end());
    if (*lowest > *highest) *lowest = *highest = 0;  // nothing finite
    return reduced;
}

// A length in pixels of the full picture on the reduced one; a length that
// was there stays at least one pixel.
int32_t Shrunk(int32_t length, int factor) {
    if (length == 0) return 0;
    const auto value = static_cast<int32_t>(std::lround(static_cast<double>(length) / factor));
    return length > 0 ? std::max(value, 1) : std::min(value, -1);
}

}  // namespace

Result<std::shared_ptr<const PreviewSource>> LoadPreviewSource(const std::string& path,
                                                               int longestSide) {
    // Most pictures are reduced straight from the file, without the whole
    // picture ever being held.
    ReducedLoad load;
    std::string reason;
    Bitmap direct = LoadReducedInputImage(path, static_cast<uint32_t>(std::max(1, longestSide)),
                                          &load, &reason);
    if (!direct && !reason.empty()) return FileFailure(reason);
    if (direct) {
        auto source = std::make_shared<PreviewSource>();
        source->path = path;
        source->fullWidth = static_cast<int>(load.fullWidth);
        source->fullHeight = static_cast<int>(load.fullHeight);
        source->factor = static_cast<int>(load.factor);
        source->sourceBitDepth = static_cast<int32_t>(FreeImage_GetBPP(direct.get()));
        source->lowestLuminance = load.lowestLuminance;
        source->highestLuminance = load.highestLuminance;
        source->reduced = std::move(direct);
        return std::shared_ptr<const PreviewSource>(std::move(source));
    }
    FileContext file;
    file.InputPath = path;
    Result<Bitmap> loaded = LoadChainInput(file, nullptr);
    if (!loaded.ok()) return loaded.fault();
    FIBITMAP* image = loaded.value().get();
    auto source = std::make_shared<PreviewSource>();
    source->path = path;
    source->fullWidth = WidthOf(image);
    source->fullHeight = HeightOf(image);
    source->sourceBitDepth = file.SourceBitDepth;
    const int longer = std::max(source->fullWidth, source->fullHeight);
    source->factor =
        std::max(1, (longer + std::max(1, longestSide) - 1) / std::max(1, longestSide));
    if (ChannelsOf(FreeImage_GetImageType(image)) == 0) {
        // Not a floating-point colour picture: shrunk by the library, no range.
        source->reduced = source->factor == 1
                              ? std::move(loaded.value())
                              : AdoptBitmap(FreeImage_Rescale(
                                    image, std::max(1, source->fullWidth / source->factor),
                                    std::max(1, source->fullHeight / source->factor), FILTER_BOX));
    } else {
        source->reduced =
            ReduceFloat(image, source->factor, &source->lowestLuminance, &source->highestLuminance);
    }
    if (!source->reduced) return FileFailure("Not enough memory for the preview");
    return std::shared_ptr<const PreviewSource>(std::move(source));
}

PreviewPixels PixelsOf(FIBITMAP* image) {
    PreviewPixels pixels;
    if (image == nullptr) return pixels;
    Bitmap wide = AdoptBitmap(FreeImage_ConvertTo32Bits(image));
    if (!wide) return pixels;
    pixels.width = WidthOf(wide.get());
    pixels.height = HeightOf(wide.get());
    pixels.argb.resize(static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height));
    for (int y = 0; y < pixels.height; ++y) {
        // The library keeps the bottom row first.
        const BYTE* row = FreeImage_GetScanLine(wide.get(), pixels.height - 1 - y);
        uint32_t* out =
            pixels.argb.data() + static_cast<size_t>(y) * static_cast<size_t>(pixels.width);
        for (int x = 0; x < pixels.width; ++x, row += 4) {
            out[x] = 0xFF000000u | (uint32_t{row[FI_RGBA_RED]} << 16) |
                     (uint32_t{row[FI_RGBA_GREEN]} << 8) | row[FI_RGBA_BLUE];
        }
    }
    return pixels;
}

ConversionSettings ReducedSettings(const ConversionSettings& settings, int factor, int rotatedWidth,
                                   int rotatedHeight, int* outputWidth, int* outputHeight) {
    const std::optional<PixelSize> target = ResizeTarget(rotatedWidth, rotatedHeight, settings);
    *outputWidth = target ? target->width : rotatedWidth;
    *outputHeight = target ? target->height : rotatedHeight;
    if (factor <= 1) return settings;
    ConversionSettings reduced = settings;
    // The resize step aims at the full picture's target, shrunk, in pixels.
    if (target) {
        reduced.ImageWidth = Shrunk(target->width, factor);
        reduced.ImageHeight = Shrunk(target->height, factor);
        reduced.ImageWidthUnit = 0;
        reduced.ImageHeightUnit = 0;
        reduced.KeepAspectRatio = 0;
        reduced.ImageResizeType = 0;
    } else {
        reduced.DoImageResize = 0;
    }
    for (int32_t ConversionSettings::*length :
         {&ConversionSettings::SolidLeft, &ConversionSettings::SolidRight,
          &ConversionSettings::SolidTop, &ConversionSettings::SolidBottom,
          &ConversionSettings::FontSize, &ConversionSettings::FontLeading,
          &ConversionSettings::TextPadding, &ConversionSettings::TextXOffset,
          &ConversionSettings::TextYOffset, &ConversionSettings::ImageXOffset,
          &ConversionSettings::ImageYOffset}) {
        reduced.*length = Shrunk(settings.*length, factor);
    }
    return reduced;
}

Result<PreviewResult> RenderPreview(const PreviewSource& source, const ConversionSettings& settings,
                                    FileContext file, RunResources& resources,
                                    const PreviewGoOn& goOn) {
    Bitmap image = AdoptBitmap(FreeImage_Clone(source.reduced.get()));
    if (!image) return FileFailure("Not enough memory for the preview");
    // The full picture's size after rotation, for the resize target and the
    // placeholders the watermark shows.
    int rotatedWidth = source.fullWidth, rotatedHeight = source.fullHeight;
    if (settings.DoImageRotation != 0 && source.factor > 1) {
        Bitmap turned = RotateImage(AdoptBitmap(FreeImage_Clone(image.get())), settings);
        if (turned) {
            rotatedWidth = WidthOf(turned.get()) * source.factor;
            rotatedHeight = HeightOf(turned.get()) * source.factor;
        }
    }
    PreviewResult result;
    const ConversionSettings reduced =
        ReducedSettings(settings, source.factor, rotatedWidth, rotatedHeight, &result.outputWidth,
                        &result.outputHeight);
    file.InputPath = source.path;
    file.SourceBitDepth = source.sourceBitDepth;
    const bool shrunk = source.factor > 1;
    const StepCheckpoint checkpoint = [&](ChainStep done) {
        // The placeholders show the size of the picture Convert would save.
        if (done == ChainStep::Resize && shrunk) {
            file.CurrentWidth = result.outputWidth;
            file.CurrentHeight = result.outputHeight;
        }
        return !goOn || goOn();
    };
    Result<Bitmap> processed = FileFailure(kStoppedReason);
    // The parallel loops of the steps stay inside the preview's own arena.
    resources.Run(
        [&] { processed = ProcessImage(std::move(image), reduced, file, &resources, checkpoint); });
    if (!processed.ok()) return processed.fault();
    result.picture = PixelsOf(processed.value().get());
    if (!shrunk) {
        result.outputWidth = result.picture.width;
        result.outputHeight = result.picture.height;
    }
    return result;
}

Result<PreviewResult> RenderFullSize(const std::string& path, const ConversionSettings& settings,
                                     FileContext file, RunResources& resources,
                                     const PreviewGoOn& goOn) {
    file.InputPath = path;
    const StepCheckpoint checkpoint = [&](ChainStep) { return !goOn || goOn(); };
    Result<Bitmap> processed = FileFailure(kStoppedReason);
    resources.Run([&] { processed = LoadAndProcess(settings, file, &resources, checkpoint); });
    if (!processed.ok()) return processed.fault();
    PreviewResult result;
    result.picture = PixelsOf(processed.value().get());
    result.outputWidth = result.picture.width;
    result.outputHeight = result.picture.height;
    return result;
}

PreviewPixels BeforePixels(const PreviewSource& source, double exposureStops) {
    FIBITMAP* image = source.reduced.get();
    const int channels = ChannelsOf(FreeImage_GetImageType(image));
    if (channels == 0) return PixelsOf(image);
    PreviewPixels pixels;
    pixels.width = WidthOf(image);
    pixels.height = HeightOf(image);
    pixels.argb.resize(static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height));
    const auto gain = static_cast<float>(std::pow(2.0, exposureStops));
    const auto level = [gain](float v) {
        const float scaled = v * gain;
        if (!(scaled > 0)) return uint32_t{0};
        return scaled >= 1 ? uint32_t{255} : static_cast<uint32_t>(scaled * 255.0f + 0.5f);
    };
    for (int y = 0; y < pixels.height; ++y) {
        const auto* row =
            reinterpret_cast<const float*>(FreeImage_GetScanLine(image, pixels.height - 1 - y));
        uint32_t* out =
            pixels.argb.data() + static_cast<size_t>(y) * static_cast<size_t>(pixels.width);
        for (int x = 0; x < pixels.width; ++x, row += channels)
            out[x] = 0xFF000000u | (level(row[0]) << 16) | (level(row[1]) << 8) | level(row[2]);
    }
    return pixels;
}

}  // namespace orvex
