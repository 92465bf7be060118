// Names the kind of a file from its first bytes, whatever its extension says.
#pragma once

#include <string>

namespace orvex {

inline constexpr const char* kUnrecognizedFileType = "[ERROR] UNRECOGNIZED";

// The name of the last matching signature of the file's first-byte group,
// or "[ERROR] UNRECOGNIZED".
std::string IdentifyFileType(const std::string& path);

}  // namespace orvex
