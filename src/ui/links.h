// The outward links of the desktop: the maker's pages, the support mail,
// the manual and the update file, and opening them with the desktop's
// default programs.
#pragma once

#include <string>

namespace orvex {

// The maker's web site as the About dialog shows it.
std::string WebSiteUrl();
// The product page: web site + "/orvex/".
std::string HomepageUrl();
// "mailto:" + the support address.
std::string SupportMailLink();
// A new mail to the support address with the subject "Lumavert Orvex Feedback".
std::string FeedbackMailLink();
// The find page for a pair of cleaned extensions: web site + "/find/from-to/".
std::string FindConverterUrl(const std::string& from, const std::string& to);
// The update file: $ORVEX_UPDATE_URL when set and not empty, else the
// address the build was configured with.
std::string UpdateFileUrl();
// The HTML manual: "gfx/orvex.html" beside the program, else the installed
// "../share/orvex/orvex.html"; the installed path when neither exists, so
// the viewer reports the missing file.
std::string ManualPath(const std::string& appFolder);

// Opens a web address, "mailto:" link or file; the outcome is not examined.
void OpenTarget(const std::string& target);

}  // namespace orvex
