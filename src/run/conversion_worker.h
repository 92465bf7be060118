// The conversion worker: walks its job's files, runs the chain for each and
// tells an observer what happened. It owns what it reads (a copy of the
// settings, the save target, the file list, the font), so the face that
// started it may go on editing its own records meanwhile.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "formats/output_formats.h"
#include "run/conversion_chain.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"

namespace orvex {

class RunResources;
class WatermarkFont;

// One input file of a run with its folder relative to its input root ("" or
// ending with "/"), which is kept below the output folder when sub-folders
// are kept.
struct QueuedFile {
    QueuedFile() = default;
    QueuedFile(std::string file, std::string folder = {}, std::string why = {})
        : path(std::move(file)), subfolder(std::move(folder)), failure(std::move(why)) {}

    std::string path;
    std::string subfolder;
    // Why an input named in the run cannot be converted (not a regular file,
    // empty, unreadable): the file fails with it without being opened.
    std::string failure;
    // The file's 0-based position in the whole list when its "%n%" is
    // numbered by position (a run that converts one share of a list, or
    // resumes one); -1 numbers it by the files converted before it.
    int32_t listPosition = -1;
    // The Drago statistics of the frame sequence it belongs to; 0: its own.
    float sequenceLargestLuminance = 0;
    float sequenceLogAverageLuminance = 0;
};
using FileQueue = std::vector<QueuedFile>;

// Everything one run of the worker reads; not changed while it runs.
struct ConversionJob {
    ConversionSettings settings;
    SaveTarget target;
    FileQueue queue;
    std::shared_ptr<const WatermarkFont> font;  // the text watermark's, when one is drawn
    int32_t firstFileNumber = 1;                // "%n%" of the first converted file
    int32_t randomNumber = 1;                   // "%rnd%" of the first converted file
    // How many files are converted at once (1 = one after another). Numbers,
    // names and the observer's file events stay in queue order either way.
    int32_t filesAtOnce = 1;
    // How many processor cores the run may keep busy in all, the decoding
    // and tone mapping inside each file included (0 = every core). A run
    // asked for one job on a shared machine uses one core.
    int32_t cores = 0;
    // A file whose output already exists, and is not older than the file,
    // is skipped: neither converted nor rewritten.
    bool skipExisting = false;
};

// The file context of queue entry `entry` with the job's save target and the
// numbers the file would show.
FileContext FileContextFor(const ConversionJob& job, const QueuedFile& entry, int32_t fileNumber,
                           int32_t randomNumber);

// What the worker reports of one file.
struct FileResult {
    int32_t index = 0;  // 1-based position in the queue
    std::string inputPath;
    bool converted = false;
    bool stopped = false;     // the run was stopped while this file was open
    bool skipped = false;     // its output was there already (outputPath names it)
    std::string outputPath;   // the file written (converted only)
    std::string reason;       // why it failed ("" when converted)
    std::vector<std::string> libraryMessages;  // the image library's own messages
    std::string note;  // a converted file's remark for the report ("" for none)
    int64_t millis = 0;
    int32_t inputWidth = 0;  // the picture as loaded, 0 when it was not
    int32_t inputHeight = 0;
    int32_t outputWidth = 0;  // the picture written (converted only)
    int32_t outputHeight = 0;
};

// Receives the worker's events on the worker's thread; an implementation that
// drives an interface forwards them to that interface's thread.
class ConversionObserver {
  public:
    virtual ~ConversionObserver() = default;
    virtual void FileStarted(int32_t /*index*/, const std::string& /*inputPath*/) {}
    virtual void StepDone(int32_t /*index*/, ChainStep /*step*/) {}
    virtual void FileFinished(const FileResult& /*result*/) {}
};

// Shared between the worker and its starter; every field but KeepRunning is
// written only under the run's progress lock.
struct ProgressState {
    int32_t FilesStarted = 0;
    std::string CurrentFile;
    int64_t LastFileMillis = 0;  // the previous file's duration, >= 1000 when it succeeded
    int32_t FilesConverted = 0;
    std::atomic<int8_t> KeepRunning{1};  // 0 asks the worker to stop at its next step
};

// A cooperative pause: while held, the worker waits at its next checkpoint
// (between files and between chain steps) without holding the progress lock.
class WorkerHold {
public:
    void Hold();
    void Release();
    bool IsHeld() const;
    // Called by the worker at each checkpoint; returns at once when not held.
    void WaitWhileHeld();
    // For the holder: waits until the worker has stopped at a checkpoint
    // (true), or until `timeout` has passed (false).
    bool WaitUntilWorkerHolds(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_held = false;
    int m_waiting = 0;  // workers stopped at a checkpoint
};

// The shared part of a run: progress under its lock, the stop flag, the hold.
struct WorkerControl {
    ProgressState progress;
    mutable std::mutex progressLock;
    WorkerHold hold;
};

struct WorkerOutcome {
    int32_t filesConverted = 0;
    int32_t nextFileNumber = 1;  // "%n%" the next run continues with
    int32_t nextRandomNumber = 1;
};

// Converts the job's files in queue order (several at once when the job
// allows it: each file is loaded and processed on its own, then named and
// saved in queue order, where its FileStarted and FileFinished events are
// sent; StepDone may then come from several threads at once). Expects `control.progress` reset
// (FilesStarted 0, CurrentFile "", LastFileMillis 0, FilesConverted 0,
// KeepRunning 1). `observer` may be null. Never writes to the console.
// Everything the files need beyond the job comes from `resources`: the
// font, the watermark picture, the picture memory, and the arena whose cores
// bound every parallel loop of the run.
WorkerOutcome ConversionWorker(const ConversionJob& job, RunResources& resources,
                               WorkerControl& control, ConversionObserver* observer);

}  // namespace orvex
