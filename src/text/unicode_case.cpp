// Letter case through GLib, which knows the whole of Unicode. Invalid UTF-8
// falls back to ASCII case so that no byte of the input is lost.
#include "text/unicode_case.h"

#include <glib.h>

#include <cctype>

namespace orvex {
namespace {

template <typename Convert>
std::string ConvertUtf8(std::string_view text, Convert convert, bool upper) {
    if (text.empty()) return {};
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr) ||
        text.find('\0') != std::string_view::npos) {
        return upper ? ToUpperAscii(text) : ToLowerAscii(text);
    }
    gchar* converted = convert(text.data(), static_cast<gssize>(text.size()));
    std::string result = converted ? converted : "";
    g_free(converted);
    return result;
}

}  // namespace

std::string ToUpperUtf8(std::string_view text) { return ConvertUtf8(text, g_utf8_strup, true); }

std::string ToLowerUtf8(std::string_view text) { return ConvertUtf8(text, g_utf8_strdown, false); }

std::string ToTitleUtf8(std::string_view text) {
    if (text.empty()) return {};
    size_t firstLength = 1;
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        const char* next = g_utf8_next_char(text.data());
        firstLength = static_cast<size_t>(next - text.data());
    }
    return ToUpperUtf8(text.substr(0, firstLength)) + ToLowerUtf8(text.substr(firstLength));
}

std::string ToUpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string ToLowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace orvex
