// The progress dialog of a desktop conversion: polls the run every 15 ms,
// shows the file, the remaining time and the bar, and asks before stopping.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/conversion_run.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;

namespace orvex {

class TextTable;
class DesktopDialogs;

class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kLabelWidth = 280;
    static constexpr int kPollMillis = 15;

    // `setStatus` writes the main window's status text.
    ProgressDialog(QWidget* parent, const TextTable& texts, DesktopDialogs& dialogs,
                   std::unique_ptr<ProgressSource> run,
                   std::function<void(const QString&)> setStatus);
    ~ProgressDialog() override;

    // Starts polling; the run must already be started.
    void StartPolling();
    // One poll of the run (the timer calls it; tests may too).
    void Poll();
    // The user's close request: while running, holds the worker and asks.
    void RequestClose();

    bool Finished() const { return m_finished; }
    bool Stopped() const { return m_stopped; }
    QLabel* fileLabel() const { return m_fileLabel; }
    QLabel* timeLabel() const { return m_timeLabel; }
    QProgressBar* bar() const { return m_bar; }
    QPushButton* okButton() const { return m_button; }
    // Why a file failed, shown whole below the file label once a run with a
    // failed file has ended; hidden otherwise.
    QTextEdit* failureText() const { return m_failureText; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    QString ProgressText(int32_t shown) const;
    void ShowResults();
    void ShowFailure(const QString& reason);

    const TextTable& m_texts;
    DesktopDialogs& m_dialogs;
    std::unique_ptr<ProgressSource> m_run;
    std::function<void(const QString&)> m_setStatus;
    QTimer m_timer;
    QLabel* m_fileLabel;
    QLabel* m_timeLabel;
    QProgressBar* m_bar;
    QPushButton* m_button;
    QTextEdit* m_failureText;
    int32_t m_total = 0;
    bool m_showTime = false;
    int32_t m_shown = 0;
    bool m_stopped = false;
    bool m_finished = false;
    bool m_asking = false;
};

}  // namespace orvex
