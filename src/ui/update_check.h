// Asking the maker's server for a newer version: on request, and on the
// schedule at desktop start. The network exchange runs on a thread of its
// own, so the window stays responsive while a slow server takes its time.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>
#include <thread>

#include "platform/http_get.h"
#include "settings/conversion_settings.h"
#include "settings/program_identity.h"

class QWidget;

namespace orvex {

class TextTable;
class DesktopDialogs;

// The number at the start of the update file's code ("311" -> 311,
// "3.1" -> 3); 0 when it does not start with a digit.
int VersionCodeFromText(const std::string& text);

enum class UpdateOutcome { ConnectionProblem, NewVersion, UpToDate };
UpdateOutcome JudgeUpdateCode(int code, int ownCode = kVersionNumber);

// Days between scheduled checks for UpdateRange: 0 1, 1 7, 2 30, 3 90,
// 4 180, 5 never (-1), anything else 30.
int UpdateIntervalDays(int updateRange);
// Whether a scheduled check is due: `now` is later than the last check plus
// the interval.
bool ScheduledCheckDue(int updateRange, Date lastCheck, Date now);

// "Lumavert Orvex 3.1".
std::string UpdateUserAgent();

// One check in progress: the exchange on a thread, its outcome shown in
// message boxes over `window` when it is back. Deletes itself when done.
// Destroying it (with its window) stops the exchange within a poll step.
class UpdateCheck : public QObject {
    Q_OBJECT
  public:
    UpdateCheck(QWidget* window, const TextTable& texts, DesktopDialogs& dialogs,
                HttpLimits limits = {});
    ~UpdateCheck() override;

    void Start(const std::string& url);
    bool running() const { return m_thread.joinable(); }

  signals:
    void finished(orvex::UpdateOutcome outcome);

  private:
    struct Exchange;
    void Poll();
    void Report(UpdateOutcome outcome);

    QPointer<QWidget> m_window;
    const TextTable& m_texts;
    DesktopDialogs& m_dialogs;
    HttpLimits m_limits;
    std::shared_ptr<Exchange> m_exchange;
    std::thread m_thread;
    QTimer m_poll;
};

// The update command: starts a check of UpdateFileUrl() unless one is
// already running over `window`; returns the check in progress.
UpdateCheck* CheckForUpdates(QWidget* window, const TextTable& texts, DesktopDialogs& dialogs);

// At desktop start: when a check is due, asks whether to check, starts one
// on Yes, and moves UpdateDate to `now` whatever the answer. True when the
// question was asked.
bool ScheduledUpdateCheck(QWidget* window, ConversionSettings& settings, const TextTable& texts,
                          DesktopDialogs& dialogs, Date now = CurrentLocalDate());

}  // namespace orvex
