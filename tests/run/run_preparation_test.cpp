// The one preparation both faces run: what the console refuses the desktop
// refuses, the report lines come in the console's order, and a prepared job
// holds what its run needs.
#include "run/run_preparation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "drawing/watermark_font.h"
#include "support/hdr_writer.h"
#include "text/builtin_texts.h"

namespace orvex {
namespace {

using test_support::Rgb;

// Whether the built-in texts hold `key` in group "Msg".
bool HasMessage(const std::string& key) {
    bool inMsg = false;
    for (const TextRow& row : BuiltinTexts()) {
        if (std::string(row.first) == kGroupMarker) inMsg = std::string(row.second) == "Msg";
        else if (inMsg && key == row.first) return true;
    }
    return false;
}

struct Captured {
    std::vector<std::string> lines;
    RunReport Report() {
        return RunReport([this](const std::string& line) { lines.push_back(line); }, true);
    }
};

class RunPreparationTest : public ::testing::Test {
protected:
    RunPreparationTest() : folder("preparation") {
        ResetSettingsToDefaults(settings, true);
        picture = folder.File("a.hdr");
        EXPECT_TRUE(test_support::WriteHdr(picture, 8, 6, [](int x, int y) {
            return Rgb{x / 8.f, y / 6.f, 0.5f};
        }));
        std::filesystem::create_directories(folder.File("out"));
    }

    RunRequest Request(RunFace face) const {
        RunRequest request;
        request.face = face;
        request.inputs = {picture};
        request.outputFolder = folder.File("out");
        return request;
    }

    test_support::ScopedTempFolder folder;
    ConversionSettings settings;
    std::string picture;
};

TEST_F(RunPreparationTest, BothFacesRefuseOutOfRangeColourValuesWithTheirOwnMessage) {
    settings.DoImageColorCorrection = 1;
    struct Case {
        const char* name;
        void (*set)(ConversionSettings&);
        RunFault fault;
        const char* console;
    };
    const std::vector<Case> cases = {
        {"brightness", [](ConversionSettings& s) { s.ImageBrightness = 500; },
         RunFault::InvalidBrightness, "Error: Invalid brightness value"},
        {"contrast", [](ConversionSettings& s) { s.ImageContrast = -500; },
         RunFault::InvalidContrast, "Error: Invalid contrast value"},
        {"gamma 0", [](ConversionSettings& s) { s.ImageGamma = 0.0f; }, RunFault::InvalidGamma,
         "Error: Invalid gamma value"},
        {"gamma 50", [](ConversionSettings& s) { s.ImageGamma = 50.0f; }, RunFault::InvalidGamma,
         "Error: Invalid gamma value"},
    };
    for (const Case& c : cases) {
        ConversionSettings s = settings;
        c.set(s);
        for (RunFace face : {RunFace::Console, RunFace::Desktop}) {
            const Result<PreparedRun> prepared = PrepareRun(s, Request(face), RunReport());
            ASSERT_FALSE(prepared.ok()) << c.name;
            EXPECT_EQ(prepared.fault().fault, c.fault) << c.name;
            EXPECT_EQ(ConsoleErrorLine(prepared.fault()), c.console) << c.name;
            // The desktop's message is a text of its own, never the one that
            // asks to fill in the fields.
            const std::string key = MessageKey(c.fault);
            EXPECT_NE(key, "Empty extensions") << c.name;
            EXPECT_TRUE(HasMessage(key)) << c.name;
            EXPECT_NE(prepared.fault().detail.find(" (from "), std::string::npos) << c.name;
        }
    }
}

TEST_F(RunPreparationTest, TheDesktopNeedsAFileAndAnOutputFolderTheConsoleCanDoWithout) {
    RunRequest desktop = Request(RunFace::Desktop);
    desktop.outputFolder.clear();
    EXPECT_EQ(PrepareRun(settings, desktop, RunReport()).fault().fault,
              RunFault::EmptyOutputFolder);
    desktop.inputs = {folder.File("missing.hdr")};
    EXPECT_EQ(PrepareRun(settings, desktop, RunReport()).fault().fault,
              RunFault::EmptyInputFiles);

    // The console takes the input's own folder.
    RunRequest console = Request(RunFace::Console);
    console.outputFolder.clear();
    const Result<PreparedRun> prepared = PrepareRun(settings, console, RunReport());
    ASSERT_TRUE(prepared.ok());
    EXPECT_EQ(prepared.value().outputFolder, folder.Path());
    console.inputs = {folder.File("missing.hdr")};
    EXPECT_EQ(PrepareRun(settings, console, RunReport()).fault().fault,
              RunFault::InvalidInputFile);
}

TEST_F(RunPreparationTest, ReportsInTheConsolesOrderAndStopsAtTheFirstFault) {
    settings.DoImageResize = 1;
    settings.ImageWidth = 20;
    settings.ImageHeight = 0;
    Captured captured;
    const Result<PreparedRun> prepared =
        PrepareRun(settings, Request(RunFace::Console), captured.Report());
    EXPECT_EQ(prepared.fault().fault, RunFault::InvalidHeight);
    ASSERT_GE(captured.lines.size(), 5u);
    EXPECT_EQ(captured.lines[0], "Input: " + picture);
    EXPECT_EQ(captured.lines[1], "Output: " + folder.File("out"));
    EXPECT_EQ(captured.lines[2], "Conversion: jpg");
    EXPECT_EQ(captured.lines[3], "JPG BPP: 0");
    // Nothing after the height's line.
    EXPECT_EQ(captured.lines.back().rfind("Height: ", 0), 0u) << captured.lines.back();
}

TEST_F(RunPreparationTest, APreparedJobHoldsItsQueueTargetFontAndNumbers) {
    settings.DoWatermark = 1;
    settings.Text = "%filename%";
    RunRequest request = Request(RunFace::Console);
    request.inputs.push_back(folder.Path());  // a folder too: a batch
    request.firstFileNumber = 7;
    request.randomNumber = 4242;
    request.jobs = 2;
    const Result<PreparedRun> prepared = PrepareRun(settings, request, RunReport());
    ASSERT_TRUE(prepared.ok()) << ConsoleErrorLine(prepared.fault());
    const ConversionJob& job = prepared.value().job;
    EXPECT_TRUE(prepared.value().batch);
    ASSERT_EQ(job.queue.size(), 1u);  // named twice, queued once
    EXPECT_EQ(job.queue[0].path, picture);
    ASSERT_NE(job.font, nullptr);
    EXPECT_EQ(job.target.outputFolder, folder.File("out/"));
    EXPECT_EQ(job.firstFileNumber, 7);
    EXPECT_EQ(job.randomNumber, 4242);
    EXPECT_EQ(job.cores, 2);
    EXPECT_EQ(job.settings.Text, "%filename%");
}

}  // namespace
}  // namespace orvex
