// The worker loop over real files: numbering, progress, results, stopping,
// holding and output time stamps.
#include "run/conversion_worker.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>
#include <vector>

#include "imaging/imaging_test_support.h"
#include "run/run_resources.h"
#include "settings/conversion_settings.h"
#include "support/hdr_writer.h"
#include "support/scoped_env.h"

namespace orvex {
namespace {

using test_support::Rgb;

// Collects what the worker reports, and lets a test act on an event.
struct Recorder : ConversionObserver {
    void FileStarted(int32_t index, const std::string& path) override {
        std::lock_guard<std::mutex> lock(mutex);
        started.push_back(path);
        if (onStart) onStart(index, path);
    }
    void StepDone(int32_t index, ChainStep step) override {
        std::lock_guard<std::mutex> lock(mutex);
        steps.push_back(step);
        if (onStep) onStep(index, step);
    }
    void FileFinished(const FileResult& result) override {
        std::lock_guard<std::mutex> lock(mutex);
        results.push_back(result);
    }
    std::mutex mutex;
    std::vector<std::string> started;
    std::vector<ChainStep> steps;
    std::vector<FileResult> results;
    std::function<void(int32_t, const std::string&)> onStart;
    std::function<void(int32_t, ChainStep)> onStep;
};

class WorkerTest : public ::testing::Test {
protected:
    WorkerTest() : folder("worker") {
        outputFolder = folder.File("out/");
        std::filesystem::create_directories(outputFolder);
        job.target = MakeSaveTarget("jpg", job.settings, outputFolder);
    }

    // Queues a small picture (or, when `broken`, a file that is no picture).
    std::string Queue(const std::string& name, bool broken = false,
                      const std::string& subfolder = "", int width = 24, int height = 16) {
        const std::string path = folder.File(name);
        if (broken) {
            EXPECT_TRUE(test_support::WriteFileBytes(path, "#?RADIANCE\ngarbage"));
        } else {
            EXPECT_TRUE(test_support::WriteHdrWithFreeImage(path, width, height, [width](int x, int) {
                return Rgb{static_cast<float>(x) / static_cast<float>(width), 0.5f, 0.25f};
            }));
        }
        job.queue.push_back(QueuedFile{path, subfolder});
        return path;
    }

    std::string Out(const std::string& name) const { return outputFolder + name; }

    size_t OutputCount() const {
        size_t count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(outputFolder)) {
            if (entry.is_regular_file()) ++count;
        }
        return count;
    }

    WorkerOutcome Run() {
        control.progress.KeepRunning = 1;
        control.progress.FilesConverted = 0;
        RunResources resources(job.settings, job.font, job.cores);
        return ConversionWorker(job, resources, control, &recorder);
    }

