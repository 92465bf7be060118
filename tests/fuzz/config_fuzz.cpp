// Fuzz target: the config.ini reader with its upgrades of older layouts, and
// the file written back from what it read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "settings/configuration_file.h"
#include "settings/conversion_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orvex::fuzz::MemoryFile file(data, size);
    if (!file.Ok()) return 0;
    orvex::ConversionSettings settings;
    orvex::LoadConfiguration(settings, file.Path(), orvex::DesktopSize{1920, 1080});
    const std::string text = orvex::ConfigurationText(settings, {"HDR"}, {"jpg"});
    // What was written must read back to the same file.
    orvex::fuzz::MemoryFile written(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    orvex::ConversionSettings again;
    orvex::LoadConfiguration(again, written.Path(), orvex::DesktopSize{1920, 1080});
    if (orvex::ConfigurationText(again, {"HDR"}, {"jpg"}) != text) __builtin_trap();
    return 0;
}
