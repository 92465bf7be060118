// Every visible or printed status text, looked up by (group, key) in a table
// built from the built-in English data and optionally replaced from a
// language file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/builtin_texts.h"

namespace orvex {

inline constexpr const char* kNoStringError = "%NO_STRING_ERROR%";

class TextTable {
  public:
    // Builds the table from the built-in data; a non-empty languageFile that
    // opens as an INI file replaces texts group by group.
    void Build(const std::string& languageFile = "");
    // The same from other rows in the built-in form (tests, other data sets).
    void BuildFrom(std::span<const TextRow> rows, const std::string& languageFile = "");

    // The text of (group, key), matched case-insensitively, or
    // "%NO_STRING_ERROR%". Remembers the group found for the next lookup.
    std::string Text(std::string_view group, std::string_view key) const;

  private:
    struct Group {
        std::string name;  // upper-cased
        int32_t first = 0;
        int32_t last = -1;
        std::vector<int32_t> firstLetter;  // 256 slots, 0 = no key with that initial
    };
    // Index of the group named upperName (upper-cased), 0 when there is none.
    size_t FindGroup(std::string_view upperName) const;
    void ApplyLanguageFile(const std::string& languageFile);

    std::vector<Group> m_groups;      // element 0 holds no group
    std::vector<std::string> m_keys;  // entry 0 unused
    std::vector<std::string> m_texts;
    mutable size_t m_currentGroup = 0;
};

// Replaces "%s1%".."%s4%" (matched case-insensitively) by the non-empty values;
// a placeholder whose value is empty stays in the text.
std::string FillPlaceholders(std::string_view templ, const std::string& value1 = "",
                             const std::string& value2 = "", const std::string& value3 = "",
                             const std::string& value4 = "");

}  // namespace orvex
