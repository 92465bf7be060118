// One desktop conversion run on its own worker thread, and the view of it
// the progress dialog polls.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "imaging/conversion_worker.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"

namespace orvex {

class WatermarkFont;

struct RunProgress {
    int32_t filesStarted = 0;
    std::string currentFile;
    int64_t lastFileMillis = 0;
};

// What the progress dialog reads and asks of a run.
class ProgressSource {
  public:
    virtual ~ProgressSource() = default;
    virtual int32_t Total() const = 0;
    // A copy of the progress record, taken under its lock.
    virtual RunProgress Progress() const = 0;
    virtual bool Ended() const = 0;
    // Files written; meaningful once Ended().
    virtual int32_t FilesConverted() const = 0;
    // Holds the worker still at its next checkpoint (never inside the
    // progress lock) until Release().
    virtual void Hold() = 0;
    virtual void Release() = 0;
    // Asks the worker to stop; the file it is on leaves no output.
    virtual void RequestStop() = 0;
};

// A run of the engine's worker over a copy of the settings and the job, so
// that the window may change its own records while the worker reads.
class WorkerRun final : public ProgressSource {
  public:
    WorkerRun(const ConversionSettings& settings, const ProjectState& project, FileQueue queue,
              std::unique_ptr<WatermarkFont> font);
    ~WorkerRun() override;  // waits for the worker
    WorkerRun(const WorkerRun&) = delete;
    WorkerRun& operator=(const WorkerRun&) = delete;

    void Start();
    void Wait();

    int32_t Total() const override { return static_cast<int32_t>(m_queue.size()); }
    RunProgress Progress() const override;
    bool Ended() const override { return m_ended.load(); }
    int32_t FilesConverted() const override;
    void Hold() override { m_hold.Hold(); }
    void Release() override { m_hold.Release(); }
    void RequestStop() override { m_progress.KeepRunning = 0; }

  private:
    ConversionSettings m_settings;
    ProjectState m_project;
    FileQueue m_queue;
    std::unique_ptr<WatermarkFont> m_font;
    ProgressState m_progress;
    mutable std::mutex m_lock;
    WorkerHold m_hold;
    std::atomic<bool> m_ended{false};
    std::thread m_thread;
};

}  // namespace orvex
