// Frame sequences without flicker. The Drago curve scales each picture by its
// own largest and log-average luminance, so a light that comes and goes in
// one corner changes the brightness of the whole frame. A measuring run
// writes every frame's two figures to a statistics file (JSON Lines, one
// object per frame, in any order); a conversion reads it and maps every frame
// with the figures of the whole sequence (locked), or with their moving
// average over a window of frames centred on the frame (smoothed).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/drago_operator.h"
#include "run/conversion_worker.h"

namespace orvex {

struct ConversionSettings;
struct FileContext;

struct FrameStatistics {
    std::string input;     // the file as the run queued it
    int32_t position = 0;  // its 0-based position in the whole list
    DragoStatistics figures;
};

// One line of the statistics file, without the line break.
std::string FrameStatisticsLine(const FrameStatistics& frame);

// The figures of `path` as the chain's tone mapping would measure them with
// `settings` (after the rotation and resizing); empty with `reason` when it
// cannot be loaded or mapped.
std::optional<FrameStatistics> MeasureFrame(const ConversionSettings& settings,
                                            const std::string& path, int32_t position,
                                            std::string& reason);

// Every frame of a statistics file, in sequence order (by position, then
// name; a frame listed twice counts once). Empty with `reason` when the file
// cannot be read or a line is not a frame's.
std::optional<std::vector<FrameStatistics>> ReadSequenceStatistics(const std::string& path,
                                                                   std::string& reason);

// The figures each frame of `frames` (in sequence order) is mapped with:
// with `window` 0 every frame gets the sequence's largest luminance and the
// geometric mean of the log-averages; otherwise each gets the mean largest
// luminance and the geometric mean log-average of the `window` frames
// around it (fewer at the ends). Frames without light do not count in a mean
// of log-averages.
std::vector<DragoStatistics> SharedStatistics(const std::vector<FrameStatistics>& frames,
                                              int32_t window);

// Gives every queued file the shared figures of its frame, found by its path
// as queued. Returns the first queued file that is not in `frames` (nothing
// is changed then), or "" when every file is.
std::string AssignSequenceStatistics(FileQueue& queue, const std::vector<FrameStatistics>& frames,
                                     int32_t window);

// The tone mapping's controls for a file: the sequence's figures when it has
// them, the picture's own otherwise.
DragoControls SequenceToneControls(const FileContext& file);

}  // namespace orvex
