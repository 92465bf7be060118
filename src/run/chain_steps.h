// The chain's steps as one table, in their fixed order: each row names its
// step, says when it acts, does its work on the picture and reports and
// checks its options. The chain, the step names, the report's order and the
// run's checks all walk this table, so a new step is one row and the file
// that holds its work.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formats/bitmap.h"
#include "run/conversion_chain.h"
#include "run/run_checks.h"

namespace orvex {

struct ConversionSettings;
struct FileContext;
class RunResources;
class WatermarkFont;

// What a step works with besides the picture.
struct StepInput {
    const ConversionSettings& settings;
    FileContext& file;
    const RunResources* resources = nullptr;
    // The picture's size after resizing, which the frame, the watermark and
    // the placeholders use; set by the resize step.
    int width = 0;
    int height = 0;
    std::string reason;  // a step's own reason for giving no picture
};

struct ChainStepRow {
    ChainStep step;
    const char* name;  // in reasons and reports: "tone mapping"
    // Whether the step changes anything with these settings; null: always.
    bool (*isOn)(const ConversionSettings& settings) = nullptr;
    // The picture that replaces `image`, or null (with input.reason when the
    // step knows better than "no image"). Null for the steps around the
    // picture (load, name, save).
    Bitmap (*apply)(Bitmap image, StepInput& input) = nullptr;
    // The report lines of the step's options and their checks; a text
    // watermark's font is loaded into `font`. Null: the step has none.
    RunCheck (*report)(const ConversionSettings& settings, const RunReport& report,
                       std::shared_ptr<const WatermarkFont>& font) = nullptr;
};

// Every step, Load to Save, in chain order.
const std::vector<ChainStepRow>& ChainStepTable();

}  // namespace orvex
