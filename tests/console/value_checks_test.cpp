// What each kind of option value accepts, and the console's progress line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/option_table.h"
#include "console/progress_line.h"

namespace orvex {
namespace {

const LongOption& Option(const char* upperName) {
    const LongOption* option = FindCommandLineOption(upperName);
    EXPECT_NE(option, nullptr) << upperName;
    return *option;
}

struct ValueCase {
    const char* option;
    std::vector<const char*> readable;
    std::vector<const char*> unreadable;
};

TEST(IsReadableValue, EachKindTakesOnlyWhatItCanReadWhole) {
    const std::vector<ValueCase> cases{
        {"--WIDTH",
         {"640", " 640\t", "+5", "-5", "$FF", "$ff", "%101", "-$10", "2147483647", "-2147483648"},
         {"", " ", "12px", "1.5", "$", "%", "%102", "$G", "1 2", "2147483648", "99999999999",
          "x12"}},
        {"--GAMMA",
         {"1.5", ".5", "1.", "+2", "-0.5", "1e2", "NaN", "-infinity", "+Infinity", " 2.2 "},
         {"", "1,2", "abc", "1.5x", "e5", "+-1", "--1", "inf"}},
        {"--RESIZE-ALGORITHM", {"lanczos", "BOX", " bicubic "}, {"LANCOZ", "", "bi cubic"}},
        {"--WM-FONT-COLOR", {"00ff7F", "FFFFFF", "000000"},
         {"red", "#00FF00", "00FF0", "00FF000", " 00FF00", "GG0000"}},
        {"--FILE-TIMESTAMP-CUSTOM", {"4102444800"}, {"2038-01-01"}},
        {"--INVERT", {"", "anything"}, {}},
        {"--WM-TEXT", {"", "any \"text\" at all"}, {}},
    };
    for (const ValueCase& c : cases) {
        const LongOption& option = Option(c.option);
        for (const char* value : c.readable)
            EXPECT_TRUE(IsReadableValue(option, value)) << c.option << " " << value;
        for (const char* value : c.unreadable)
            EXPECT_FALSE(IsReadableValue(option, value)) << c.option << " " << value;
    }
}

TEST(InvalidValueMessage, NamesTheOptionTheValueAndWhatIsAccepted) {
    EXPECT_EQ(InvalidValueMessage("--Rotation", "x\n", Option("--ROTATION")),
              "Invalid value for --Rotation: x\\n (accepted: a whole number from 0 to 360)");
    EXPECT_EQ(InvalidValueMessage("--wm-text-size", "FIT", Option("--WM-TEXT-SIZE")),
              "Invalid value for --wm-text-size: FIT (accepted: one of FIXED)");
}

TEST(ComposeProgressLine, CountsRateTimeLeftAndTheCurrentFile) {
    EXPECT_EQ(ComposeProgressLine(0, 5, 0.0, "a.hdr", 80), "0 of 5 files, a.hdr");
    EXPECT_EQ(ComposeProgressLine(2, 5, 4.0, "pics/b.hdr", 80),
              "2 of 5 files, 0.5 files/s, 0:06 left, pics/b.hdr");
    EXPECT_EQ(ComposeProgressLine(1, 7201, 1.0, "", 80),
              "1 of 7201 files, 1.0 files/s, 2:00:00 left");
}

TEST(ComposeProgressLine, NeverWiderThanTheTerminalLessOneColumn) {
    const std::string path = "/very/long/folder/name/with/\xC3\xA4/picture_number_0001.hdr";
    for (int columns : {0, 1, 10, 20, 30, 40, 60, 200}) {
        const std::string line = ComposeProgressLine(3, 120, 2.0, path, columns);
        size_t shown = 0;
        for (unsigned char c : line) shown += (c & 0xC0) != 0x80 ? 1 : 0;
        const size_t width = columns > 1 ? static_cast<size_t>(columns - 1) : 79u;
        EXPECT_LE(shown, width) << columns << ": " << line;
    }
    // The end of the name is what stays.
    const std::string narrow = ComposeProgressLine(3, 120, 2.0, path, 60);
    EXPECT_EQ(narrow.substr(narrow.size() - 8), "0001.hdr") << narrow;
    EXPECT_NE(narrow.find(", ..."), std::string::npos) << narrow;
    // No room for a name: the counts alone, cut at the end.
    EXPECT_EQ(ComposeProgressLine(3, 120, 2.0, path, 30), "3 of 120 files, 1.5 files/s, ");
}

TEST(ProgressLine, RedrawsInPlaceClearsForLinesAboveAndAtTheEnd) {
    std::string screen;
    ProgressLine line(
        2, [&](std::string_view bytes) { screen += bytes; }, [] { return 80; });
    line.FileStarted("a.hdr");
    EXPECT_EQ(screen, "\r\x1b[K0 of 2 files, a.hdr");
    screen.clear();
    line.PrintAbove([&] { screen += "orvex: a.hdr: broken\n"; });
    EXPECT_EQ(screen.rfind("\r\x1b[Korvex: a.hdr: broken\n\r\x1b[K0 of 2 files, a.hdr", 0), 0u)
        << screen;
    line.FileFinished();
    line.FileStarted("b.hdr");
    line.FileFinished();  // the last file always draws
    EXPECT_NE(screen.find("2 of 2 files"), std::string::npos) << screen;
    screen.clear();
    line.Finish();
    EXPECT_EQ(screen, "\r\x1b[K");
    screen.clear();
    line.Finish();
    EXPECT_EQ(screen, "");
}

}  // namespace
}  // namespace orvex
