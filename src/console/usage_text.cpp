// Usage lines: "%s1%" is the program name, "%s2%" an input extension.
#include "console/usage_text.h"

#include <array>
#include <random>

#include "text/text_table.h"

namespace orvex {

namespace {

constexpr std::array<const char*, 36> kUsage{{
    " ",
    "Usage: %s1% -i <filename> [options]",
    " ",
    "  %s1% -i example.%s2%",
    "  %s1% -i /tmp/example.%s2%",
    "  %s1% -i /tmp/example.%s2% -o /tmp/converted",
    "  %s1% -i /tmp/example.%s2% -o /tmp/converted --jpg-quality=95",
    " ",
    "Options:",
    " ",
    "  -h, -?, --help            Display this help and exit",
    "  -i FILE, --input=FILE     Set input file",
    "  -o PATH, --output=PATH    Set output folder",
    "  -c STR, --conversion=STR  Set output extension, STR = (jpg | bmp | ...)",
    " ",
    "Advanced options:",
    " ",
    "  --width=NUM               Set output image width",
    "  --height=NUM              Set output image height",
    "  --filename-mask=STR       Define output filename format",
    "  --flip-horizontal         Flip output image horizontally",
    "  --flip-vertical           Flip output image vertically",
    "  --brightness=NUM          Set output image brightness, NUM = -100..100",
    "  --contrast=NUM            Set output image contrast, NUM = -100..100",
    "  --gamma=NUM               Set output image gamma, NUM = 0.01..9.99",
    "  --invert                  Invert output image",
    "  --greyscale               Greyscale output image",
    "  --profile=FILE            Set configuration file with required settings",
    "    ...                     Refer documentation for all available options",
    " ",
    "Other options:",
    " ",
    "  -q, --quiet               Don't print status messages to stdout",
    "  -d, --debug               Print debug information to stdout",
    "  -p, --pause               Pause at exit",
    "  -v, --version             Display version information and exit",
}};

}  // namespace

std::vector<std::string> UsageLines(const std::string& programName,
                                    const std::function<std::string()>& pickExtension) {
    std::vector<std::string> lines;
    lines.reserve(kUsage.size());
    for (const char* line : kUsage)
        lines.push_back(FillPlaceholders(line, programName, pickExtension()));
    return lines;
}

std::string RandomEntry(const std::vector<std::string>& extensions) {
    if (extensions.empty()) return {};
    static std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, extensions.size() - 1);
    return extensions[pick(engine)];
}

}  // namespace orvex
