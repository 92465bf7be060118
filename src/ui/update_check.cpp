// The update check: the exchange on a worker thread, polled from the
// interface thread, and its outcome in message boxes.
#include "ui/update_check.h"

#include <QWidget>
#include <atomic>
#include <chrono>

#include "text/text_table.h"
#include "ui/dialogs.h"
#include "ui/links.h"
#include "ui/ui_text.h"

namespace orvex {

// What the thread and the interface share: the thread owns a reference too,
// so a thread that outlives its check (stuck in a name lookup) still writes
// into live memory.
struct UpdateCheck::Exchange {
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::string text;  // written before `done`, read after it
};

int VersionCodeFromText(const std::string& text) {
    int code = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        code = code * 10 + (c - '0');
        if (code > 1000000) break;
    }
    return code;
}

UpdateOutcome JudgeUpdateCode(int code, int ownCode) {
    if (code <= 0) return UpdateOutcome::ConnectionProblem;
    return code > ownCode ? UpdateOutcome::NewVersion : UpdateOutcome::UpToDate;
}

int UpdateIntervalDays(int updateRange) {
    switch (updateRange) {
        case 0: return 1;
        case 1: return 7;
        case 2: return 30;
        case 3: return 90;
        case 4: return 180;
        case 5: return -1;
        default: return 30;
    }
}

bool ScheduledCheckDue(int updateRange, Date lastCheck, Date now) {
    const int days = UpdateIntervalDays(updateRange);
    if (days < 0) return false;
    return static_cast<int64_t>(now) > static_cast<int64_t>(lastCheck) + int64_t{days} * 86400;
}

std::string UpdateUserAgent() { return std::string(kProductTitle) + " " + VersionText(); }

UpdateCheck::UpdateCheck(QWidget* window, const TextTable& texts, DesktopDialogs& dialogs,
                         HttpLimits limits)
    : QObject(window), m_window(window), m_texts(texts), m_dialogs(dialogs), m_limits(limits) {
    m_poll.setInterval(20);
    connect(&m_poll, &QTimer::timeout, this, &UpdateCheck::Poll);
}

UpdateCheck::~UpdateCheck() {
    m_poll.stop();
    if (!m_thread.joinable()) return;
    m_exchange->stop = true;
    // The exchange notices the stop within one poll step; only a name
    // lookup cannot be interrupted, and that thread is let go rather than
    // holding up the window's end.
    for (int waited = 0; waited < 500 && !m_exchange->done; waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (m_exchange->done)
        m_thread.join();
    else
        m_thread.detach();
}

void UpdateCheck::Start(const std::string& url) {
    if (running()) return;
    m_exchange = std::make_shared<Exchange>();
    HttpLimits limits = m_limits;
    limits.stop = &m_exchange->stop;
    m_thread = std::thread([exchange = m_exchange, limits, url, agent = UpdateUserAgent()] {
        exchange->text = WebGetText(url, agent, limits);
        exchange->done.store(true, std::memory_order_release);
    });
    if (m_window) m_window->setCursor(Qt::BusyCursor);
    m_poll.start();
}

void UpdateCheck::Poll() {
    if (!m_exchange || !m_exchange->done.load(std::memory_order_acquire)) return;
    m_poll.stop();
    m_thread.join();
    if (m_window) m_window->unsetCursor();
    Report(JudgeUpdateCode(VersionCodeFromText(m_exchange->text)));
}

void UpdateCheck::Report(UpdateOutcome outcome) {
    QWidget* parent = m_window.data();
    switch (outcome) {
        case UpdateOutcome::ConnectionProblem:
            m_dialogs.ErrorBox(parent, UiText(m_texts, "Msg", "Error"),
                               UiText(m_texts, "Msg", "Internet connection problems"));
            break;
        case UpdateOutcome::NewVersion:
            if (m_dialogs.AskQuestion(parent, UiText(m_texts, "Msg", "New Update"),
                                      UiText(m_texts, "Msg", "New Update Text")))
                OpenTarget(HomepageUrl());
            break;
        case UpdateOutcome::UpToDate:
            m_dialogs.Information(parent, UiText(m_texts, "Msg", "No Update"),
                                  UiText(m_texts, "Msg", "No Update Text"));
            break;
    }
    emit finished(outcome);
    deleteLater();
}

UpdateCheck* CheckForUpdates(QWidget* window, const TextTable& texts, DesktopDialogs& dialogs) {
    if (window != nullptr) {
        for (UpdateCheck* check : window->findChildren<UpdateCheck*>(Qt::FindDirectChildrenOnly)) {
            if (check->running()) return check;
        }
    }
    auto* check = new UpdateCheck(window, texts, dialogs);
    check->Start(UpdateFileUrl());
    return check;
}

bool ScheduledUpdateCheck(QWidget* window, ConversionSettings& settings, const TextTable& texts,
                          DesktopDialogs& dialogs, Date now) {
    if (!ScheduledCheckDue(settings.UpdateRange, settings.UpdateDate, now)) return false;
    const bool yes = dialogs.AskQuestion(window, UiText(texts, "Msg", "Check for Updates"),
                                         UiText(texts, "Msg", "Ask check for updates"));
    settings.UpdateDate = now;
    if (yes) CheckForUpdates(window, texts, dialogs);
    return true;
}

}  // namespace orvex
