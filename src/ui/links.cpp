// Link targets built from the deployment values, and opening them.
#include "ui/links.h"

#include <cstdlib>
#include <filesystem>

#include "platform/shell_open.h"
#include "settings/program_identity.h"

namespace orvex {

namespace {

// Percent-encodes what may not stand bare in a mailto header value.
std::string EncodeMailValue(const std::string& text) {
    static const char* kHex = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            encoded.push_back(static_cast<char>(c));
        } else {
            encoded.push_back('%');
            encoded.push_back(kHex[c >> 4]);
            encoded.push_back(kHex[c & 15]);
        }
    }
    return encoded;
}

}  // namespace

std::string WebSiteUrl() { return kWebSite; }

std::string HomepageUrl() { return std::string(kWebSite) + "/orvex/"; }

std::string SupportMailLink() { return std::string("mailto:") + kSupportEmail; }

std::string FeedbackMailLink() {
    return SupportMailLink() + "?subject=" +
           EncodeMailValue(std::string(kProductTitle) + " Feedback");
}

std::string FindConverterUrl(const std::string& from, const std::string& to) {
    return std::string(kWebSite) + "/find/" + from + "-" + to + "/";
}

std::string UpdateFileUrl() {
    const char* overridden = std::getenv("ORVEX_UPDATE_URL");
    if (overridden != nullptr && overridden[0] != '\0') return overridden;
    return kUpdateUrl;
}

std::string ManualPath(const std::string& appFolder) {
    const std::string local = appFolder + "gfx/orvex.html";
    const std::string installed = appFolder + "../share/orvex/orvex.html";
    std::error_code error;
    if (std::filesystem::is_regular_file(local, error)) return local;
    return std::filesystem::path(installed).lexically_normal().string();
}

void OpenTarget(const std::string& target) { OpenWithShell(target); }

}  // namespace orvex
