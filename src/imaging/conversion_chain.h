// The processing chain that turns one input file into one output file.
#pragma once

#include <functional>
#include <string>

namespace orvex {

struct ConversionSettings;
struct ProjectState;
class WatermarkFont;

// Runs the chain for project.InputPath: load, rotate, resize, normalise, tone
// map, flip, colour correction, greyscale, threshold, dither, frame,
// watermark, output depth, name and save. Writes SourceBitDepth,
// CurrentWidth, CurrentHeight, CurrentFrame, OutputBitDepth (when automatic)
// and OutputPath into `project`. `checkpoint` (may be empty) is called
// between the steps so that a paused worker holds still there. Returns true
// when the output file was written; otherwise `failureReason` (optional)
// says why.
bool ConvertCurrentFile(const ConversionSettings& settings, ProjectState& project,
                        const WatermarkFont* font, const std::function<void()>& checkpoint,
                        std::string* failureReason = nullptr);

}  // namespace orvex
