// Fixed program identity: title, version, internal name, extension lists of
// this build and the window title.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orvex {

inline constexpr const char* kProductTitle = "Lumavert Orvex";
inline constexpr int kVersionNumber = 310;
inline constexpr const char* kInternalName = "orvex";
inline constexpr const char* kWebSite = ORVEX_WEB_SITE;
inline constexpr const char* kSupportEmail = ORVEX_SUPPORT_EMAIL;
inline constexpr const char* kUpdateUrl = ORVEX_UPDATE_URL;
// The notice as the About window (and the default watermark text) shows it.
inline constexpr const char* kNoticeLine = "Copyright \u00A9 2026 Lumavert";
// The same notice as the console banner prints it.
inline constexpr const char* kConsoleNoticeLine = "Copyright (c) 2026 Lumavert";

// The reader groups and writer extensions this build converts from and to;
// their first entries are the defaults of a run.
const std::vector<std::string>& InputExtensions();
const std::vector<std::string>& OutputExtensions();

// "310" -> "3.1", "311" -> "3.1.1", "300" -> "3.0".
std::string VersionText(int versionNumber = kVersionNumber);

// Product title, one space, version text: "Lumavert Orvex 3.1".
std::string WindowTitleText();

// The maker's word: the first space-separated word of the product title.
std::string MakerName();


}  // namespace orvex
