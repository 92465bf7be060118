// Why an input or an output folder was refused, in plain words, for the line
// that follows the run's "Error: " line on standard error.
#pragma once

#include <string>

namespace orvex {

// Why the console refuses `path` as an input file: the system's message when
// it cannot be looked at ("No such file or directory"), "is a folder", "is
// not a regular file", "is empty", or "has no file extension".
std::string InputFileCause(const std::string& path);

// Why `folder` (as the user gave it, relative to the working folder) is no
// output folder: the system's message, "is not a folder", or that the
// working folder it would be taken from no longer exists.
std::string OutputFolderCause(const std::string& folder);

// "<program>: <path>: <cause>", the path and cause with control characters
// shown escaped so that one line stays one line.
std::string CauseLine(const std::string& program, const std::string& path,
                      const std::string& cause);

}  // namespace orvex
