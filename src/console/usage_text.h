// The usage text printed for "-h", "-?" and "--help".
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvex {

// The usage lines with the program name filled in; `pickExtension` is asked
// anew for the input extension of each example line.
std::vector<std::string> UsageLines(const std::string& programName,
                                    const std::function<std::string()>& pickExtension);

// A uniformly chosen entry of `extensions` ("" for an empty list).
std::string RandomEntry(const std::vector<std::string>& extensions);

}  // namespace orvex
