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

const IconTable& IconIdentifierTable(int table) {
    static const IconTable first{{"Convert", 2}, {"InFiles", 3}, {"InFolder", 4}};
    static const IconTable second{
        {"New", 5},        {"Add", 6},          {"InFiles", 7},      {"InFolder", 8},
        {"OutFolder", 9},  {"OutFormat", 10},   {"FavFolder", 11},   {"ImportFiles", 12},
        {"ExportFiles", 13}, {"Exit", 14},      {"Copy", 15},        {"Delete", 16},
        {"SelectAll", 17}, {"Convert", 18},     {"Error", 19},       {"Preferences", 20},
        {"CustomConverter", 21}, {"Help", 22},  {"Email", 25},       {"Web", 26},
        {"Updates", 27},   {"About", 28}};
    // Table 3 repeats table 2 with every number moved up by 24.
    static const IconTable third = [] {
        IconTable shifted = second;
        for (auto& entry : shifted) entry.second += 24;
        return shifted;
    }();
    static const IconTable empty;
    switch (table) {
        case 1: return first;
        case 2: return second;
        case 3: return third;
        default: return empty;
    }
}

}  // namespace orvex
