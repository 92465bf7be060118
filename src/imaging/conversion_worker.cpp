// The worker loop: orders the files, publishes progress, tells its observer
// what became of each file, and stamps each output file's modification time.
#include "imaging/conversion_worker.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include <algorithm>

#include "formats/image_io.h"
#include "settings/file_context.h"
#include "settings/project_state.h"

namespace orvex {
namespace {

constexpr int kTimestampOriginal = 1;
constexpr int kTimestampCustom = 2;
constexpr int64_t kShortestReportedMillis = 1000;

// A Date counts local calendar seconds; the file system wants UTC. Reading
// the Date's fields as if they were UTC and handing them to mktime as local
// time gives the UTC moment whose local calendar value is that Date.
bool LocalDateToUtc(Date date, std::time_t& utc) {
    const std::time_t fields = date;
    std::tm broken{};
    if (!gmtime_r(&fields, &broken)) return false;
    broken.tm_isdst = -1;
    utc = std::mktime(&broken);
    return utc != static_cast<std::time_t>(-1);
}

// The output's modification time per FileTimestamp; failures are ignored, the
// file is written either way.
void ApplyFileTimestamp(const ConversionSettings& settings, const std::string& inputPath,
                        const std::string& outputPath) {
    timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;  // the access time stays as it is
    if (settings.FileTimestamp == kTimestampOriginal) {
        struct stat input {};
        if (::stat(inputPath.c_str(), &input) != 0) return;
        times[1] = input.st_mtim;
    } else if (settings.FileTimestamp == kTimestampCustom) {
        std::time_t utc = 0;
        if (!LocalDateToUtc(settings.CustomTimestamp, utc)) return;
        times[1].tv_sec = utc;
        times[1].tv_nsec = 0;
    } else {
        return;
    }
    ::utimensat(AT_FDCWD, outputPath.c_str(), times, 0);
}

}  // namespace

void WorkerHold::Hold() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held = true;
}

void WorkerHold::Release() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = false;
    }
    m_changed.notify_all();
}

bool WorkerHold::IsHeld() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_held;
}

void WorkerHold::WaitWhileHeld() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_held) return;
    ++m_waiting;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_held; });
    --m_waiting;
}

bool WorkerHold::WaitUntilWorkerHolds(std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_waiting > 0; });
}

WorkerOutcome ConversionWorker(const ConversionJob& job, WorkerControl& control,
                               ConversionObserver* observer) {
    ConversionObserver silent;
    ConversionObserver& events = observer ? *observer : silent;
    ProgressState& progress = control.progress;

    WorkerOutcome outcome;
    outcome.nextFileNumber = job.firstFileNumber;
    outcome.nextRandomNumber = job.randomNumber;
    int64_t lastMillis = 0;
    int32_t index = 0;
    for (const QueuedFile& entry : job.queue) {
        control.hold.WaitWhileHeld();
        if (progress.KeepRunning.load() == 0) break;

        ++index;
        {
            std::lock_guard<std::mutex> lock(control.progressLock);
            progress.FilesStarted = index;
            progress.CurrentFile = entry.path;
            progress.LastFileMillis = lastMillis;
        }
        events.FileStarted(index, entry.path);

        FileContext file;
        file.InputPath = entry.path;
        file.InputSubfolder = entry.subfolder;
        file.OutputFolder = job.target.outputFolder;
        file.OutputExtension = job.target.outputExtension;
        file.OutputFormatId = job.target.formatId;
        file.OutputBitDepth = job.target.bitDepth;
        file.SaveFlags = job.target.saveFlags;
        file.AutoBitDepth = job.target.automaticDepth() ? 1 : 0;
        file.RandomNumber = outcome.nextRandomNumber;
        file.FileCounter = outcome.nextFileNumber;

        // Every step ends at a checkpoint: the worker holds still there while
        // held (never under the progress lock) and gives up the file when the
        // run was stopped.
        bool stopped = false;
        const StepCheckpoint checkpoint = [&](ChainStep step) {
            events.StepDone(index, step);
            control.hold.WaitWhileHeld();
            if (progress.KeepRunning.load() == 0) stopped = true;
            return !stopped;
        };

        FileResult result;
        result.index = index;
        result.inputPath = entry.path;
        const auto begin = std::chrono::steady_clock::now();
        {
            FreeImageMessageScope scope([&result](const std::string& message) {
                result.libraryMessages.push_back(message);
            });
            result.converted = ConvertCurrentFile(job.settings, file, job.font.get(), checkpoint,
                                                  &result.reason);
        }
        result.millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - begin)
                            .count();
        result.stopped = stopped;

        if (result.converted) {
            result.reason.clear();
            result.outputPath = file.OutputPath;
            events.StepDone(index, ChainStep::Save);
            ++outcome.filesConverted;
            lastMillis = std::max<int64_t>(result.millis, kShortestReportedMillis);
            // A failed file does not use up a number.
            outcome.nextRandomNumber = DrawRandomNumber();
            ++outcome.nextFileNumber;
            ApplyFileTimestamp(job.settings, entry.path, file.OutputPath);
        } else {
            lastMillis = 0;
        }
        events.FileFinished(result);
    }

    {
        std::lock_guard<std::mutex> lock(control.progressLock);
        progress.FilesConverted = outcome.filesConverted;
    }
    return outcome;
}

}  // namespace orvex
