// Fuzz target: the whole load of a picture, header check and decoding, from
// bytes held in memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/image_io.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orvex::fuzz::MemoryFile file(data, size);
    if (!file.Ok()) return 0;
    std::string reason;
    const orvex::Bitmap image = orvex::LoadInputImage(file.Path(), &reason);
    if (image != nullptr) {
        if (FreeImage_GetWidth(image.get()) == 0 || FreeImage_GetHeight(image.get()) == 0) __builtin_trap();
    } else if (reason.empty()) {
        __builtin_trap();  // a failed load always says why
    }
    return 0;
}
