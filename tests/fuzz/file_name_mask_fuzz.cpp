// Fuzz target: the file-name mask and the watermark text. The first line of
// the input is the mask, the second the input file's name, the rest the
// watermark text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/conversion_settings.h"
#include "settings/file_name_mask.h"
#include "settings/file_context.h"

namespace {

std::string_view NextLine(std::string_view& rest) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    orvex::ConversionSettings settings;
    settings.FilenameMask = std::string(NextLine(rest));
    const std::string inputName(NextLine(rest));
    settings.Text = std::string(rest);
    orvex::FileContext project;
    project.RandomNumber = 12345;
    project.FileCounter = 1;
    project.InputPath = "/in/" + inputName;
    project.OutputFolder = "/out/";
    project.OutputExtension = "jpg";
    project.CurrentWidth = 640;
    project.CurrentHeight = 480;
    (void)orvex::ExpandFileNameMask(settings, project);
    (void)orvex::ExpandWatermarkText(settings, project);
    (void)orvex::BuildOutputPath(settings, project);
    (void)orvex::IsPlainFileName(orvex::ExpandFileNameMask(settings, project));
    return 0;
}
