// Whether an output of an earlier run can stand: the mask's name for the
// file, looked up with one stat call for each side.
#include "run/skip_existing.h"

#include <sys/stat.h>

#include "run/conversion_worker.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "settings/file_name_mask.h"
#include "text/unicode_case.h"

namespace orvex {
namespace {

bool NotBefore(const timespec& a, const timespec& b) {
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec >= b.tv_nsec);
}

}  // namespace

std::string PlaceholderUnknownAhead(const ConversionSettings& settings) {
    // The mask is matched in lower case, as the naming does.
    const std::string mask = ToLowerUtf8(settings.FilenameMask);
    for (const char* placeholder : {"%width%", "%height%", "%bpp%", "%frame%", "%rnd%", "%yyyy%",
                                    "%mm%", "%dd%", "%hh%", "%ii%", "%ss%"}) {
        if (mask.find(placeholder) != std::string::npos) return placeholder;
    }
    return {};
}

bool SkipIfOutputIsCurrent(const ConversionSettings& settings, const FileContext& file,
                           FileResult& result) {
    if (!IsPlainFileName(ExpandFileNameMask(settings, file))) return false;
    const std::string output = BuildOutputPath(settings, file);
    struct stat outputStat {};
    struct stat inputStat {};
    if (::stat(output.c_str(), &outputStat) != 0 || !S_ISREG(outputStat.st_mode)) return false;
    if (::stat(file.InputPath.c_str(), &inputStat) != 0) return false;
    // The input itself is never its own finished output.
    if (outputStat.st_dev == inputStat.st_dev && outputStat.st_ino == inputStat.st_ino)
        return false;
    if (!NotBefore(outputStat.st_mtim, inputStat.st_mtim)) return false;
    result.skipped = true;
    result.outputPath = output;
    return true;
}

}  // namespace orvex
