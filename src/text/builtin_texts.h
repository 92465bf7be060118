// The built-in English text data that the text table is built from.
#pragma once

#include <span>

namespace orvex {

// One row of the built-in data. ("_GROUP_", name) opens a group, ("_END_", any)
// ends the data, and every other row is a (key, text) entry of the open group.
struct TextRow {
    const char* first;
    const char* second;
};

inline constexpr const char* kGroupMarker = "_GROUP_";
inline constexpr const char* kEndMarker = "_END_";

// The rows in data order, ending with the "_END_" row.
std::span<const TextRow> BuiltinTexts();

}  // namespace orvex
