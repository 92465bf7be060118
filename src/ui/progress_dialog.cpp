// Polling the worker, the progress texts, the stop question and the results.
#include "ui/progress_dialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "text/text_table.h"
#include "ui/dialogs.h"
#include "ui/progress_texts.h"
#include "ui/ui_text.h"

namespace orvex {

ProgressDialog::ProgressDialog(QWidget* parent, const TextTable& texts, DesktopDialogs& dialogs,
                               std::unique_ptr<ProgressSource> run,
                               std::function<void(const QString&)> setStatus)
    : QDialog(parent),
      m_texts(texts),
      m_dialogs(dialogs),
      m_run(std::move(run)),
      m_setStatus(std::move(setStatus)) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setFixedSize(300, 130);
    setWindowTitle(UiText(texts, "Dialog", "Convert Progress"));

    m_total = m_run->Total();
    m_showTime = m_total >= 5;

    m_fileLabel = new QLabel(this);
    m_fileLabel->setGeometry(10, 13, kLabelWidth, 20);
    m_timeLabel = new QLabel(this);
    m_timeLabel->setGeometry(10, 33, kLabelWidth, 20);
    m_timeLabel->setText(UiText(texts, "Dialog", "Time Remaining",
                                m_texts.Text("Dialog", "Time Unknown")));
    m_bar = new QProgressBar(this);
    m_bar->setGeometry(10, 60, kLabelWidth, 20);
    m_bar->setRange(0, m_total + 1);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_button = new QPushButton(UiText(texts, "Dialog", "OK"), this);
    m_button->setGeometry(110, 95, 80, 25);
    m_button->setDefault(true);
    m_button->setEnabled(false);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_finished) accept();
    });

    // One file needs no estimate: the bar moves up into the time label's place.
    if (!m_showTime) {
        m_timeLabel->hide();
        m_bar->move(10, 50);
    }

    // The average character width decides how much of a path fits the label.
    const int sample = QFontMetrics(font()).horizontalAdvance(QStringLiteral("abc123:\\-"));
    if (sample / 9 > 0) m_charWidth = sample / 9;

    m_timer.setInterval(kPollMillis);
    connect(&m_timer, &QTimer::timeout, this, &ProgressDialog::Poll);
}

ProgressDialog::~ProgressDialog() { m_timer.stop(); }

void ProgressDialog::StartPolling() { m_timer.start(); }

QString ProgressDialog::ProgressText(int32_t shown) const {
    return UiText(m_texts, "Msg", "Progress", std::to_string(shown), std::to_string(m_total));
}

void ProgressDialog::Poll() {
    if (m_finished) return;
    // Whether the worker has ended is read before the record, so a run that
    // ended between two polls still shows its last file before the results.
    const bool ended = m_run->Ended();
    RunProgress progress = m_run->Progress();
    if (progress.filesStarted > m_shown) {
        m_shown = progress.filesStarted;
        setWindowTitle(UiText(m_texts, "Dialog", "Convert Progress") + QStringLiteral(" ") +
                       ProgressText(m_shown));
        m_fileLabel->setText(QString::fromStdString(
            ShortenFileLabel(progress.currentFile, m_charWidth, kLabelWidth)));
        if (m_showTime && progress.lastFileMillis != 0) {
            int64_t remaining = RemainingMillis(progress.lastFileMillis, m_total, m_shown);
            m_timeLabel->setText(
                UiText(m_texts, "Dialog", "Time Remaining", DurationText(remaining)));
        }
        m_bar->setValue(m_shown);
    }
    if (ended) ShowResults();
}

void ProgressDialog::ShowResults() {
    m_finished = true;
    m_timer.stop();
    const int32_t converted = m_run->FilesConverted();
    if (m_stopped) {
        QString stopped = UiText(m_texts, "Msg", "Conversion is not complete");
        m_setStatus(stopped);
        setWindowTitle(stopped + QStringLiteral(" ") + ProgressText(m_shown));
        m_fileLabel->setText(stopped);
    } else {
        QString complete = UiText(m_texts, "Msg", "Conversion complete");
        m_setStatus(complete);
        setWindowTitle(complete + QStringLiteral(" ") + ProgressText(m_shown));
        m_fileLabel->setText(UiText(m_texts, "Msg", "Files converted", std::to_string(converted),
                                    std::to_string(m_total)));
        // A run of one file that failed says why, in the place of the count.
        const std::string failure = m_run->LastFailure();
        if (m_total == 1 && converted == 0 && !failure.empty()) {
            m_fileLabel->setText(
                QString::fromStdString(ShortenFileLabel(failure, m_charWidth, kLabelWidth)));
            m_fileLabel->setToolTip(QString::fromStdString(failure));
        }
        m_timeLabel->setText(UiText(m_texts, "Dialog", "Time Remaining", "00:00:00"));
        m_bar->setValue(m_total + 1);
    }
    m_button->setEnabled(true);
    m_button->setFocus();
}

// While the question is open the worker waits at its next checkpoint, so the
// run does not move on behind the user's back; it is released whatever the
// answer, before the stop is asked for.
void ProgressDialog::RequestClose() {
    if (m_asking) return;
    if (m_finished) {
        accept();
        return;
    }
    m_asking = true;
    m_run->Hold();
    const bool stop = m_dialogs.AskYesNo(this, UiText(m_texts, "Msg", "Warning"),
                                         UiText(m_texts, "Msg", "Ask break conversion"));
    m_run->Release();
    m_asking = false;
    if (stop) {
        m_stopped = true;
        m_run->RequestStop();
    }
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    if (m_finished) {
        event->accept();
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    RequestClose();
}

void ProgressDialog::reject() {
    // Escape and the close box: the dialog closes only once the run has ended.
    if (m_finished)
        QDialog::reject();
    else
        RequestClose();
}

}  // namespace orvex
