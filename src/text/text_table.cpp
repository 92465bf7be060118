// Building the text table from the built-in rows (and an optional language
// file), looking texts up by (group, key), and filling "%s1%".."%s4%".
#include "text/text_table.h"

#include <algorithm>
#include <utility>

#include "text/builtin_texts.h"
#include "text/language_file.h"

namespace orvex {
namespace {

constexpr size_t kLetterSlots = 256;

size_t FirstByte(const std::string& key) { return static_cast<unsigned char>(key.front()); }

std::string_view Field(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

void TextTable::Build(const std::string& languageFile) { BuildFrom(BuiltinTexts(), languageFile); }

void TextTable::BuildFrom(std::span<const TextRow> rows, const std::string& languageFile) {
    const std::string groupMarker = TextKeyForm(kGroupMarker);
    const std::string endMarker = TextKeyForm(kEndMarker);

    // First walk: count, so that the lists are sized once. Rows before the
    // first group belong to none and are skipped by both walks.
    size_t groupCount = 0;
    size_t entryCount = 0;
    for (const TextRow& row : rows) {
        const std::string first = TextKeyForm(Field(row.first));
        if (first == endMarker) break;
        if (first == groupMarker) {
            ++groupCount;
        } else if (groupCount > 0) {
            ++entryCount;
        }
    }

    std::vector<Group> groups(1);
    groups.reserve(groupCount + 1);
    std::vector<std::pair<std::string, std::string>> entries(1);
    entries.reserve(entryCount + 1);

    // Second walk: each group takes the contiguous index range of its entries.
    const auto closeGroup = [&] {
        if (groups.size() > 1) groups.back().last = static_cast<int32_t>(entries.size()) - 1;
    };
    for (const TextRow& row : rows) {
        std::string first = TextKeyForm(Field(row.first));
        if (first == endMarker) break;
        if (first == groupMarker) {
            closeGroup();
            Group group;
            group.name = TextKeyForm(Field(row.second));
            group.first = static_cast<int32_t>(entries.size());
            group.firstLetter.assign(kLetterSlots, 0);
            groups.push_back(std::move(group));
        } else if (groups.size() > 1) {
            entries.emplace_back(std::move(first), Field(row.second));
        }
    }
    closeGroup();

    // Sort each range by key. The sort is stable, so a key that a group holds
    // twice keeps its data order and the first of them is the one found.
    for (size_t g = 1; g < groups.size(); ++g) {
        Group& group = groups[g];
        if (group.first > group.last) continue;
        const auto begin = entries.begin() + group.first;
        const auto end = entries.begin() + group.last + 1;
        std::stable_sort(begin, end,
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (int32_t i = group.first; i <= group.last; ++i) {
            const std::string& key = entries[static_cast<size_t>(i)].first;
            if (key.empty()) continue;
            int32_t& slot = group.firstLetter[FirstByte(key)];
            if (slot == 0) slot = i;
        }
    }

    // Rebuilding replaces everything, the group cache included.
    m_groups = std::move(groups);
    m_keys.assign(entries.size(), {});
    m_texts.assign(entries.size(), {});
    for (size_t i = 1; i < entries.size(); ++i) {
        m_keys[i] = std::move(entries[i].first);
        m_texts[i] = std::move(entries[i].second);
    }
    m_currentGroup = 0;

    if (!languageFile.empty()) ApplyLanguageFile(languageFile);
}

void TextTable::ApplyLanguageFile(const std::string& languageFile) {
    LanguageFile file;
    if (!file.Open(languageFile)) return;
    for (size_t g = 1; g < m_groups.size(); ++g) {
        const Group& group = m_groups[g];
        const LanguageFile::Entries* values = file.Group(group.name);
        if (values == nullptr) continue;
        for (int32_t i = group.first; i <= group.last; ++i) {
            const auto index = static_cast<size_t>(i);
            const auto found = values->find(m_keys[index]);
            // An empty value is an untranslated entry: the built-in text stays.
            if (found != values->end() && !found->second.empty()) m_texts[index] = found->second;
        }
    }
}

size_t TextTable::FindGroup(std::string_view upperName) const {
    for (size_t g = 1; g < m_groups.size(); ++g) {
        if (m_groups[g].name == upperName) return g;
    }
    return 0;
}

std::string TextTable::Text(std::string_view group, std::string_view key) const {
    const std::string upperGroup = TextKeyForm(group);
    if (m_currentGroup >= m_groups.size() || m_groups[m_currentGroup].name != upperGroup) {
        m_currentGroup = FindGroup(upperGroup);
    }
    if (m_currentGroup == 0) return kNoStringError;

    const std::string upperKey = TextKeyForm(key);
    if (upperKey.empty()) return kNoStringError;
    const Group& found = m_groups[m_currentGroup];
    // The first-letter slot starts the search at the keys with the same
    // initial; the range is sorted, so a greater key means it is not there.
    for (int32_t i = found.firstLetter[FirstByte(upperKey)]; i != 0 && i <= found.last; ++i) {
        const int order = m_keys[static_cast<size_t>(i)].compare(upperKey);
        if (order == 0) return m_texts[static_cast<size_t>(i)];
        if (order > 0) break;
    }
    return kNoStringError;
}

std::string FillPlaceholders(std::string_view templ, const std::string& value1,
                             const std::string& value2, const std::string& value3,
                             const std::string& value4) {
    if (templ.empty()) return {};
    const std::string* values[] = {&value1, &value2, &value3, &value4};
    // One pass over the template: an inserted value is never scanned again,
    // so a file name that itself contains "%s2%" is shown as it is.
    std::string filled;
    filled.reserve(templ.size());
    size_t i = 0;
    while (i < templ.size()) {
        if (templ[i] == '%' && i + 3 < templ.size() &&
            (templ[i + 1] == 's' || templ[i + 1] == 'S') && templ[i + 2] >= '1' &&
            templ[i + 2] <= '4' && templ[i + 3] == '%') {
            const std::string& value = *values[templ[i + 2] - '1'];
            if (!value.empty()) {
                filled += value;
                i += 4;
                continue;
            }
        }
        filled += templ[i];
        ++i;
    }
    return filled;
}

}  // namespace orvex
