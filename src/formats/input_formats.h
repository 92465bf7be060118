// The input extension table, the accepted input extensions derived from the
// reader groups of this build, and the open-file dialog filter.
#pragma once

#include <string>
#include <vector>

namespace orvex {

class TextTable;

struct InputExtensionRow {
    std::string extension;    // lower case, no dot
    std::string group;        // reader group key
    std::string description;  // display name of the file kind
};

// Every known input extension in insertion order.
const std::vector<InputExtensionRow>& InputExtensionTable();

// The extensions of the rows whose group is in `inputExtensions`, groups in
// list order, rows in table order ("hdr" gives "hdr", "hdri").
std::vector<std::string> BuildAcceptedInputExtensions(const std::vector<std::string>& inputExtensions);

// A file is accepted when it is not empty and its last extension, lower-cased,
// is one of `accepted`.
bool IsAcceptedInputFile(const std::string& path, const std::vector<std::string>& accepted);

// "All Supported Files|*.hdr;*.hdri|High Dynamic Range File|*.hdri;*.hdr|All Files (*.*)|*.*"
std::string BuildOpenFileFilter(const std::vector<std::string>& accepted, const TextTable& texts);

}  // namespace orvex
