// Start-up and mode selection through the real executable: version, usage,
// and the starts that belong to the desktop face.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/console_test_support.h"
#include "support/scoped_env.h"

namespace orvex {
namespace {

using Lines = std::vector<std::string>;

class StartupTest : public ::testing::Test {
  protected:
    test::ProcessResult Run(const Lines& arguments) {
        return test::RunOrvex(arguments, m_temp.Path());
    }
    test_support::ScopedTempFolder m_temp{"startup"};
};

TEST_F(StartupTest, VersionInEveryFirstArgumentSpelling) {
    for (const char* argument : {"-v", "-V", "--version", "--Version=x", " -v "}) {
        test::ProcessResult result = Run({argument, "-i", "ignored.hdr"});
        EXPECT_EQ(result.exitCode, 0) << argument;
        EXPECT_EQ(result.out, "3.1\n") << argument;
        EXPECT_EQ(result.err, "") << argument;
    }
}

TEST_F(StartupTest, UsageText) {
    test::ProcessResult result = Run({"-h"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    Lines expected{
        " ",
        "Usage: orvex -i <filename> [options]",
        " ",
        "  orvex -i example.hdr",
        "  orvex -i /tmp/example.hdr",
        "  orvex -i /tmp/example.hdr -o /tmp/converted",
        "  orvex -i /tmp/example.hdr -o /tmp/converted --jpg-quality=95",
        " ",
        "Options:",
        " ",
        "  -h, -?, --help            Display this help and exit",
        "  -i FILE, --input=FILE     Set input file",
        "  -o PATH, --output=PATH    Set output folder",
        "  -c STR, --conversion=STR  Set output extension, STR = (jpg | bmp | ...)",
        " ",
        "Advanced options:",
        " ",
        "  --width=NUM               Set output image width",
        "  --height=NUM              Set output image height",
        "  --filename-mask=STR       Define output filename format",
        "  --flip-horizontal         Flip output image horizontally",
        "  --flip-vertical           Flip output image vertically",
        "  --brightness=NUM          Set output image brightness, NUM = -100..100",
        "  --contrast=NUM            Set output image contrast, NUM = -100..100",
        "  --gamma=NUM               Set output image gamma, NUM = 0.01..9.99",
        "  --invert                  Invert output image",
        "  --greyscale               Greyscale output image",
        "  --profile=FILE            Set configuration file with required settings",
        "    ...                     Refer documentation for all available options",
        " ",
        "Other options:",
        " ",
        "  -q, --quiet               Don't print status messages to stdout",
        "  -d, --debug               Print debug information to stdout",
        "  -p, --pause               Pause at exit",
        "  -v, --version             Display version information and exit",
    };
    EXPECT_EQ(result.outLines(), expected);
    EXPECT_EQ(Run({"-?"}).out, result.out);
    EXPECT_EQ(Run({"--HELP"}).out, result.out);
}

TEST_F(StartupTest, ModesAreOnlyRecognisedInFirstPosition) {
    // After "-i", "-v" is an unknown option: the run goes on and refuses the
    // missing file.
    test::ProcessResult result = Run({"-i", "missing.hdr", "-v"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err,
              "Error: Invalid input file\norvex: missing.hdr: No such file or directory\n");
}

// Without a display (or, in a build without it, without the desktop face)
// every start that belongs to the desktop ends with code 1 and one line.
TEST_F(StartupTest, StartsForTheDesktopWithoutADisplayEndWithOneLine) {
    test_support::ScopedEnv display("DISPLAY", nullptr);
    test_support::ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    test_support::ScopedEnv platform("QT_QPA_PLATFORM", nullptr);
    test_support::ScopedEnv config("XDG_CONFIG_HOME", m_temp.Path().c_str());
    test_support::ScopedEnv runtime("XDG_RUNTIME_DIR", m_temp.Path().c_str());
    for (const Lines& arguments : {Lines{}, Lines{"--debug"}, Lines{"--jpg-quality=5", "-q"},
                                   Lines{"-U"}, Lines{"-T", m_temp.Path()}}) {
        test::ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err ==
                        "orvex: this build has no desktop interface; run it with -h for the "
                        "console usage.\n" ||
                    result.err ==
                        "orvex: cannot open the desktop window: no display (DISPLAY is not set)\n")
            << result.err;
        std::error_code ignored;
        std::filesystem::remove(m_temp.File("Lumavert Orvex 3.1.lock"), ignored);
    }
    EXPECT_TRUE(std::filesystem::is_empty(m_temp.Path()));  // nothing written, no screenshots
}

}  // namespace
}  // namespace orvex
