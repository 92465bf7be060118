// Read-only access to a theme package: a ZIP archive whose entries are looked
// up by name and unpacked into memory, never written to disk.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

// Limits that keep a hostile or damaged package from costing more than a
// real theme would.
struct ThemeArchiveLimits {
    uint64_t MaxPackageBytes = 64u * 1024u * 1024u;  // the package file itself
    uint64_t MaxEntryBytes = 4u * 1024u * 1024u;     // one unpacked entry
    size_t MaxEntries = 4096;                        // entries in the archive
    uint64_t MaxExpansion = 100;                     // unpacked : packed bytes of an entry
    // Entries up to this unpacked size are never refused for their expansion:
    // a short, repetitive text compresses far better than 100:1 and is harmless.
    uint64_t ExpansionFreeBytes = 64u * 1024u;
};

class ThemeArchive {
  public:
    explicit ThemeArchive(ThemeArchiveLimits limits = {}) : m_limits(limits) {}

    // Reads the package into memory and indexes its entries. False, with
    // Problem() telling why, when the file is missing, empty or too large, is
    // not a readable ZIP archive, or holds too many entries.
    bool Open(const std::string& path);

    // Whether the archive holds a file entry of that name (any letter case)
    // whose declared size is within the limits.
    bool Contains(std::string_view name) const;

    // Unpacks the named entries (matched in any letter case) in one pass over
    // the archive. `found` receives each requested name, as given, that could
    // be unpacked within the limits; a name that is missing, too large or
    // expands too much is left out. False when the archive turned out to be
    // broken on the way: then `found` is left empty, since nothing read from
    // a broken archive is trusted.
    bool Unpack(const std::vector<std::string>& names,
                std::map<std::string, std::string>& found) const;

    // The same for a single entry; "" when it cannot be unpacked.
    std::string UnpackOne(std::string_view name) const;

    const std::string& Problem() const { return m_problem; }

  private:
    ThemeArchiveLimits m_limits;
    std::string m_bytes;                      // the whole package
    std::map<std::string, uint64_t> m_index;  // lower-cased name -> declared size
    mutable std::string m_problem;
};

}  // namespace orvex
