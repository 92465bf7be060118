// Where the per-user configuration folder lies and that it is created.
#include "platform/config_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace orvex {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the life of the object and restores it.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class ConfigFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_root = fs::temp_directory_path() / (std::string("orvex_config_folder_") + info->name() +
                                              "_" + std::to_string(getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }

    fs::path m_root;
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
    {
        std::FILE* f = std::fopen(blocker.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    ScopedEnv config("XDG_CONFIG_HOME", blocker.c_str());
    EXPECT_EQ(ConfigFolder("Lumavert", "orvex"), blocker.string() + "/Lumavert/orvex/");
    EXPECT_TRUE(fs::is_regular_file(blocker));
}

}  // namespace
}  // namespace orvex
