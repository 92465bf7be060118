// The run API as a desktop drives it: a run on its own thread with its own
// copy of the settings, an observer collecting results, and a stop in the
// middle of a large picture.
#include "run/conversion_run.h"

#include <gtest/gtest.h>

#include <FreeImage.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <vector>

#include "console/option_table.h"
#include "run/conversion_chain.h"
#include "settings/file_context.h"
#include "support/hdr_writer.h"

namespace orvex {
namespace {

using test_support::Rgb;

struct Collector : ConversionObserver {
    void FileStarted(int32_t, const std::string&) override { ++started; }
    void StepDone(int32_t, ChainStep step) override {
        if (onStep) onStep(step);
    }
    void FileFinished(const FileResult& result) override {
        std::lock_guard<std::mutex> lock(mutex);
        results.push_back(result);
    }
    std::atomic<int> started{0};
    std::function<void(ChainStep)> onStep;
    std::mutex mutex;
    std::vector<FileResult> results;
};

size_t FilesIn(const std::string& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

class ConversionRunTest : public ::testing::Test {
protected:
    ConversionRunTest() : folder("run") {
        output = folder.File("out/");
        std::filesystem::create_directories(output);
    }

    std::string Picture(const std::string& name, int width, int height) {
        const std::string path = folder.File(name);
        EXPECT_TRUE(test_support::WriteHdrWithFreeImage(path, width, height, [=](int x, int y) {
            return Rgb{static_cast<float>(x) / static_cast<float>(width),
                       static_cast<float>(y) / static_cast<float>(height), 0.3f};
        }));
        return path;
    }

    ConversionJob Job(const ConversionSettings& settings) const {
        ConversionJob job;
        job.settings = settings;
        job.target = MakeSaveTarget("jpg", settings, output);
        return job;
    }

    test_support::ScopedTempFolder folder;
    std::string output;
};

TEST_F(ConversionRunTest, TheRunKeepsItsOwnSettingsWhileTheCallerEditsHis) {
    ConversionSettings mine;
    ResetSettingsToDefaults(mine, false);
    mine.FilenameMask = "first_%filename%.%ext%";
    ConversionJob job = Job(mine);
    job.queue = {{Picture("a.hdr", 64, 48), ""}, {folder.WriteFile("bad.hdr", "#?RADIANCE\n"), ""},
                 {Picture("c.hdr", 64, 48), ""}};

    Collector observer;
    // Hold the run at its first checkpoint so the edits happen while it is open.
    ConversionRun run(std::move(job), &observer);
    run.Hold().Hold();
    run.Start();
    ASSERT_TRUE(run.Hold().WaitUntilWorkerHolds(std::chrono::seconds(60)));
    mine.FilenameMask = "second_%filename%.%ext%";
    mine.DoImageResize = 1;
    mine.ImageWidth = 1;
    mine.ImageHeight = 1;
    run.Hold().Release();
    run.Wait();

    EXPECT_TRUE(run.Finished());
    EXPECT_EQ(run.outcome().filesConverted, 2);
    EXPECT_EQ(run.Snapshot().filesConverted, 2);
    EXPECT_TRUE(std::filesystem::exists(output + "first_a.jpg"));
    EXPECT_TRUE(std::filesystem::exists(output + "first_c.jpg"));
    EXPECT_EQ(run.job().settings.FilenameMask, "first_%filename%.%ext%");
    ASSERT_EQ(observer.results.size(), 3u);
    EXPECT_TRUE(observer.results[0].converted);
    EXPECT_FALSE(observer.results[1].converted);
    EXPECT_FALSE(observer.results[1].reason.empty());
    EXPECT_TRUE(observer.results[2].converted);
}

TEST_F(ConversionRunTest, AStopInTheMiddleOfALargePictureTakesEffectWithinOneStep) {
    ConversionSettings settings;
    ResetSettingsToDefaults(settings, false);
    ConversionJob job = Job(settings);
    job.queue = {{Picture("big.hdr", 2400, 1600), ""}, {Picture("next.hdr", 32, 32), ""}};

    Collector observer;
    ConversionRun* running = nullptr;
    std::vector<ChainStep> seen;
    observer.onStep = [&](ChainStep step) {
        seen.push_back(step);
        if (step == ChainStep::Resize) running->RequestStop();
    };
    ConversionRun run(std::move(job), &observer);
    running = &run;
    run.Start();
    run.Wait();

    // The step after the one that saw the stop never ran.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), ChainStep::Resize);
    EXPECT_EQ(observer.started.load(), 1);
    ASSERT_EQ(observer.results.size(), 1u);
    EXPECT_TRUE(observer.results[0].stopped);
    EXPECT_FALSE(observer.results[0].converted);
    EXPECT_EQ(run.outcome().filesConverted, 0);
    EXPECT_EQ(FilesIn(output), 0u);  // no picture and no temporary file
}

TEST_F(ConversionRunTest, DestroyingARunningRunStopsAndJoinsIt) {
    ConversionSettings settings;
    ResetSettingsToDefaults(settings, false);
    ConversionJob job = Job(settings);
    for (int i = 0; i < 20; ++i) job.queue.push_back({Picture(std::to_string(i) + ".hdr", 200, 200), ""});
    {
        ConversionRun run(std::move(job));
        run.Start();
    }
    EXPECT_LT(FilesIn(output), 20u);
}

TEST(QueueInputFile, ListFilesAndUnacceptedTypesAreNotQueued) {
    test_support::ScopedTempFolder folder("queue");
    const std::string picture = folder.WriteFile("a.HDR", "#?RADIANCE\n");
    EXPECT_EQ(QueueInputFile(picture).size(), 1u);
    EXPECT_TRUE(QueueInputFile(folder.WriteFile("list.txt", "a.hdr\n")).empty());
    EXPECT_TRUE(QueueInputFile(folder.WriteFile("list.LST", "a.hdr\n")).empty());
    EXPECT_TRUE(QueueInputFile(folder.WriteFile("photo.png", "png")).empty());
    EXPECT_EQ(CheckInputFile(folder.File("missing.hdr")).fault, RunFault::InvalidInputFile);
    EXPECT_EQ(CheckInputFile(folder.WriteFile("empty.hdr", "")).fault, RunFault::InvalidInputFile);
    EXPECT_EQ(CheckInputFile(folder.Path()).fault, RunFault::InvalidInputFile);
    EXPECT_TRUE(CheckInputFile(picture).ok());
}

// One option followed from its row of the option table to the pixels: the
// greyscale switch turns a red picture grey.
TEST_F(ConversionRunTest, TheGreyscaleOptionReachesThePixels) {
    const LongOption* row = FindCommandLineOption("--GREYSCALE");
    ASSERT_NE(row, nullptr);
    ConversionSettings settings;
    ResetSettingsToDefaults(settings, true);
    FileContext file;
    file.InputPath = folder.File("red.hdr");
    ASSERT_TRUE(test_support::WriteHdrWithFreeImage(file.InputPath, 16, 16, [](int, int) {
        return Rgb{0.9f, 0.05f, 0.05f};
    }));

    auto centre = [&](const ConversionSettings& s) {
        FileContext context = file;
        context.AutoBitDepth = 1;
        context.OutputExtension = "jpg";
        Bitmap image =
            std::move(ProcessImage(std::move(LoadChainInput(context).value()), s, context, nullptr)
                          .value());
        EXPECT_TRUE(image);
        RGBQUAD pixel{};
        FreeImage_GetPixelColor(image.get(), 8, 8, &pixel);
        return pixel;
    };
    const RGBQUAD before = centre(settings);
    EXPECT_GT(before.rgbRed, before.rgbGreen + 50);

    ApplyLongOption(*row, "", settings);
    EXPECT_EQ(settings.DoImageGreyscale, 1);
    const RGBQUAD after = centre(settings);
    EXPECT_EQ(after.rgbRed, after.rgbGreen);
    EXPECT_EQ(after.rgbGreen, after.rgbBlue);
}

}  // namespace
}  // namespace orvex
