// Where the running program lies, and the data folders looked up beside it.
#pragma once

#include <string>

namespace orvex {

// Folder of the running executable (/proc/self/exe) with a trailing "/";
// the current working directory when that link cannot be read.
std::string ExecutableFolder();

// The file name of the running executable without folder and extension.
std::string ExecutableName(const char* argv0);

}  // namespace orvex
