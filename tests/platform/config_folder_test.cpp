// Where the per-user configuration folder lies and that it is created.
#include "platform/config_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using test_support::ScopedEnv;

class ConfigFolderTest : public testing::Test {
  protected:
    test_support::ScopedTempFolder m_temp{"config-folder"};
    const fs::path m_root = m_temp.Folder();
};

TEST_F(ConfigFolderTest, UsesXdgConfigHomeAndCreatesBothFolders) {
    const std::string xdg = (m_root / "xdg").string();
    ScopedEnv config("XDG_CONFIG_HOME", xdg.c_str());
    const std::string folder = ConfigFolder("Lumavert", "orvex");
    EXPECT_EQ(folder, xdg + "/Lumavert/orvex/");
    EXPECT_TRUE(fs::is_directory(m_root / "xdg" / "Lumavert" / "orvex"));
    // New folders are private to the user.
    struct stat info {};
    ASSERT_EQ(stat((m_root / "xdg" / "Lumavert").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
    // A second call finds them in place.
    EXPECT_EQ(ConfigFolder("Lumavert", "orvex"), folder);
}

TEST_F(ConfigFolderTest, TrailingSlashOfXdgConfigHomeIsNotDoubled) {
    const std::string xdg = (m_root / "cfg").string() + "/";
    ScopedEnv config("XDG_CONFIG_HOME", xdg.c_str());
    EXPECT_EQ(ConfigFolder("Maker", "prog"), xdg + "Maker/prog/");
}

TEST_F(ConfigFolderTest, FallsBackToDotConfigBelowHome) {
    const std::string home = (m_root / "home").string();
    fs::create_directories(home);
    ScopedEnv homeVar("HOME", home.c_str());
    for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/path"}) {
        ScopedEnv config("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(UserConfigBase(), home + "/.config/");
        EXPECT_EQ(ConfigFolder("Lumavert", "orvex"), home + "/.config/Lumavert/orvex/");
    }
    EXPECT_TRUE(fs::is_directory(m_root / "home" / ".config" / "Lumavert" / "orvex"));
}

TEST_F(ConfigFolderTest, FolderIsReturnedEvenWhenItCannotBeCreated) {
    // A file where a folder should be: nothing can be created below it.
    const fs::path blocker = m_root / "blocker";
    ASSERT_TRUE(test_support::WriteFileBytes(blocker, ""));
    ScopedEnv config("XDG_CONFIG_HOME", blocker.c_str());
    EXPECT_EQ(ConfigFolder("Lumavert", "orvex"), blocker.string() + "/Lumavert/orvex/");
    EXPECT_TRUE(fs::is_regular_file(blocker));
}

}  // namespace
}  // namespace orvex
