// Replacing a whole file so that readers see either the old or the new
// contents, never a truncated mix.
#pragma once

#include <string>
#include <string_view>

namespace orvex {

// Writes `contents` to "<path>.tmp-<pid>-<random>" in the same folder,
// flushes it to disk and renames it over `path`. When `path` is a symbolic
// link, the file it points to is replaced and the link kept. An existing
// file's permission bits carry over to the new one. On any failure the
// temporary file is removed, the old file is left untouched and false is
// returned.
bool WriteFileAtomically(const std::string& path, std::string_view contents);

}  // namespace orvex
