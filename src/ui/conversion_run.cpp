// The desktop's view of an engine run.
#include "ui/conversion_run.h"

namespace orvex {

WorkerRun::WorkerRun(ConversionJob job) : m_run(std::move(job), this) {}

WorkerRun::~WorkerRun() {
    // A hold must never outlive the window that asked for it.
    m_run.Hold().Release();
    m_run.RequestStop();
    m_run.Wait();
}

RunProgress WorkerRun::Progress() const {
    ConversionRun::Progress progress = m_run.Snapshot();
    return RunProgress{progress.filesStarted, progress.currentFile, progress.lastFileMillis};
}

std::string WorkerRun::LastFailure() const {
    std::lock_guard<std::mutex> guard(m_failureLock);
    return m_lastFailure;
}

void WorkerRun::FileFinished(const FileResult& result) {
    if (result.converted || result.stopped) return;
    std::lock_guard<std::mutex> guard(m_failureLock);
    m_lastFailure = result.reason;
}

}  // namespace orvex
