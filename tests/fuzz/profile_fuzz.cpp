// Fuzz target: the profile reader, applied to the default settings.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/profile_file.h"
#include "settings/conversion_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orvex::ConversionSettings settings;
    orvex::ApplyProfileText(std::string_view(reinterpret_cast<const char*>(data), size), settings);
    return 0;
}
