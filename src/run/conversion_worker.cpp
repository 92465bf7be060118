// The worker loop: orders the files, publishes progress, tells its observer
// what became of each file, and stamps each output file's modification time.
#include "run/conversion_worker.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include <algorithm>
#include <memory>
#include <optional>

#include <tbb/parallel_pipeline.h>

#include "formats/bitmap.h"
#include "formats/image_io.h"
#include "run/output_names.h"
#include "run/run_resources.h"
#include "run/skip_existing.h"
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

FileContext FileContextFor(const ConversionJob& job, const QueuedFile& entry, int32_t fileNumber,
                           int32_t randomNumber) {
    FileContext file;
    file.InputPath = entry.path;
    file.InputSubfolder = entry.subfolder;
    file.OutputFolder = job.target.outputFolder;
    file.OutputExtension = job.target.outputExtension;
    file.OutputFormatId = job.target.formatId;
    file.OutputBitDepth = job.target.bitDepth;
    file.SaveFlags = job.target.saveFlags;
    file.AutoBitDepth = job.target.automaticDepth() ? 1 : 0;
    file.RandomNumber = randomNumber;
    file.FileCounter = fileNumber;
    file.SequenceLargestLuminance = entry.sequenceLargestLuminance;
    file.SequenceLogAverageLuminance = entry.sequenceLogAverageLuminance;
    return file;
}

namespace {

// "%n%" of a file: its position in the whole list when the job numbers by
// position, otherwise the next number of the files converted so far.
int32_t FileNumberOf(const ConversionJob& job, const QueuedFile& entry,
                     const WorkerOutcome& outcome) {
    return entry.listPosition >= 0 ? job.firstFileNumber + entry.listPosition
                                   : outcome.nextFileNumber;
}

int64_t MillisSince(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 begin)
        .count();
}

// A text watermark showing "%n%" or "%rnd%" is drawn before the file's
// number is known in a run of several at once (it depends on whether the
// files before it converted), so such a run converts one file after another.
bool WatermarkShowsNumbers(const ConversionSettings& settings) {
    return settings.DoWatermark == 1 && (settings.Text.find("%n%") != std::string::npos ||
                                         settings.Text.find("%rnd%") != std::string::npos);
}

// What a run starts from: no file converted, the job's first numbers.
WorkerOutcome StartingOutcome(const ConversionJob& job) {
    WorkerOutcome outcome;
    outcome.nextFileNumber = job.firstFileNumber;
    outcome.nextRandomNumber = job.randomNumber;
    return outcome;
}

// Publishes that file `index` has begun, with the previous file's duration.
void PublishStart(WorkerControl& control, int32_t index, const std::string& path,
                  int64_t lastMillis) {
    std::lock_guard<std::mutex> lock(control.progressLock);
    control.progress.FilesStarted = index;
    control.progress.CurrentFile = path;
    control.progress.LastFileMillis = lastMillis;
}

void PublishConverted(WorkerControl& control, int32_t converted) {
    std::lock_guard<std::mutex> lock(control.progressLock);
    control.progress.FilesConverted = converted;
}

// Every step of file `index` ends at this checkpoint: the worker tells the
// observer, holds still there while held (never under the progress lock) and
// gives up the file, setting `stopped`, when the run was stopped.
StepCheckpoint CheckpointFor(WorkerControl& control, ConversionObserver& events, int32_t index,
                             bool& stopped) {
    return [&control, &events, index, &stopped](ChainStep step) {
        events.StepDone(index, step);
        control.hold.WaitWhileHeld();
        if (control.progress.KeepRunning.load() == 0) stopped = true;
        return !stopped;
    };
}

