// Resuming a batch: a file whose output is already there, at least as new as
// the file itself, is skipped rather than converted again. Outputs are
// written whole or not at all, so one that exists is complete.
#pragma once

#include <string>

namespace orvex {

struct ConversionSettings;
struct FileContext;
struct FileResult;

// The placeholders of the file-name mask whose value is known only once a
// file is converted, or that change from run to run ("%width%", "%rnd%", the
// date and time): a run that skips existing outputs cannot find them again.
// Empty when the mask has none; otherwise the first one found.
std::string PlaceholderUnknownAhead(const ConversionSettings& settings);

// Whether `file`'s output (named by the mask with the file's numbers) is a
// regular file whose modification time is not before the input's. When it
// is, `result` says so: skipped, with the output's path.
bool SkipIfOutputIsCurrent(const ConversionSettings& settings, const FileContext& file,
                           FileResult& result);

}  // namespace orvex
