// What the chain knows about the one file it is converting: where it came
// from, where it goes, and the values its placeholders show. The worker fills
// one per file from its job; nothing here is shared with another thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace orvex {

struct GainMapSource;

struct FileContext {
    std::string InputPath;       // the file being converted
    std::string InputSubfolder;  // its folder relative to its input root, "" or ending with "/"
    std::string OutputFolder;    // absolute, ends with "/"
    std::string OutputExtension;
    std::string OutputPath;      // set once the name is known
    int32_t OutputFormatId = 0;
    int32_t OutputBitDepth = 0;  // 0 = automatic until the depth step has chosen one
    int32_t SaveFlags = 0;
    int8_t AutoBitDepth = 0;
    int32_t SourceBitDepth = 0;
    int32_t SourceWidth = 0;   // the picture as loaded
    int32_t SourceHeight = 0;
    int32_t FinalWidth = 0;    // the picture the save writes
    int32_t FinalHeight = 0;
    int32_t CurrentWidth = 0;
    int32_t CurrentHeight = 0;
    int32_t CurrentFrame = 0;
    int32_t RandomNumber = 0;  // "%rnd%"
    int32_t FileCounter = 0;   // "%n%"
    // The Drago statistics a frame sequence shares (largest and log-average
    // luminance); 0 maps the picture with its own.
    float SequenceLargestLuminance = 0;
    float SequenceLogAverageLuminance = 0;
    // What the gain map is made from, kept from the HDR picture by the tone
    // mapping until the save (null without a gain map), and the report's
    // remark when a wanted gain map was left out.
    std::shared_ptr<GainMapSource> GainMap;
    std::string GainMapNote;
};

}  // namespace orvex
