// The processing chain that turns one input file into one output file, in
// three parts: load the picture, process it in memory, name and save it. A
// face can run the middle part alone on a picture in memory (a preview).
#pragma once

#include <functional>
#include <string>

#include "formats/bitmap.h"
#include "run/run_checks.h"

namespace orvex {

struct ConversionSettings;
struct FileContext;
class RunOutputs;
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

// Every part of the chain answers with a Result (the picture, the encoded
// bytes) or a RunCheck (a file written): on failure its fault is FileFailed
// and its reason says why in plain words.

// Decodes file.InputPath (into the run's picture memory when `resources` are
// given); sets file.SourceBitDepth. Fails on a failed load or an empty
// picture.
Result<Bitmap> LoadChainInput(FileContext& file, const RunResources* resources = nullptr);

// Rotate, resize, tone map, flip, colours, frame, watermark and output depth.
// Sets CurrentWidth, CurrentHeight, CurrentFrame and (when automatic)
// OutputBitDepth in `file`. Fails when a step gives no picture or the
// checkpoint stops the chain. `resources` are the run's (font, watermark
// picture, picture memory); without them no text watermark can be drawn and
// an image watermark is decoded for the file.
Result<Bitmap> ProcessImage(Bitmap image, const ConversionSettings& settings, FileContext& file,
                            const RunResources* resources, const StepCheckpoint& checkpoint = {});

// Loads file.InputPath and processes it: the first two parts in a row, with
// the checkpoint after the load too.
Result<Bitmap> LoadAndProcess(const ConversionSettings& settings, FileContext& file,
                              const RunResources* resources,
                              const StepCheckpoint& checkpoint = {});

// Names the output (file.OutputPath), refuses to replace the input, creates the
// kept sub-folder and saves. Ok when the output file was written. With the
// run's `outputs`, a name an earlier file of the run wrote, or one that is
// another input of the run, fails the file (a "%rnd%" name is drawn again
// first), and a written output is recorded there.
RunCheck SaveChainOutput(Bitmap image, const ConversionSettings& settings, FileContext& file,
                         const StepCheckpoint& checkpoint = {}, RunOutputs* outputs = nullptr);

// The processed picture written into memory with the output's writer and
// flags (file.OutputFormatId, file.SaveFlags), while its file name is not
// known yet, with its gain map when file.GainMap holds one (then let go);
// the picture is let go. Fails with the writer's reason.
Result<std::string> EncodeChainOutput(Bitmap image, FileContext& file);

// SaveChainOutput for a picture written ahead by EncodeChainOutput: the same
// naming and checks in the same order, then the bytes into the file (or the
// writer's reason when it failed).
RunCheck SaveEncodedChainOutput(const Result<std::string>& output,
                                const ConversionSettings& settings, FileContext& file,
                                const StepCheckpoint& checkpoint = {},
                                RunOutputs* outputs = nullptr);

// The three parts in a row for file.InputPath.
RunCheck ConvertCurrentFile(const ConversionSettings& settings, FileContext& file,
                            const RunResources* resources, const StepCheckpoint& checkpoint = {},
                            RunOutputs* outputs = nullptr);

}  // namespace orvex
