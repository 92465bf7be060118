// The gain map through the real executable: refused with the steps that hide
// the scene, reported only when asked for, and read by a reader nobody here
// wrote (exiftool, where it is installed).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "console/console_test_support.h"

namespace orvex {
namespace {

using Lines = std::vector<std::string>;

class GainMapConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A ramp with a small, very bright patch: highlights worth keeping.
        ASSERT_TRUE(test_support::WriteHdrWithFreeImage(File("a.hdr"), 96, 64, [](int x, int y) {
            const float v = (x > 70 && y < 12) ? 3000.0f : 0.05f + 0.02f * static_cast<float>(x);
            return test_support::Rgb{v, v, v};
        }));
        std::filesystem::create_directory(File("out"));
    }
    test::ProcessResult Run(const Lines& arguments) { return test::RunOrvex(arguments, m_temp.Path()); }
    std::string File(const std::string& name) const { return m_temp.File(name); }
    static bool Has(const Lines& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    test_support::ScopedTempFolder m_temp{"gain-map-console"};
};

TEST_F(GainMapConsoleTest, StepsThatHideTheSceneAreRefusedBeforeAnyWork) {
    const std::vector<std::pair<Lines, std::string>> refusals{
        {{"--threshold=100"}, "Error: A gain map cannot be written with threshold"},
        {{"--dither=FS"}, "Error: A gain map cannot be written with dither"},
        {{"--invert"}, "Error: A gain map cannot be written with invert"},
        {{"--gain-map-scale=3"}, "Error: Invalid value for --gain-map-scale: 3 (accepted: 1, 2 or 4)"},
        {{"--gain-map-headroom=7"},
         "Error: Invalid value for --gain-map-headroom: 7 (accepted: a decimal number from 1 to 6)"},
    };
    for (const auto& [options, error] : refusals) {
        Lines arguments{"-i", "a.hdr", "-o", "out", "--gain-map"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const test::ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << error;
        EXPECT_TRUE(Has(result.errLines(), error)) << result.err;
        EXPECT_FALSE(std::filesystem::exists(File("out/a.jpg")));
    }
    // Without the gain map the same steps run as ever.
    EXPECT_EQ(Run({"-q", "-i", "a.hdr", "-o", "out", "--threshold=100"}).exitCode, 0);
}

TEST_F(GainMapConsoleTest, TheReportNamesOnlyWhatDiffersAndExiftoolListsBothPictures) {
    const test::ProcessResult plain = Run({"-d", "-i", "a.hdr", "-o", "out"});
    ASSERT_EQ(plain.exitCode, 0) << plain.out;
    EXPECT_EQ(plain.out.find("Gain Map"), std::string::npos);
    const test::ProcessResult result =
        Run({"-d", "-i", "a.hdr", "-o", "out", "--gain-map-headroom=4"});
    ASSERT_EQ(result.exitCode, 0) << result.out;
    EXPECT_TRUE(Has(result.outLines(), "JPG Gain Map: 1"));
    EXPECT_TRUE(Has(result.outLines(), "JPG Gain Map Headroom: 4.00"));
    EXPECT_EQ(result.out.find("JPG Gain Map Scale"), std::string::npos);

    if (std::system("exiftool -ver > /dev/null 2>&1") != 0) GTEST_SKIP() << "SKIP: exiftool is not installed";
    const std::string command = "exiftool -a -G1 -ee '" + File("out/a.jpg") + "' 2>&1";
    std::string listing;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) listing.append(buffer, n);
        pclose(pipe);
    }
    EXPECT_NE(listing.find("Number Of Images                : 2"), std::string::npos) << listing;
    EXPECT_NE(listing.find("MP Image 2"), std::string::npos) << listing;
    for (const char* field : {"Gain Map Max", "HDR Capacity Max", "Offset SDR", "Base Rendition Is HDR"})
        EXPECT_NE(listing.find(field), std::string::npos) << field << "\n" << listing;
    EXPECT_EQ(listing.find("Warning"), std::string::npos) << listing;
}

}  // namespace
}  // namespace orvex
