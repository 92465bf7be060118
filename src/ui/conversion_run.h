// A desktop conversion run on the engine's worker thread, and the view of it
// the progress dialog polls.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "run/conversion_run.h"

namespace orvex {

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
    // Why the last failed file failed, "" when none failed.
    virtual std::string LastFailure() const = 0;
    // Holds the worker still at its next checkpoint (never inside the
    // progress lock) until Release().
    virtual void Hold() = 0;
    virtual void Release() = 0;
    // Asks the worker to stop; the file it is on leaves no output.
    virtual void RequestStop() = 0;
};

// The engine's run with an observer that keeps the last failure's reason.
class WorkerRun final : public ProgressSource, private ConversionObserver {
  public:
    explicit WorkerRun(ConversionJob job);
    ~WorkerRun() override;

    void Start() { m_run.Start(); }
    void Wait() { m_run.Wait(); }
    const WorkerOutcome& outcome() const { return m_run.outcome(); }

    int32_t Total() const override { return static_cast<int32_t>(m_run.job().queue.size()); }
    RunProgress Progress() const override;
    bool Ended() const override { return m_run.Finished(); }
    int32_t FilesConverted() const override { return m_run.Snapshot().filesConverted; }
    std::string LastFailure() const override;
    void Hold() override { m_run.Hold().Hold(); }
    void Release() override { m_run.Hold().Release(); }
    void RequestStop() override { m_run.RequestStop(); }

  private:
    void FileFinished(const FileResult& result) override;  // on the worker's thread

    mutable std::mutex m_failureLock;
    std::string m_lastFailure;
    ConversionRun m_run;  // last: its thread ends before the members above go
};

}  // namespace orvex
