// The conversion worker: walks the file queue, runs the chain for each file
// and publishes its progress to whoever started it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace orvex {

struct ConversionSettings;
struct ProjectState;
class WatermarkFont;

struct FileQueueEntry {
    int32_t queued = 1;
    std::string subfolder;  // folder relative to the input root, "" or ending with "/"
};

// Input paths to convert. Keys compare exactly: two different Linux files
// never merge into one entry.
using FileQueue = std::map<std::string, FileQueueEntry>;

// Shared between the worker and its starter; every field but KeepRunning is
// written only under ProgressLock.
struct ProgressState {
    int32_t FilesStarted = 0;
    std::string CurrentFile;
    int64_t LastFileMillis = 0;
    int32_t FilesConverted = 0;
    std::atomic<int8_t> KeepRunning{1};
};

// A cooperative pause: while held, the worker waits at its next checkpoint
// (between files and between chain steps) without holding ProgressLock.
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

// Everything one run of the worker reads and writes, set by the starter
// before the thread starts and not changed while it runs.
struct ConversionJob {
    const ConversionSettings& settings;
    ProjectState& project;
    const FileQueue& queue;
    ProgressState& progress;
    std::mutex& progressLock;
    const WatermarkFont* font = nullptr;  // loaded by the starter when DoWatermark is 1
    WorkerHold* hold = nullptr;           // optional
    // Console line writer for the debug lines; they are printed only when
    // the project is a command-line job in "DEBUG" run mode.
    std::function<void(const std::string&)> printLine;
};

// Resets nothing: the starter sets ProgressState up (FilesStarted 0,
// CurrentFile "", LastFileMillis 0, FilesConverted 0, KeepRunning 1) before
// calling this on its thread. Returns 0.
int ConversionWorker(ConversionJob& job);

}  // namespace orvex
