// xdg-open is started with the target as its one argument and no shell: a
// stand-in script first on PATH records what it received.
#include "platform/shell_open.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/scoped_env.h"
#include "support/temp_folder.h"

using namespace orvex;
using orvex::test_support::ReadFileBytes;
using orvex::test_support::ScopedEnv;
using orvex::test_support::ScopedTempFolder;

namespace {

// Waits up to five seconds for the stand-in to write its record.
std::string WaitForRecord(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        std::string text = ReadFileBytes(path);
        if (!text.empty() && text.back() == '\n') return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReadFileBytes(path);
}

}  // namespace

TEST(OpenWithShell, PassesTheTargetAsOneArgument) {
    ScopedTempFolder folder("shell");
    // Writes the argument count, then each argument between brackets.
    const std::string script = folder.WriteFile(
        "xdg-open",
        "#!/bin/sh\nprintf '%s' \"$#\" > \"$0.part\"\nfor a in \"$@\"; do printf ' [%s]' "
        "\"$a\" >> \"$0.part\"; done\necho >> \"$0.part\"\nmv \"$0.part\" \"$0.args\"\n");
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    const std::string path = folder.Folder().string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "");
    ScopedEnv env("PATH", path.c_str());

    const std::string target =
        "mailto:a@b.example?subject=x y; $(touch " + folder.File("bad") + ") `id` * \"q\"";
    ASSERT_TRUE(OpenWithShell(target));
    EXPECT_EQ(WaitForRecord(script + ".args"), "1 [" + target + "]\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("bad")));
}

TEST(OpenWithShell, MissingProgramOrTargetIsReportedNotFatal) {
    ScopedTempFolder folder("shell-empty");
    ScopedEnv env("PATH", folder.Folder().c_str());
    EXPECT_FALSE(OpenWithShell("https://lumavert.example"));
    EXPECT_FALSE(OpenWithShell(""));
}