// Ends a file in queue order: a converted one takes the next number, gets its
// time stamp and counts; either way the observer hears of it. Returns the
// duration the progress record shows for it (0 after a failure).
int64_t FinishFile(const ConversionJob& job, const FileContext& file, FileResult& result,
                   WorkerOutcome& outcome, ConversionObserver& events) {
    int64_t shown = 0;
    result.inputWidth = file.SourceWidth;
    result.inputHeight = file.SourceHeight;
    if (result.converted) {
        result.outputWidth = file.FinalWidth;
        result.outputHeight = file.FinalHeight;
        result.reason.clear();
        result.outputPath = file.OutputPath;
        result.note = file.GainMapNote;
        events.StepDone(result.index, ChainStep::Save);
        ++outcome.filesConverted;
        shown = std::max<int64_t>(result.millis, kShortestReportedMillis);
        // A failed file does not use up a number.
        outcome.nextRandomNumber = DrawRandomNumber();
        ++outcome.nextFileNumber;
        ApplyFileTimestamp(job.settings, file.InputPath, file.OutputPath);
    }
    events.FileFinished(result);
    return shown;
}

// One file on its way through the three stages of a run of several at once.
struct FileWork {
    int32_t index = 0;
    const QueuedFile* entry = nullptr;
    FileContext file;
    // The processed picture, already written into memory by its writer (or
    // the writer's reason): the ordered stage then only names and stores it.
    std::optional<Result<std::string>> output;
    FileResult result;
    std::chrono::steady_clock::time_point begin;
    bool stopped = false;
    bool skipped = false;  // its output is there already: nothing to do
};

// Several files at once: a serial stage hands out the queue in order, the
// middle stage loads, processes and encodes files side by side, and a serial
// stage in queue order names, stores and reports them, so the numbers a mask
// shows and the observer's file events are those of a run one file after
// another. The encoding (the JPEG writer's work) is done side by side too:
// it does not depend on the file's name, and done in the ordered stage it
// would hold up every file behind it.
WorkerOutcome ConvertSideBySide(const ConversionJob& job, RunResources& resources,
                                WorkerControl& control, ConversionObserver& events,
                                RunOutputs& outputs) {
    ProgressState& progress = control.progress;
    WorkerOutcome outcome = StartingOutcome(job);
    int64_t lastMillis = 0;
    size_t next = 0;

    tbb::parallel_pipeline(
        static_cast<size_t>(std::max(1, job.filesAtOnce)),
        tbb::make_filter<void, std::shared_ptr<FileWork>>(
            tbb::filter_mode::serial_in_order,
            [&](tbb::flow_control& flow) -> std::shared_ptr<FileWork> {
                control.hold.WaitWhileHeld();
                if (next >= job.queue.size() || progress.KeepRunning.load() == 0) {
                    flow.stop();
                    return nullptr;
                }
                auto work = std::make_shared<FileWork>();
                work->entry = &job.queue[next];
                work->index = static_cast<int32_t>(++next);
                if (next == job.queue.size()) resources.pixels()->StopKeeping();
                work->result.index = work->index;
                work->result.inputPath = work->entry->path;
                if (job.skipExisting) {
                    // Resumed runs number by position, so the name is known
                    // here without the naming stage's numbers.
                    const int32_t position = work->entry->listPosition;
                    FileContext named = FileContextFor(
                        job, *work->entry, position >= 0 ? job.firstFileNumber + position : 0, 0);
                    work->skipped = SkipIfOutputIsCurrent(job.settings, named, work->result);
                }
                return work;
            }) &
            tbb::make_filter<std::shared_ptr<FileWork>, std::shared_ptr<FileWork>>(
                tbb::filter_mode::parallel,
                [&](std::shared_ptr<FileWork> work) {
                    // The numbers are not known yet; the naming stage sets them.
                    work->file = FileContextFor(job, *work->entry, 0, 0);
                    if (work->skipped) return work;
                    work->begin = std::chrono::steady_clock::now();
                    if (!work->entry->failure.empty()) {
                        work->result.reason = work->entry->failure;
                        return work;
                    }
                    FreeImageMessageScope scope([&work](const std::string& message) {
                        work->result.libraryMessages.push_back(message);
                    });
                    Result<Bitmap> image = LoadAndProcess(
                        job.settings, work->file, &resources,
                        CheckpointFor(control, events, work->index, work->stopped));
                    if (image.ok()) {
                        work->output = EncodeChainOutput(std::move(image.value()), work->file);
                    } else {
                        work->result.reason = image.reason();
                    }
                    return work;
                }) &
            tbb::make_filter<std::shared_ptr<FileWork>, void>(
                tbb::filter_mode::serial_in_order, [&](std::shared_ptr<FileWork> work) {
                    PublishStart(control, work->index, work->entry->path, lastMillis);
                    events.FileStarted(work->index, work->entry->path);
                    FileResult& result = work->result;
                    if (work->output) {
                        work->file.FileCounter = FileNumberOf(job, *work->entry, outcome);
                        work->file.RandomNumber = outcome.nextRandomNumber;
                        FreeImageMessageScope scope([&result](const std::string& message) {
                            result.libraryMessages.push_back(message);
                        });
                        const RunCheck saved = SaveEncodedChainOutput(
                            *work->output, job.settings, work->file,
                            CheckpointFor(control, events, work->index, work->stopped),
                            &outputs);
                        result.converted = saved.ok();
                        result.reason = saved.detail;
                        work->output.reset();
                    }
                    result.millis = work->skipped ? 0 : MillisSince(work->begin);
                    result.stopped = work->stopped;
                    lastMillis = FinishFile(job, work->file, result, outcome, events);
                }));

    PublishConverted(control, outcome.filesConverted);
    return outcome;
}

