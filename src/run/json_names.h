// File names in JSON objects. JSON text is UTF-8, and a Linux file name is any
// bytes: a name that is valid UTF-8 is stored as it is (the library escapes
// quotes, backslashes and control characters such as a line break); any
// other name is stored under its key with each byte that is not part of
// valid UTF-8 shown as U+FFFD, for people, and whole under "<key>_hex" as
// the hexadecimal digits of its bytes, for programs.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace orvex {

void PutName(nlohmann::ordered_json& object, const std::string& key, const std::string& name);

// The name stored by PutName under `key` (from "<key>_hex" when there is
// one); empty when the object holds neither as a string.
std::optional<std::string> GetName(const nlohmann::ordered_json& object, const std::string& key);

// The object as one line of JSON text, without the line break.
std::string JsonLine(const nlohmann::ordered_json& object);

}  // namespace orvex
