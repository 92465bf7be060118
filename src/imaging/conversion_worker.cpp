// The worker loop: orders the files, reports progress and the per-file debug
// lines, and stamps each output file's modification time.
#include "imaging/conversion_worker.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "formats/image_io.h"
#include "imaging/conversion_chain.h"
#include "imaging/file_type.h"
#include "settings/conversion_settings.h"
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

int ConversionWorker(ConversionJob& job) {
    ProjectState& project = job.project;
    const bool debug = project.CommandLineInput != 0 && project.RunMode == "DEBUG";
    auto print = [&job](const std::string& line) {
        if (job.printLine) {
            job.printLine(line);
        } else {
            std::fputs((line + "\n").c_str(), stdout);
        }
    };
    // The checkpoint never runs under ProgressLock.
    const std::function<void()> checkpoint = [&job] {
        if (job.hold) job.hold->WaitWhileHeld();
    };

    int32_t started = 0;
    int32_t converted = 0;
    int64_t lastMillis = 0;
    for (const auto& [path, entry] : job.queue) {
        checkpoint();
        if (job.progress.KeepRunning.load() == 0) break;  // a stop takes effect between files

        ++started;
        project.InputPath = path;
        project.InputSubfolder = entry.subfolder;
        {
            std::lock_guard<std::mutex> lock(job.progressLock);
            job.progress.FilesStarted = started;
            job.progress.CurrentFile = path;
            job.progress.LastFileMillis = lastMillis;
        }
        if (debug) {
            print("Processing: " + path);
            print("File Format: " + IdentifyFileType(path));
        }

        std::vector<std::string> messages;
        std::string reason;
        const auto begin = std::chrono::steady_clock::now();
        bool ok = false;
        {
            FreeImageMessageScope scope(
                [&messages](const std::string& message) { messages.push_back(message); });
            ok = ConvertCurrentFile(job.settings, project, job.font, checkpoint, &reason);
        }
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - begin)
                                 .count();

        if (!ok) {
            lastMillis = 0;
            if (debug) {
                if (!reason.empty()) print("[ERROR] " + reason);
                for (const std::string& message : messages) print("[ERROR] FreeImage: " + message);
                print("[ERROR] Unable to convert the file!");
            }
            continue;
        }
        if (debug) print("[OK] Saving As: " + project.OutputPath);
        ++converted;
        lastMillis = elapsed < kShortestReportedMillis ? kShortestReportedMillis : elapsed;
        // A failed file does not use up a number.
        project.RandomNumber = DrawRandomNumber();
        ++project.FileCounter;
        ApplyFileTimestamp(job.settings, path, project.OutputPath);
    }

    {
        std::lock_guard<std::mutex> lock(job.progressLock);
        job.progress.FilesConverted = converted;
    }
    return 0;
}

}  // namespace orvex