// One file after another.
WorkerOutcome ConvertInTurn(const ConversionJob& job, RunResources& resources,
                            WorkerControl& control, ConversionObserver& events,
                            RunOutputs& outputs) {
    ProgressState& progress = control.progress;

    WorkerOutcome outcome = StartingOutcome(job);
    int64_t lastMillis = 0;
    int32_t index = 0;
    for (const QueuedFile& entry : job.queue) {
        control.hold.WaitWhileHeld();
        if (progress.KeepRunning.load() == 0) break;

        ++index;
        if (static_cast<size_t>(index) == job.queue.size()) resources.pixels()->StopKeeping();
        PublishStart(control, index, entry.path, lastMillis);
        events.FileStarted(index, entry.path);

        FileContext file = FileContextFor(job, entry, FileNumberOf(job, entry, outcome),
                                          outcome.nextRandomNumber);

        bool stopped = false;
        const StepCheckpoint checkpoint = CheckpointFor(control, events, index, stopped);

        FileResult result;
        result.index = index;
        result.inputPath = entry.path;
        if (job.skipExisting && SkipIfOutputIsCurrent(job.settings, file, result)) {
            lastMillis = FinishFile(job, file, result, outcome, events);
            continue;
        }
        const auto begin = std::chrono::steady_clock::now();
        if (!entry.failure.empty()) {
            result.reason = entry.failure;
        } else {
            FreeImageMessageScope scope([&result](const std::string& message) {
                result.libraryMessages.push_back(message);
            });
            const RunCheck converted =
                ConvertCurrentFile(job.settings, file, &resources, checkpoint, &outputs);
            result.converted = converted.ok();
            result.reason = converted.detail;
        }
        result.millis = MillisSince(begin);
        result.stopped = stopped;

        lastMillis = FinishFile(job, file, result, outcome, events);
    }

    PublishConverted(control, outcome.filesConverted);
    return outcome;
}

}  // namespace

WorkerOutcome ConversionWorker(const ConversionJob& job, RunResources& resources,
                               WorkerControl& control, ConversionObserver* observer) {
    ConversionObserver silent;
    ConversionObserver& events = observer ? *observer : silent;
    // The pixel memory kept from picture to picture goes back when the run
    // ends, and the pool keeps again for a next run with these resources.
    struct KeptPixelsRelease {
        PixelPool& pool;
        ~KeptPixelsRelease() { pool.Release(); }
    } keptPixelsRelease{*resources.pixels()};
    // No file of the run writes over another's output or over an input.
    RunOutputs outputs(job.queue);
    // Every parallel loop of the run, the chain's own included, runs in the
    // run's arena and so on at most its cores.
    WorkerOutcome outcome;
    resources.Run([&] {
        outcome = job.filesAtOnce > 1 && job.queue.size() > 1 && !WatermarkShowsNumbers(job.settings)
                      ? ConvertSideBySide(job, resources, control, events, outputs)
                      : ConvertInTurn(job, resources, control, events, outputs);
    });
    return outcome;
}

}  // namespace orvex
