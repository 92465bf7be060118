// Fuzz target: the Radiance header check and the clean header built from
// what passes it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/radiance_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    orvex::RadianceHeader header;
    std::string reason;
    // A memory budget of 1 GiB keeps the size rule in play.
    if (orvex::ParseRadianceHeader(bytes, size, uint64_t{1} << 30, &header, &reason)) {
        if (header.width == 0 || header.height == 0 || header.dataOffset > size) __builtin_trap();
        const std::string clean = orvex::BuildCleanHeader(header);
        // The clean header must itself pass the check with the same size.
        orvex::RadianceHeader again;
        std::string cleanFile = clean + std::string(bytes.substr(header.dataOffset));
        if (!orvex::ParseRadianceHeader(cleanFile, cleanFile.size(), 0, &again, &reason))
            __builtin_trap();
        if (again.ScanlineCount() != header.ScanlineCount() ||
            again.ScanlineLength() != header.ScanlineLength())
            __builtin_trap();
    } else if (reason.empty()) {
        __builtin_trap();  // a refusal always says why
    }
    return 0;
}
