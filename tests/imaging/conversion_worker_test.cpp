// The worker loop over real files: numbering, progress, stopping, holding,
// debug lines and output time stamps.
#include "imaging/conversion_worker.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>
#include <vector>

#include "imaging_test_support.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "support/hdr_writer.h"
#include "support/scoped_env.h"

namespace orvex {
namespace {

using test_support::Rgb;

class WorkerTest : public ::testing::Test {
protected:
    WorkerTest()
        : folder("worker"), job{settings,     project, queue,   progress,
                                progressLock, nullptr, nullptr, {}} {
        test::PrepareJpegOutput(project, folder.File("out/"));
        job.printLine = [this](const std::string& line) {
            lines.push_back(line);
            if (onLine) onLine(line);
        };
    }

    // Queues a small picture (or, when `broken`, a file that is no picture).
    std::string Queue(const std::string& name, bool broken = false,
                      const std::string& subfolder = "") {
        const std::string path = folder.File(name);
        if (broken) {
            EXPECT_TRUE(test_support::WriteFileBytes(path, "#?RADIANCE\ngarbage"));
        } else {
            EXPECT_TRUE(test_support::WriteHdrWithFreeImage(path, 24, 16, [](int x, int) {
                return Rgb{x / 24.0f, 0.5f, 0.25f};
            }));
        }
        queue[path].subfolder = subfolder;
        return path;
    }

    std::string Out(const std::string& name) const { return project.OutputFolder + name; }

    void Debug() {
        project.CommandLineInput = 1;
        project.RunMode = "DEBUG";
    }

    test_support::ScopedTempFolder folder;
    ConversionSettings settings;
    ProjectState project;
    FileQueue queue;
    ProgressState progress;
    std::mutex progressLock;
    ConversionJob job;
    std::vector<std::string> lines;
    std::function<void(const std::string&)> onLine;
};

TEST_F(WorkerTest, AnEmptyQueuePublishesNothingAndConvertsNothing) {
    EXPECT_EQ(ConversionWorker(job), 0);
    EXPECT_EQ(progress.FilesStarted, 0);
    EXPECT_EQ(progress.FilesConverted, 0);
    EXPECT_EQ(progress.CurrentFile, "");
}

TEST_F(WorkerTest, NumbersOnlyConvertedFilesThroughTheMask) {
    Queue("a.hdr");
    Queue("b.hdr", true);
    const std::string last = Queue("c.hdr");
    settings.FilenameMask = "Shot_%FILENAME%_%n%.%ext%";
    ConversionWorker(job);
    EXPECT_TRUE(std::filesystem::exists(Out("shot_a_00001.jpg")));
    EXPECT_TRUE(std::filesystem::exists(Out("shot_c_00002.jpg")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(project.OutputFolder),
                            std::filesystem::directory_iterator()),
              2);
    EXPECT_EQ(project.FileCounter, 3);
    EXPECT_EQ(progress.FilesStarted, 3);
    EXPECT_EQ(progress.FilesConverted, 2);
    EXPECT_EQ(progress.CurrentFile, last);
    EXPECT_TRUE(lines.empty());  // no debug lines outside a console debug run
}

TEST_F(WorkerTest, LastFileMillisIsAtLeastASecondAfterAConvertedFileAndZeroAfterAFailure) {
    Queue("a.hdr");
    Queue("b.hdr", true);
    ConversionWorker(job);
    EXPECT_EQ(progress.LastFileMillis, 1000);  // published when b started

    Queue("c.hdr");
    progress.FilesConverted = 0;
    ConversionWorker(job);
    EXPECT_EQ(progress.LastFileMillis, 0);  // published when c started, after b failed
    EXPECT_EQ(progress.FilesConverted, 2);
}

TEST_F(WorkerTest, DebugRunPrintsTheFileLinesAndTheOutcome) {
    const std::string good = Queue("a.hdr");
    const std::string bad = Queue("b.hdr", true);
    Debug();
    ConversionWorker(job);
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[0], "Processing: " + good);
    EXPECT_EQ(lines[1].rfind("File Format: ", 0), 0u);
    EXPECT_EQ(lines[2], "[OK] Saving As: " + Out("a.jpg"));
    EXPECT_EQ(lines[3], "Processing: " + bad);
    EXPECT_EQ(lines[4].rfind("File Format: ", 0), 0u);
    EXPECT_EQ(lines[5].rfind("[ERROR] ", 0), 0u);  // the reason
    EXPECT_EQ(lines.back(), "[ERROR] Unable to convert the file!");

