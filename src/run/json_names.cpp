// Names in JSON, with the exact bytes of a name that is not UTF-8 kept in hex.
#include "run/json_names.h"

namespace orvex {
namespace {

bool IsUtf8(const std::string& text) {
    try {
        (void)nlohmann::ordered_json(text).dump();
        return true;
    } catch (const nlohmann::ordered_json::type_error&) {
        return false;
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void PutName(nlohmann::ordered_json& object, const std::string& key, const std::string& name) {
    object[key] = name;
    if (IsUtf8(name)) return;
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(name.size() * 2);
    for (unsigned char c : name) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    object[key + "_hex"] = hex;
}

std::optional<std::string> GetName(const nlohmann::ordered_json& object, const std::string& key) {
    const auto hex = object.find(key + "_hex");
    if (hex != object.end() && hex->is_string()) {
        const std::string& digits = hex->get_ref<const std::string&>();
        if (digits.size() % 2 != 0) return std::nullopt;
        std::string name;
        for (size_t at = 0; at < digits.size(); at += 2) {
            const int high = HexDigit(digits[at]);
            const int low = HexDigit(digits[at + 1]);
            if (high < 0 || low < 0) return std::nullopt;
            name += static_cast<char>(high * 16 + low);
        }
        return name;
    }
    const auto plain = object.find(key);
    if (plain == object.end() || !plain->is_string()) return std::nullopt;
    return plain->get<std::string>();
}

std::string JsonLine(const nlohmann::ordered_json& object) {
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace orvex
