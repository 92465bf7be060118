// Program identity values and the icon identifier tables.
#include "settings/program_identity.h"

#include <string>

namespace orvex {

const std::vector<std::string>& InputExtensions() {
    static const std::vector<std::string> list{"hdr"};
    return list;
}

const std::vector<std::string>& OutputExtensions() {
    static const std::vector<std::string> list{"jpg"};
    return list;
}

std::string VersionText(int versionNumber) {
    // "310": a "." before the second and before the (new) fourth character
    // gives "3.1.0"; a last "0" keeps only "3.1".
    const std::string digits = std::to_string(versionNumber);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i == 1 || i == 2) text.push_back('.');
        text.push_back(digits[i]);
    }
    if (!text.empty() && text.back() == '0') text.resize(3);
    return text;
}

std::string WindowTitleText() { return std::string(kProductTitle) + " " + VersionText(); }

std::string MakerName() {
    std::string title = kProductTitle;
    return title.substr(0, title.find(' '));
}


}  // namespace orvex
