// The gain map in the chain. The tone mapping measures the map's source on
// the HDR picture (after rotation and resizing, mirrored as the flip will
// mirror the base), the frame and the watermark clear what they cover, and
// the save makes the map from the final picture and joins both JPEGs.
#include "run/gain_map_steps.h"

#include "formats/gain_map_container.h"
#include "formats/image_io.h"
#include "imaging/gain_map.h"
#include "run/chain_steps.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "settings/option_fields.h"
#include "settings/setting_ranges.h"

namespace orvex {

bool GainMapWanted(const ConversionSettings& settings, const FileContext& file) {
    return settings.JpgGainMap != 0 && file.OutputFormatId == FIF_JPEG;
}

RunCheck CheckGainMapOptions(const ConversionSettings& s, std::string_view outputExtension) {
    if (outputExtension != "jpg" || s.JpgGainMap == 0) return {};
    const int32_t scale = s.JpgGainMapScale;
    if (scale != 1 && scale != 2 && scale != 4) {
        const OptionField* row = FindOptionField(&ConversionSettings::JpgGainMapScale);
        return RunCheck(RunFault::InvalidValue,
                        (row ? SettingName(*row) : std::string("--gain-map-scale")) + ": " +
                            std::to_string(scale) + " (accepted: 1, 2 or 4)");
    }
    if (s.DoImageThreshold != 0) return RunCheck(RunFault::GainMapConflict, "threshold");
    if (s.DoImageDither != 0) return RunCheck(RunFault::GainMapConflict, "dither");
    if (s.DoImageColorCorrection != 0 && s.ImageInvert != 0)
        return RunCheck(RunFault::GainMapConflict, "invert");
    return {};
}

bool KeepHdrForGainMap(FIBITMAP* hdr, const ConversionSettings& settings, FileContext& file,
                       DragoControls& controls, std::string* reason) {
    file.GainMap.reset();
    file.GainMapNote.clear();
    // Only a picture the tone mapping maps has a range to keep.
    if (!GainMapWanted(settings, file) || !hdr || FreeImage_GetBPP(hdr) <= 32) return true;
    const auto outOfMemory = [reason] {
        if (reason) *reason = "Not enough memory for the gain map";
        return false;
    };
    if (!controls.statistics) {
        controls.statistics = MeasureDragoStatistics(hdr);
        if (!controls.statistics) return true;  // the tone mapping fails the file itself
    }
    Bitmap copy;
    FIBITMAP* rgbf = hdr;
    if (FreeImage_GetImageType(hdr) != FIT_RGBF) {
        copy = AdoptBitmap(FreeImage_ConvertToRGBF(hdr));
        if (!copy) return outOfMemory();
        rgbf = copy.get();
    }
    GainMapControls wanted;
    wanted.headroom = settings.JpgGainMapHeadroom;
    wanted.scale = settings.JpgGainMapScale;
    wanted.quality = settings.JpgGainMapQuality;
    std::shared_ptr<GainMapSource> source =
        MeasureGainMapSource(rgbf, *controls.statistics, controls, wanted,
                             settings.DoImageFlipHorizontal != 0, settings.DoImageFlipVertical != 0);
    if (!source) return outOfMemory();
    if (source->headroom <= 0) {
        // An ordinary JPEG: a map of ones would change nothing on any screen.
        file.GainMapNote = "Gain Map: none (the picture has no highlights above what the base shows)";
        return true;
    }
    file.GainMap = std::move(source);
    return true;
}

Bitmap DrawKeepingGainMap(Bitmap image, StepInput& input,
                          Bitmap (*draw)(Bitmap image, StepInput& input)) {
    if (!input.file.GainMap) return draw(std::move(image), input);
    // The picture as it was, to find what the drawing changed.
    Bitmap before = AdoptBitmap(FreeImage_ConvertTo24Bits(image.get()));
    if (!before) {
        input.reason = "Not enough memory for the gain map";
        return {};
    }
    Bitmap after = draw(std::move(image), input);
    if (after && !MarkCoveredPixels(*input.file.GainMap, before.get(), after.get())) {
        input.reason = "The gain map could not tell what was drawn over the picture";
        return {};
    }
    return after;
}

Result<std::string> EncodeWithGainMap(Bitmap image, FileContext& file) {
    const std::shared_ptr<GainMapSource> source = std::move(file.GainMap);
    file.GainMap.reset();
    if (!source) return FileFailure("No gain map to write");
    GainMapMetadata metadata;
    std::string reason;
    Bitmap map = MakeGainMap(*source, image.get(), &metadata, &reason);
    if (!map) return FileFailure("The gain map could not be made: " + reason);
    std::string primary;
    if (!EncodeImage(image.get(), FIF_JPEG, file.SaveFlags, &primary, &reason))
        return FileFailure(reason.empty() ? "The file could not be saved" : reason);
    image.reset();
    // The map: one grey channel, bare baseline with optimised tables.
    std::string mapBytes;
    const int mapFlags = source->controls.quality | JPEG_OPTIMIZE | JPEG_BASELINE;
    if (!EncodeImage(map.get(), FIF_JPEG, mapFlags, &mapBytes, &reason))
        return FileFailure("The gain map could not be written: " + reason);
    map.reset();
    std::string joined;
    if (!JoinGainMapJpeg(primary, mapBytes, metadata, &joined, &reason))
        return FileFailure("The gain map could not be written: " + reason);
    return joined;
}

}  // namespace orvex