    // Debug mode is for console runs only.
    lines.clear();
    project.CommandLineInput = 0;
    ConversionWorker(job);
    EXPECT_TRUE(lines.empty());
}

TEST_F(WorkerTest, StoppingDuringAFileLetsItFinishAndStartsNoOther) {
    const std::string first = Queue("a.hdr");
    Queue("b.hdr");
    Debug();
    onLine = [&](const std::string& line) {
        if (line == "Processing: " + first) {
            std::lock_guard<std::mutex> lock(progressLock);
            progress.KeepRunning = 0;
        }
    };
    ConversionWorker(job);
    EXPECT_TRUE(std::filesystem::exists(Out("a.jpg")));
    EXPECT_FALSE(std::filesystem::exists(Out("b.jpg")));
    EXPECT_EQ(progress.FilesStarted, 1);
    EXPECT_EQ(progress.FilesConverted, 1);
}

TEST_F(WorkerTest, AHeldWorkerWaitsWithoutTheLockUntilReleased) {
    const std::string first = Queue("a.hdr");
    Queue("b.hdr");
    WorkerHold hold;
    job.hold = &hold;
    Debug();
    // Hold as soon as the first file has started: the worker stops at the
    // next step of that file.
    onLine = [&](const std::string& line) {
        if (line == "Processing: " + first) hold.Hold();
    };
    std::thread worker([this] { ConversionWorker(job); });
    ASSERT_TRUE(hold.WaitUntilWorkerHolds(std::chrono::seconds(60)));
    EXPECT_TRUE(hold.IsHeld());
    {
        std::unique_lock<std::mutex> lock(progressLock, std::try_to_lock);
        EXPECT_TRUE(lock.owns_lock());
        EXPECT_EQ(progress.FilesStarted, 1);
    }
    EXPECT_FALSE(std::filesystem::exists(Out("a.jpg")));
    EXPECT_FALSE(std::filesystem::exists(Out("b.jpg")));
    onLine = nullptr;
    hold.Release();
    worker.join();
    EXPECT_EQ(progress.FilesStarted, 2);
    EXPECT_EQ(progress.FilesConverted, 2);
    EXPECT_TRUE(std::filesystem::exists(Out("b.jpg")));
}

TEST_F(WorkerTest, AHoldBeforeTheFirstFileKeepsItFromStarting) {
    Queue("a.hdr");
    WorkerHold hold;
    hold.Hold();
    job.hold = &hold;
    std::thread worker([this] { ConversionWorker(job); });
    ASSERT_TRUE(hold.WaitUntilWorkerHolds(std::chrono::seconds(60)));
    {
        std::lock_guard<std::mutex> lock(progressLock);
        EXPECT_EQ(progress.FilesStarted, 0);
        progress.KeepRunning = 0;  // the user chose to stop while it was held
    }
    hold.Release();
    worker.join();
    EXPECT_EQ(progress.FilesStarted, 0);
    EXPECT_EQ(progress.FilesConverted, 0);
}

TEST_F(WorkerTest, SubfolderOfTheQueueEntryIsKept) {
    Queue("a.hdr", false, "sub/");
    ConversionWorker(job);
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
    settings.FileTimestamp = 1;
    ConversionWorker(job);
    const timespec output = ModificationTime(Out("a.jpg"));
    EXPECT_EQ(output.tv_sec, 981173106);
    EXPECT_EQ(output.tv_nsec, 123456789);
}

TEST_F(WorkerTest, CurrentTimestampLeavesTheTimeOfWriting) {
    Queue("a.hdr");
    settings.FileTimestamp = 0;
    const std::time_t before = std::time(nullptr);
    ConversionWorker(job);
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
    settings.FileTimestamp = 2;
    settings.CustomTimestamp = static_cast<Date>(summerUtc - 4 * 3600);
    ConversionWorker(job);
    EXPECT_EQ(ModificationTime(Out("a.jpg")).tv_sec, summerUtc);
    EXPECT_EQ(ModificationTime(Out("b.jpg")).tv_nsec, 0);

    const std::time_t winterUtc = 1577966400;  // 2020-01-02 12:00:00 UTC
    settings.CustomTimestamp = static_cast<Date>(winterUtc - 5 * 3600);
    ConversionWorker(job);
    EXPECT_EQ(ModificationTime(Out("a.jpg")).tv_sec, winterUtc);
}

}  // namespace
}  // namespace orvex
