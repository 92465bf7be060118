// Reading a small file of the program's own (config.ini, a profile, a
// language file) whole, with a bound on its size.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace orvex {

// The whole content of the regular file `path`, or nothing when it is
// missing, is not a regular file (a FIFO or a device would block or never
// end), cannot be read, or is larger than `maxBytes`: a file that large is not
// one the program wrote, and reading part of it would apply half its settings.
// A file that shrinks while it is read gives what was there.
std::optional<std::string> ReadBoundedFile(const std::string& path, size_t maxBytes);

}  // namespace orvex
