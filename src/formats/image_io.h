// Reading Radiance HDR input and writing output files through FreeImage,
// always over handles on files the program opened itself.
#pragma once

#include <FreeImage.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "formats/bitmap.h"

namespace orvex {

// Decodes `path` with the Radiance HDR reader whatever its extension. The
// header is checked first; an unsafe or impossible header, a failed decode
// or a zero dimension gives a null bitmap and a reason in `failureReason`. The
// returned bitmap is the right way up for every Radiance orientation; its
// memory comes from `pixels` when given.
Bitmap LoadInputImage(const std::string& path, std::string* failureReason = nullptr,
                      const std::shared_ptr<PixelPool>& pixels = nullptr);

// What a reduced load gives besides the picture.
struct ReducedLoad {
    uint32_t factor = 1;     // full size / reduced size
    uint32_t fullWidth = 0;  // the picture's own size
    uint32_t fullHeight = 0;
    float lowestLuminance = 0;  // over every pixel of the picture
    float highestLuminance = 0;
};

// Decodes `path` reduced by the smallest whole factor that brings its longer
// side to at most `longestSide`, straight from the file (see
// DecodeRadianceFileReduced). Null with a reason when the file cannot be
// loaded; null without one when it is better loaded whole (no reduction
// needed, or a layout the reduced decode does not take).
Bitmap LoadReducedInputImage(const std::string& path, uint32_t longestSide, ReducedLoad* load,
                             std::string* failureReason = nullptr);

// Writes `image` with writer `formatId` and `flags` into a temporary file in
// the target's folder and renames it over `path` only when the writer
// succeeded. The image stays the caller's.
bool SaveImage(FIBITMAP* image, const std::string& path, int formatId, int flags,
               std::string* failureReason = nullptr);

// The file writer `formatId` makes of `image` with `flags`, written into
// memory (`bytes`) instead of a file, so that a picture can be written before
// its file name is known. False with the writer's reason, as SaveImage gives.
bool EncodeImage(FIBITMAP* image, int formatId, int flags, std::string* bytes,
                 std::string* failureReason = nullptr);

// Writes `bytes` (from EncodeImage) as the file `path` the way SaveImage
// writes a picture: complete or not at all.
bool SaveEncoded(std::string_view bytes, const std::string& path,
                 std::string* failureReason = nullptr);

// True when `a` and `b` name the same file: the same device and inode when
// both exist, otherwise the same normalised absolute path (symbolic links in
// the existing part of the paths resolved).
bool IsSameFile(const std::string& a, const std::string& b);

// While alive, FreeImage's messages on this thread go to `sink` (for the
// current file's debug output); without a scope they are dropped.
class FreeImageMessageScope {
public:
    explicit FreeImageMessageScope(std::function<void(const std::string&)> sink);
    ~FreeImageMessageScope();
    FreeImageMessageScope(const FreeImageMessageScope&) = delete;
    FreeImageMessageScope& operator=(const FreeImageMessageScope&) = delete;

private:
    std::function<void(const std::string&)> m_previous;
};

}  // namespace orvex