    test_support::ScopedTempFolder folder;
    std::string outputFolder;
    ConversionJob job;
    WorkerControl control;
    Recorder recorder;
};

TEST_F(WorkerTest, AnEmptyQueuePublishesNothingAndConvertsNothing) {
    EXPECT_EQ(Run().filesConverted, 0);
    EXPECT_EQ(control.progress.FilesStarted, 0);
    EXPECT_EQ(control.progress.FilesConverted, 0);
    EXPECT_EQ(control.progress.CurrentFile, "");
    EXPECT_TRUE(recorder.results.empty());
}

TEST_F(WorkerTest, NumbersOnlyConvertedFilesThroughTheMask) {
    Queue("a.hdr");
    Queue("b.hdr", true);
    const std::string last = Queue("c.hdr");
    job.settings.FilenameMask = "Shot_%FILENAME%_%n%.%ext%";
    const WorkerOutcome outcome = Run();
    EXPECT_TRUE(std::filesystem::exists(Out("shot_a_00001.jpg")));
    EXPECT_TRUE(std::filesystem::exists(Out("shot_c_00002.jpg")));
    EXPECT_EQ(OutputCount(), 2u);
    EXPECT_EQ(outcome.nextFileNumber, 3);
    EXPECT_EQ(control.progress.FilesStarted, 3);
    EXPECT_EQ(control.progress.FilesConverted, 2);
    EXPECT_EQ(control.progress.CurrentFile, last);
}

TEST_F(WorkerTest, EachFileEndsInAResultWithItsOutputOrItsReason) {
    const std::string good = Queue("a.hdr");
    const std::string bad = Queue("b.hdr", true);
    Run();
    ASSERT_EQ(recorder.results.size(), 2u);
    const FileResult& first = recorder.results[0];
    EXPECT_EQ(first.index, 1);
    EXPECT_EQ(first.inputPath, good);
    EXPECT_TRUE(first.converted);
    EXPECT_EQ(first.outputPath, Out("a.jpg"));
    EXPECT_TRUE(first.reason.empty());
    const FileResult& second = recorder.results[1];
    EXPECT_EQ(second.index, 2);
    EXPECT_FALSE(second.converted);
    EXPECT_FALSE(second.stopped);
    EXPECT_TRUE(second.outputPath.empty());
    EXPECT_FALSE(second.reason.empty());
    EXPECT_EQ(recorder.started, (std::vector<std::string>{good, bad}));
    // The steps of the converted file, in chain order, ending with the save.
    ASSERT_FALSE(recorder.steps.empty());
    EXPECT_EQ(recorder.steps.front(), ChainStep::Load);
    EXPECT_NE(std::find(recorder.steps.begin(), recorder.steps.end(), ChainStep::Save),
              recorder.steps.end());
}

TEST_F(WorkerTest, LastFileMillisIsAtLeastASecondAfterAConvertedFileAndZeroAfterAFailure) {
    Queue("a.hdr");
    Queue("b.hdr", true);
    Run();
    EXPECT_EQ(control.progress.LastFileMillis, 1000);  // published when b started

    Queue("c.hdr");
    Run();
    EXPECT_EQ(control.progress.LastFileMillis, 0);  // published when c started, after b failed
    EXPECT_EQ(control.progress.FilesConverted, 2);
}

TEST_F(WorkerTest, TheRunsCoresBoundEveryParallelLoopWhileItRuns) {
    const auto allowed = [] { return static_cast<size_t>(tbb::this_task_arena::max_concurrency()); };
    const size_t unbounded = allowed();
    for (const char* name : {"a.hdr", "b.hdr", "c.hdr"}) Queue(name);
    std::vector<size_t> seen;
    recorder.onStep = [&](int32_t, ChainStep) { seen.push_back(allowed()); };

    job.filesAtOnce = 2;
    job.cores = 1;
    EXPECT_EQ(Run().filesConverted, 3);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](size_t n) { return n == 1; }));
    // The bound ends with the run.
    EXPECT_EQ(allowed(), unbounded);

    seen.clear();
    job.cores = 0;
    EXPECT_EQ(Run().filesConverted, 3);
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [&](size_t n) { return n == unbounded; }));
}

TEST_F(WorkerTest, AStopDuringAFileEndsItAtTheNextStepAndLeavesNothing) {
    const std::string first = Queue("a.hdr");
    Queue("b.hdr");
    recorder.onStep = [&](int32_t, ChainStep step) {
        if (step == ChainStep::ToneMap) control.progress.KeepRunning = 0;
    };
    const WorkerOutcome outcome = Run();
    EXPECT_EQ(outcome.filesConverted, 0);
    EXPECT_EQ(OutputCount(), 0u);
    EXPECT_EQ(control.progress.FilesStarted, 1);
    ASSERT_EQ(recorder.results.size(), 1u);
    EXPECT_TRUE(recorder.results[0].stopped);
    EXPECT_EQ(recorder.results[0].reason, kStoppedReason);
    // Nothing after the step where the stop was seen.
    EXPECT_EQ(recorder.steps.back(), ChainStep::ToneMap);
}

