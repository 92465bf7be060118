// A language file: an INI file whose groups and keys name entries of the text
// table and whose values replace their texts. Used only while building the table.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace orvex {

// The form in which the text table compares group names and keys: upper-cased,
// with a quick path for plain ASCII, which is nearly every lookup.
std::string TextKeyForm(std::string_view text);

class LanguageFile {
  public:
    using Entries = std::map<std::string, std::string, std::less<>>;

    // Reads the file. False when it is not a readable regular file (or is
    // unreasonably large), and the file then holds no groups.
    bool Open(const std::string& path);

    // The entries of the group named groupName (in TextKeyForm), or nullptr.
    const Entries* Group(std::string_view groupName) const;

  private:
    std::map<std::string, Entries, std::less<>> m_groups;
};

}  // namespace orvex
