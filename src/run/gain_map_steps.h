// The gain map's part in a run: the options it refuses, what the tone mapping
// keeps of the HDR picture for it, the drawing steps that must not glow, and
// the JPEG written with it.
#pragma once

#include <FreeImage.h>

#include <string>
#include <string_view>

#include "formats/bitmap.h"
#include "imaging/drago_operator.h"
#include "run/run_checks.h"

namespace orvex {

struct ConversionSettings;
struct FileContext;
struct StepInput;

// Whether the file is written with a gain map: the option is on and the
// output is JPEG.
bool GainMapWanted(const ConversionSettings& settings, const FileContext& file);

// Before any work, for a JPEG output with the gain map on: a scale other than
// 1, 2 or 4, and threshold, dither or invert (whose base no longer shows the
// scene the map describes) are refused.
RunCheck CheckGainMapOptions(const ConversionSettings& settings, std::string_view outputExtension);

// Called by the tone mapping with the HDR picture it is about to map and the
// operator's controls: when the file wants a gain map, measures the
// operator's statistics once (into `controls`, so the picture is mapped with
// the very same numbers) and keeps the map's source in file.GainMap, or a
// remark in file.GainMapNote when the scene has no highlights to keep. False
// with `reason` when memory runs out.
bool KeepHdrForGainMap(FIBITMAP* hdr, const ConversionSettings& settings, FileContext& file,
                       DragoControls& controls, std::string* reason);

// Runs a drawing step (frame or watermark) and keeps every pixel it changed
// at the base's brightness in the gain map.
Bitmap DrawKeepingGainMap(Bitmap image, StepInput& input,
                          Bitmap (*draw)(Bitmap image, StepInput& input));

// The JPEG of `image` with its gain map, when file.GainMap holds a source
// (which is let go); fails with the reason when the map or either picture
// cannot be made.
Result<std::string> EncodeWithGainMap(Bitmap image, FileContext& file);

}  // namespace orvex
