// The one record of every conversion option and the interface preferences
// stored beside it, with its built-in defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvex {

// Seconds since 1970-01-01 00:00:00 of the local calendar clock (no zone).
using Date = int64_t;

struct ConversionSettings {
    // General
    int32_t Cfg = 19;
    std::string Language = "en";
    int32_t UpdateRange = 2;
    Date UpdateDate = 0;
    int8_t SaveWindowPosition = 1;

    // Window
    int8_t IsMaximized = 0;
    int32_t X = 100;
    int32_t Y = 100;
    int32_t Width = 510;
    int32_t Height = 260;

    // Interface
    std::string UiTheme = "handdrawn";
    int32_t UiSize = 2;

    // Input
    std::string InputFormat = "hdr";
    int32_t DdsLoadAs = 0;
    int32_t GifFrameLoading = 0;
    int32_t IcoFrameLoading = 0;
    int32_t TiffFrameLoading = 0;
    int32_t PsdColorMode = 0;
    int32_t RawLoadAs = 0;
    int32_t RawHeaderSize = 0;
    int32_t RawImageWidth = 0;
    int32_t RawImageHeight = 0;
    int32_t RawToneMapping = 2;

    // Output
    std::string OutputFormat = "jpg";
    int32_t BmpBpp = 0;
    int32_t BmpCompression = 0;
    int32_t BmpColorTable = 0;
    int32_t DdsBpp = 0;
    int32_t ExrBpp = 0;
    int32_t ExrCompression = 0;
    int32_t GifBpp = 0;
    int32_t HdrBpp = 0;
    int32_t IcoBpp = 0;
    int32_t J2kBpp = 0;
    int32_t JngBpp = 0;
    int32_t Jp2Bpp = 0;
    int32_t JpgBpp = 0;
    int32_t JpgQuality = 95;
    int32_t JpgChroma = 0;
    int32_t JpgSaveAs = 0;
    // The gain map that keeps the HDR in a JPEG: off by default; its
    // headroom in stops, its scale (1, 2 or 4: full, half, quarter size) and
    // its JPEG quality.
    int8_t JpgGainMap = 0;
    float JpgGainMapHeadroom = 3.0f;
    int32_t JpgGainMapScale = 1;
    int32_t JpgGainMapQuality = 70;
    int32_t JxrBpp = 0;
    int32_t PbmBpp = 0;
    int32_t PcxBpp = 0;
    int32_t PfmBpp = 0;
    int32_t PgmBpp = 0;
    int32_t PngBpp = 0;
    int32_t PngCompression = 0;
    int8_t PngInterlaced = 0;
    int32_t PpmBpp = 0;
    int32_t PsdBpp = 0;
    int32_t TgaBpp = 0;
    int32_t TgaCompression = 0;
    int32_t TiffBpp = 0;
    int32_t TiffCompression = 0;
    int32_t TiffColorMode = 0;
    int32_t WbmpBpp = 0;
    int32_t WebpBpp = 0;
    int32_t WebpQuality = 100;
    int32_t XpmBpp = 0;

    // Transform
    int8_t DoImageRotation = 0;
    int8_t ImageRotationType = 0;
    int32_t ImageRotation = 0;
    std::string ImageRotationBackColor = "000000";
    int8_t DoImageResize = 0;
    int32_t ImageWidth = 0;
    int8_t ImageWidthUnit = 0;
    int32_t ImageHeight = 0;
    int8_t ImageHeightUnit = 0;
    int8_t KeepAspectRatio = 1;
    int8_t ImageResizeType = 0;
    int8_t ImageResizeAlgorithm = 3;
    int8_t DoImageFlipHorizontal = 0;
    int8_t DoImageFlipVertical = 0;

    // Tone mapping (the Drago operator's controls; the defaults map as always)
    float DragoExposure = 0.0f;
    float DragoBias = 0.85f;
    float DragoGamma = 1.0f;
    float DragoSaturation = 1.0f;

    // Adjustment
    int8_t DoImageColorCorrection = 0;
    int32_t ImageBrightness = 0;
    int32_t ImageContrast = 0;
    float ImageGamma = 1.0f;
    int8_t ImageInvert = 0;
    int8_t DoImageGreyscale = 0;
    int8_t DoImageThreshold = 0;
    int32_t ImageThreshold = 0;
    int8_t DoImageDither = 0;
    int8_t ImageDitherAlgorithm = 0;

    // Frame
    int8_t DoFrame = 0;
    int32_t SolidLeft = 0;
    int32_t SolidRight = 0;
    int32_t SolidTop = 0;
    int32_t SolidBottom = 0;
    std::string SolidLeftColor = "000000";
    std::string SolidRightColor = "000000";
    std::string SolidTopColor = "000000";
    std::string SolidBottomColor = "000000";
    int32_t SolidOpacity = 255;

    // Watermark
    int8_t DoWatermark = 0;
    std::string Text;
    std::string Fonts = "Arial,Tahoma,Verdana";
    std::string Font = "Arial";
    int32_t FontSize = 14;
    int32_t FontLeading = 0;
    std::string FontColors = "000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF";
    std::string FontColor = "FFFFFF";
    int8_t FontStyle = 0;
    int8_t FontEffect = 0;
    int8_t TextAntialiasing = 0;
    int8_t TextAlignment = 0;
    int32_t TextPadding = 0;
    int32_t TextOpacity = 255;
    std::string BackColors = "000000,FFFFFF,FF0000,FF8000,FFFF00,008000,00FFFF,0000FF,8000FF";
    std::string BackColor = "000000";
    int32_t BackOpacity = 1;
    int8_t TextBoundary = 0;
    int8_t TextPosition = 8;
    int32_t TextXOffset = 10;
    int32_t TextYOffset = 10;
    int32_t TextRotation = 0;
    int8_t TextSize = 0;
    int32_t TextScale = 10;
    std::string Image;
    int8_t ImageGreyscale = 0;
    int32_t ImageOpacity = 255;
    int8_t ImageBoundary = 0;
    int8_t ImagePosition = 8;
    int32_t ImageXOffset = 10;
    int32_t ImageYOffset = 10;
    int32_t WatermarkImageRotation = 0;
    int8_t ImageSize = 0;
    int32_t ImageScale = 10;

    // Advanced
    std::string FilenameMask = "%filename%.%ext%";
    int8_t FileTimestamp = 0;
    Date CustomTimestamp = 0;
    int8_t OutFoldersHistory = 1;
    int8_t OutFoldersNumber = 5;
    int8_t KeepSubfolders = 1;

    // File
    std::string RecentOutFolders;
    std::string RecentFiles;

    // Privacy
    int8_t CleanRecentFiles = 0;
};

// Size of the primary desktop in pixels, used to centre the main window.
struct DesktopSize {
    int32_t width = 0;
    int32_t height = 0;
};

// Default main-window size the centred position is computed from.
inline constexpr int32_t kDefaultWindowWidth = 510;
inline constexpr int32_t kDefaultWindowHeight = 260;

// The current moment as a local calendar Date (time() plus the local UTC offset).
Date CurrentLocalDate();

// Sets every field to its default. consoleMode decides KeepAspectRatio only
// (0 on the console, 1 on the desktop). X and Y are centred on the desktop
// when one is given and is larger than the default window, otherwise 100.
void ResetSettingsToDefaults(ConversionSettings& settings, bool consoleMode,
                             std::optional<DesktopSize> desktop = std::nullopt);

}  // namespace orvex