TEST_F(WorkerTest, AHeldWorkerWaitsWithoutTheLockUntilReleased) {
    const std::string first = Queue("a.hdr");
    Queue("b.hdr");
    // Hold as soon as the first file has started: the worker stops at the
    // next step of that file.
    recorder.onStart = [&](int32_t index, const std::string&) {
        if (index == 1) control.hold.Hold();
    };
    std::thread worker([this] { Run(); });
    ASSERT_TRUE(control.hold.WaitUntilWorkerHolds(std::chrono::seconds(60)));
    EXPECT_TRUE(control.hold.IsHeld());
    {
        std::unique_lock<std::mutex> lock(control.progressLock, std::try_to_lock);
        EXPECT_TRUE(lock.owns_lock());
        EXPECT_EQ(control.progress.FilesStarted, 1);
    }
    EXPECT_FALSE(std::filesystem::exists(Out("a.jpg")));
    control.hold.Release();
    worker.join();
    EXPECT_EQ(control.progress.FilesStarted, 2);
    EXPECT_EQ(control.progress.FilesConverted, 2);
    EXPECT_TRUE(std::filesystem::exists(Out("b.jpg")));
}

TEST_F(WorkerTest, AHoldBeforeTheFirstFileKeepsItFromStarting) {
    Queue("a.hdr");
    control.hold.Hold();
    RunResources resources(job.settings, job.font, job.cores);
    std::thread worker([&] { ConversionWorker(job, resources, control, &recorder); });
    ASSERT_TRUE(control.hold.WaitUntilWorkerHolds(std::chrono::seconds(60)));
    {
        std::lock_guard<std::mutex> lock(control.progressLock);
        EXPECT_EQ(control.progress.FilesStarted, 0);
    }
    control.progress.KeepRunning = 0;  // the user chose to stop while it was held
    control.hold.Release();
    worker.join();
    EXPECT_EQ(control.progress.FilesStarted, 0);
    EXPECT_EQ(control.progress.FilesConverted, 0);
}

TEST_F(WorkerTest, SubfolderOfTheQueueEntryIsKept) {
    Queue("a.hdr", false, "sub/");
    Run();
    EXPECT_TRUE(std::filesystem::exists(Out("sub/a.jpg")));
}

timespec ModificationTime(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mtim;
}

TEST_F(WorkerTest, OriginalTimestampCopiesTheInputsModificationTime) {
    const std::string input = Queue("a.hdr");
    const timespec times[2] = {{0, UTIME_OMIT}, {981173106, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, input.c_str(), times, 0), 0);
    job.settings.FileTimestamp = 1;
    Run();
    const timespec output = ModificationTime(Out("a.jpg"));
    EXPECT_EQ(output.tv_sec, 981173106);
    EXPECT_EQ(output.tv_nsec, 123456789);
}

TEST_F(WorkerTest, CurrentTimestampLeavesTheTimeOfWriting) {
    Queue("a.hdr");
    job.settings.FileTimestamp = 0;
    const std::time_t before = std::time(nullptr);
    Run();
    EXPECT_GE(ModificationTime(Out("a.jpg")).tv_sec, before - 1);
}

// Runs the body with a time zone five hours behind UTC (with summer time), so
// that local calendar seconds and UTC differ.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : m_tz("TZ", zone) { ::tzset(); }
    ~ScopedTimeZone() {
        m_tz.Restore();
        ::tzset();
    }

private:
    test_support::ScopedEnv m_tz;
};

TEST_F(WorkerTest, CustomTimestampSetsTheGivenLocalTime) {
    ScopedTimeZone zone("EST5EDT,M3.2.0,M11.1.0");
    Queue("a.hdr");
    Queue("b.hdr");
    // 2020-05-06 07:08:09 local summer time is 11:08:09 UTC; 2020-01-02 is winter (UTC-5).
    const std::time_t summerUtc = 1588763289;
    job.settings.FileTimestamp = 2;
    job.settings.CustomTimestamp = static_cast<Date>(summerUtc - 4 * 3600);
    Run();
    EXPECT_EQ(ModificationTime(Out("a.jpg")).tv_sec, summerUtc);
    EXPECT_EQ(ModificationTime(Out("b.jpg")).tv_nsec, 0);

    const std::time_t winterUtc = 1577966400;  // 2020-01-02 12:00:00 UTC
    job.settings.CustomTimestamp = static_cast<Date>(winterUtc - 5 * 3600);
    Run();
    EXPECT_EQ(ModificationTime(Out("a.jpg")).tv_sec, winterUtc);
}

}  // namespace
}  // namespace orvex
