// The processing chain that turns one input file into one output file, in
// three parts: load the picture, process it in memory, name and save it. A
// face can run the middle part alone on a picture in memory (a preview).
#pragma once

#include <functional>
#include <string>

#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;
struct FileContext;
class RunResources;

// The steps of the chain in their fixed order.
enum class ChainStep {
    Load, Rotate, Resize, Normalise, ToneMap, Flip, ColourCorrection, Greyscale, Threshold,
    Dither, Frame, Watermark, BitDepth, Name, Save,
};

// A step's name for reasons and reports ("tone mapping").
const char* ChainStepName(ChainStep step);

// Called after each step; returning false stops the chain there (the run was
// stopped), and nothing of the file is written. May hold still while the
// worker is held.
using StepCheckpoint = std::function<bool(ChainStep done)>;

// Why a file failed when its run was stopped.
inline constexpr const char* kStoppedReason = "The conversion was stopped";

// Decodes file.InputPath (into the run's picture memory when `resources` are
// given); sets file.SourceBitDepth. Null with `failureReason` on a failed
// load or an empty picture.
Bitmap LoadChainInput(FileContext& file, std::string* failureReason = nullptr,
                      const RunResources* resources = nullptr);

// Rotate, resize, tone map, flip, colours, frame, watermark and output depth.
// Sets CurrentWidth, CurrentHeight, CurrentFrame and (when automatic)
// OutputBitDepth in `file`. Null with `failureReason` when a step fails or the
// checkpoint stops the chain. `resources` are the run's (font, watermark
// picture, picture memory); without them no text watermark can be drawn and
// an image watermark is decoded for the file.
Bitmap ProcessImage(Bitmap image, const ConversionSettings& settings, FileContext& file,
                    const RunResources* resources, const StepCheckpoint& checkpoint = {},
                    std::string* failureReason = nullptr);

// Loads file.InputPath and processes it: the first two parts in a row, with
// the checkpoint after the load too.
Bitmap LoadAndProcess(const ConversionSettings& settings, FileContext& file,
                      const RunResources* resources, const StepCheckpoint& checkpoint = {},
                      std::string* failureReason = nullptr);

// Names the output (file.OutputPath), refuses to replace the input, creates the
// kept sub-folder and saves. True when the output file was written.
bool SaveChainOutput(Bitmap image, const ConversionSettings& settings, FileContext& file,
                     const StepCheckpoint& checkpoint = {}, std::string* failureReason = nullptr);

// A processed picture already written by its writer into memory, while its
// file name is not known yet: `written` false holds the writer's reason.
struct EncodedOutput {
    bool written = false;
    std::string bytes;
    std::string reason;
};

// Writes the processed picture into memory with the output's writer and
// flags (file.OutputFormatId, file.SaveFlags); the picture is let go.
EncodedOutput EncodeChainOutput(Bitmap image, const FileContext& file);

// SaveChainOutput for a picture written ahead by EncodeChainOutput: the same
// naming and checks in the same order, then the bytes into the file (or the
// writer's reason when it failed).
bool SaveEncodedChainOutput(const EncodedOutput& output, const ConversionSettings& settings,
                            FileContext& file, const StepCheckpoint& checkpoint = {},
                            std::string* failureReason = nullptr);

// The three parts in a row for file.InputPath.
bool ConvertCurrentFile(const ConversionSettings& settings, FileContext& file,
                        const RunResources* resources, const StepCheckpoint& checkpoint = {},
                        std::string* failureReason = nullptr);

}  // namespace orvex
