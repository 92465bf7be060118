// Starts of the real executable that concern the desktop: a console run never
// needs a display, a desktop start without one fails clearly, a second
// desktop leaves quietly, and the screenshot staging writes its pictures.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "console/console_test_support.h"
#include "support/scoped_env.h"

extern char** environ;

namespace orvex {
namespace {

using test_support::ScopedEnv;
using test_support::ScopedTempFolder;

// No display of any kind: what a server or a script run sees.
struct NoDisplay {
    ScopedEnv display{"DISPLAY", nullptr};
    ScopedEnv wayland{"WAYLAND_DISPLAY", nullptr};
    ScopedEnv platform{"QT_QPA_PLATFORM", nullptr};
};

bool IsJpeg(const std::string& path) {
    const std::string bytes = test_support::ReadFileBytes(path);
    return bytes.size() > 3 && bytes[0] == '\xFF' && bytes[1] == '\xD8';
}

// Whether process `pid` has `path` open (the lock is taken right after).
bool HasOpen(pid_t pid, const std::string& path) {
    std::error_code error;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(entry.path(), linkError).string() == path) return true;
    }
    return false;
}

TEST(DesktopStart, ConsoleRunNeedsNoDisplay) {
    ScopedTempFolder temp("nodisplay");
    NoDisplay none;
    ASSERT_TRUE(test::WriteTestHdr(temp.File("a.hdr")));
    test::ProcessResult result = test::RunOrvex({"-q", "-i", "a.hdr"}, temp.Path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(IsJpeg(temp.File("a.jpg")));
}

TEST(DesktopStart, NoDisplayEndsWithAMessage) {
    ScopedTempFolder temp("desktop");
    NoDisplay none;
    ScopedEnv config("XDG_CONFIG_HOME", temp.Path().c_str());
    ScopedEnv runtime("XDG_RUNTIME_DIR", temp.Path().c_str());
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"--debug"}}) {
        test::ProcessResult result = test::RunOrvex(arguments, temp.Path());
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find("cannot open the desktop window"), std::string::npos)
            << result.err;
        EXPECT_EQ(result.out, "");
    }
    // Nothing was saved by a desktop that never opened.
    EXPECT_FALSE(std::filesystem::exists(temp.File("Lumavert/orvex/config.ini")));
}

TEST(DesktopStart, SecondDesktopLeavesQuietly) {
    ScopedTempFolder temp("instance");
    ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
    ScopedEnv config("XDG_CONFIG_HOME", temp.Path().c_str());
    ScopedEnv runtime("XDG_RUNTIME_DIR", temp.Path().c_str());
    const std::string lock = temp.File("Lumavert Orvex 3.1.lock");

    pid_t first = -1;
    char* argv[] = {const_cast<char*>(ORVEX_EXECUTABLE), nullptr};
    ASSERT_EQ(posix_spawn(&first, ORVEX_EXECUTABLE, nullptr, nullptr, argv, environ), 0);
    bool open = false;
    for (int i = 0; i < 200 && !open; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        open = HasOpen(first, lock);
    }
    ASSERT_TRUE(open) << "the first desktop never took its lock";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    test::ProcessResult second = test::RunOrvex({}, temp.Path());
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "");
    // A console run beside the open window is never dropped.
    ASSERT_TRUE(test::WriteTestHdr(temp.File("b.hdr")));
    EXPECT_EQ(test::RunOrvex({"-q", "-i", "b.hdr"}, temp.Path()).exitCode, 0);
    EXPECT_TRUE(IsJpeg(temp.File("b.jpg")));

    ::kill(first, SIGTERM);
    int status = 0;
    ::waitpid(first, &status, 0);
}

TEST(DesktopStart, ScreenshotStaging) {
    ScopedTempFolder temp("staging");
    ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
    ScopedEnv config("XDG_CONFIG_HOME", temp.Path().c_str());
    ScopedEnv runtime("XDG_RUNTIME_DIR", temp.Path().c_str());
    // A folder that does not exist: nothing is written, still code 0.
    test::ProcessResult missing = test::RunOrvex({"-T", temp.File("missing")}, temp.Path());
    EXPECT_EQ(missing.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(temp.File("missing")));

    std::filesystem::create_directory(temp.File("shots"));
    test::ProcessResult result = test::RunOrvex({"-T", temp.File("shots")}, temp.Path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(IsJpeg(temp.File("shots/orvex1.jpg")));
    EXPECT_TRUE(IsJpeg(temp.File("shots/orvex1x.jpg")));
    auto [width, height] = test::JpegSize(temp.File("shots/orvex1.jpg"));
    auto [smallWidth, smallHeight] = test::JpegSize(temp.File("shots/orvex1x.jpg"));
    EXPECT_GE(width, 510u);
    EXPECT_EQ(smallWidth, width / 2);
    EXPECT_EQ(smallHeight, height / 2);
    // Staging never writes the user's configuration.
    EXPECT_FALSE(std::filesystem::exists(temp.File("Lumavert/orvex/config.ini")));
}

}  // namespace
}  // namespace orvex
