// The worker thread of a desktop run and the copies it reads.
#include "ui/conversion_run.h"

#include "imaging/watermark_font.h"

namespace orvex {

WorkerRun::WorkerRun(const ConversionSettings& settings, const ProjectState& project,
                     FileQueue queue, std::unique_ptr<WatermarkFont> font)
    : m_settings(settings), m_project(project), m_queue(std::move(queue)), m_font(std::move(font)) {}

WorkerRun::~WorkerRun() {
    // A hold must never outlive the window that asked for it.
    m_hold.Release();
    Wait();
}

void WorkerRun::Start() {
    m_progress.FilesStarted = 0;
    m_progress.CurrentFile.clear();
    m_progress.LastFileMillis = 0;
    m_progress.FilesConverted = 0;
    m_progress.KeepRunning = 1;
    m_ended = false;
    m_thread = std::thread([this] {
        ConversionJob job{m_settings, m_project, m_queue, m_progress, m_lock, m_font.get(), &m_hold,
                          [](const std::string&) {}};
        ConversionWorker(job);
        m_ended = true;
    });
}

void WorkerRun::Wait() {
    if (m_thread.joinable()) m_thread.join();
}

RunProgress WorkerRun::Progress() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return RunProgress{m_progress.FilesStarted, m_progress.CurrentFile, m_progress.LastFileMillis};
}

int32_t WorkerRun::FilesConverted() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_progress.FilesConverted;
}

}  // namespace orvex
