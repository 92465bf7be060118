// Fuzz target: the language-file reader and lookups into what it read.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "text/language_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orvex::fuzz::MemoryFile file(data, size);
    if (!file.Ok()) return 0;
    orvex::LanguageFile language;
    if (language.Open(file.Path())) {
        if (const auto* group = language.Group(orvex::TextKeyForm("MAIN"))) {
            for (const auto& [key, value] : *group) {
                if (orvex::TextKeyForm(key) != key) __builtin_trap();
                (void)value;
            }
        }
    }
    return 0;
}
