// Where the program finds its desktop module, through copies of the real
// executable laid out as a user meets them: alone (the console package
// without the desktop one), beside a file that is no module, and in the
// installed layout moved to a folder of its own.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/console_test_support.h"
#include "support/scoped_env.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using test_support::ScopedEnv;
using test_support::ScopedTempFolder;

class DesktopModuleTest : public ::testing::Test {
  protected:
    // The executable copied to <temp>/bin/, where the desktop module is
    // looked for beside it and in `kModuleFolder` from there.
    std::string InstallProgram() {
        fs::create_directories(m_temp.File("bin"));
        const std::string program = m_temp.File("bin/orvex");
        fs::copy_file(ORVEX_EXECUTABLE, program);
        return program;
    }
    test::ProcessResult Run(const std::string& program, const Lines& arguments) {
        test::Process process(program, arguments, m_temp.Path());
        process.Start();
        return process.Wait();
    }

    ScopedTempFolder m_temp{"module"};
    // A display is named, so only the missing module can stop the desktop.
    ScopedEnv m_platform{"QT_QPA_PLATFORM", "offscreen"};
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_temp.Path().c_str()};
    ScopedEnv m_runtime{"XDG_RUNTIME_DIR", m_temp.Path().c_str()};
};

TEST_F(DesktopModuleTest, WithoutTheModuleTheConsoleWorksAndTheDesktopSaysHowToGetIt) {
    const std::string program = InstallProgram();
    ASSERT_TRUE(test::WriteTestHdr(m_temp.File("a.hdr")));
    test::ProcessResult console = Run(program, {"-q", "-i", "a.hdr"});
    EXPECT_EQ(console.exitCode, 0) << console.err;
    EXPECT_TRUE(fs::exists(m_temp.File("a.jpg")));

    for (const Lines& arguments :
         {Lines{}, Lines{"a.hdr"}, Lines{"--debug"}, Lines{"-U"}, Lines{"-T", m_temp.Path()}}) {
        test::ProcessResult result = Run(program, arguments);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err,
                  "orvex: the desktop interface is not installed; install the package "
                  "orvex-desktop for it (sudo apt install orvex-desktop), or run orvex -h for "
                  "the console usage.\n");
    }
    // Nothing of the desktop ran: no lock, no configuration, no screenshots.
    EXPECT_FALSE(fs::exists(m_temp.File("Lumavert Orvex 3.1.lock")));
    EXPECT_FALSE(fs::exists(m_temp.File("Lumavert")));
    EXPECT_FALSE(fs::exists(m_temp.File("orvex1.jpg")));
}

TEST_F(DesktopModuleTest, AFileThatIsNoModuleIsReportedNotSkipped) {
    const std::string program = InstallProgram();
    test_support::WriteFileBytes(m_temp.File("bin/orvex-desktop.so"), "not a module");
    // A good module in the installed place is not tried behind a broken one.
    fs::create_directories(m_temp.File("bin/" ORVEX_DESKTOP_MODULE_FOLDER));
    fs::copy_file(ORVEX_DESKTOP_MODULE, m_temp.File("bin/" ORVEX_DESKTOP_MODULE_FOLDER
                                                    "orvex-desktop.so"));
    test::ProcessResult result = Run(program, {});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("orvex: cannot load the desktop interface: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("orvex-desktop.so"), std::string::npos) << result.err;
}

TEST_F(DesktopModuleTest, TheInstalledLayoutIsFoundFromTheProgramsFolder) {
    const std::string program = InstallProgram();
    fs::create_directories(m_temp.File("bin/" ORVEX_DESKTOP_MODULE_FOLDER));
    fs::copy_file(ORVEX_DESKTOP_MODULE, m_temp.File("bin/" ORVEX_DESKTOP_MODULE_FOLDER
                                                    "orvex-desktop.so"));
    fs::create_directory(m_temp.File("shots"));
    test::ProcessResult result = Run(program, {"-T", m_temp.File("shots")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(fs::exists(m_temp.File("shots/orvex1.jpg")));
    EXPECT_TRUE(fs::exists(m_temp.File("shots/orvex1x.jpg")));
}

}  // namespace
}  // namespace orvex
