// The desktop entry, the MIME package and the metainfo agree with each
// other and with the program: one id, one media type, one command.
#include <gtest/gtest.h>

#include <string>

#include "packaging/packaging_test_support.h"

namespace orvex {
namespace {

using test_support::ReadSourceFile;

const std::string kAppId = ORVEX_APP_ID;

// The value of `key` in the desktop entry, or "" when it is missing.
std::string DesktopValue(const std::string& entry, const std::string& key) {
    const std::string start = "\n" + key + "=";
    const size_t at = entry.find(start);
    if (at == std::string::npos) return "";
    const size_t from = at + start.size();
    return entry.substr(from, entry.find('\n', from) - from);
}

bool Holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(DesktopFiles, AgreeOnIdCommandAndMediaTypes) {
    const std::string entry = ReadSourceFile("data/linux/" + kAppId + ".desktop");
    const std::string mime = ReadSourceFile("data/linux/" + kAppId + ".xml");
    const std::string metainfo = ReadSourceFile("data/linux/" + kAppId + ".metainfo.xml");
    ASSERT_FALSE(entry.empty());
    ASSERT_FALSE(mime.empty());
    ASSERT_FALSE(metainfo.empty());

    // The entry starts the installed program with the one file it is given.
    EXPECT_EQ(DesktopValue(entry, "Exec"), "orvex %f");
    EXPECT_EQ(DesktopValue(entry, "TryExec"), "orvex");
    EXPECT_EQ(DesktopValue(entry, "Icon"), kAppId);
    // Under X11 the windows carry the class "orvex" (the application's
    // name); under Wayland the entry's id itself names them.
    EXPECT_EQ(DesktopValue(entry, "StartupWMClass"), "orvex");
    EXPECT_TRUE(Holds(metainfo, "<id>" + kAppId + "</id>"));
    EXPECT_TRUE(Holds(metainfo, "<launchable type=\"desktop-id\">" + kAppId + ".desktop<"));
    EXPECT_TRUE(Holds(metainfo, "<binary>orvex</binary>"));

    // Every media type the entry opens is declared by the MIME package
    // (as a type or its alias) and provided by the metainfo.
    const std::string types = DesktopValue(entry, "MimeType");
    ASSERT_FALSE(types.empty());
    size_t start = 0;
    while (start < types.size()) {
        size_t end = types.find(';', start);
        if (end == std::string::npos) end = types.size();
        const std::string type = types.substr(start, end - start);
        start = end + 1;
        if (type.empty()) continue;
        EXPECT_TRUE(Holds(mime, "type=\"" + type + "\"")) << type;
        EXPECT_TRUE(Holds(metainfo, "<mediatype>" + type + "</mediatype>")) << type;
    }
}

TEST(DesktopFiles, MimePackageRecognisesRadianceNamesAndSignatures) {
    const std::string mime = ReadSourceFile("data/linux/" + kAppId + ".xml");
    for (const char* glob : {"*.hdr", "*.hdri", "*.pic", "*.rgbe"})
        EXPECT_TRUE(Holds(mime, std::string("<glob pattern=\"") + glob + "\"/>")) << glob;
    // The signatures sit at the very start of the file; the bundled sample
    // must be one the magic recognises.
    for (const char* magic : {"#?RADIANCE", "#?RGBE"})
        EXPECT_TRUE(Holds(mime, std::string("value=\"") + magic + "\" offset=\"0\"")) << magic;
    const std::string sample = ReadSourceFile("data/sample.hdr");
    EXPECT_TRUE(sample.rfind("#?RADIANCE", 0) == 0 || sample.rfind("#?RGBE", 0) == 0);
}

}  // namespace
}  // namespace orvex
