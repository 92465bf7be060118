// Polling the worker, the progress texts, the stop question and the results.
#include "ui/progress_dialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <cmath>

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
    m_fileLabel->setTextFormat(Qt::PlainText);  // a name with "<" is no markup
    m_timeLabel = new QLabel(this);
    m_timeLabel->setGeometry(10, 33, kLabelWidth, 20);
    m_timeLabel->setText(
        UiText(texts, "Dialog", "Time Remaining", m_texts.Text("Dialog", "Time Unknown")));
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
    // Read-only and frameless, so it reads like a label; it wraps at word
    // boundaries and, for a long path without spaces, anywhere.
    m_failureText = new QTextEdit(this);
    m_failureText->setReadOnly(true);
    m_failureText->setFrameShape(QFrame::NoFrame);
    m_failureText->setLineWrapMode(QTextEdit::FixedPixelWidth);
    m_failureText->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_failureText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_failureText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_failureText->viewport()->setAutoFillBackground(false);
    m_failureText->setFocusPolicy(Qt::NoFocus);
    m_failureText->hide();

    // One file needs no estimate: the bar moves up into the time label's place.
    if (!m_showTime) {
        m_timeLabel->hide();
        m_bar->move(10, 50);
    }

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
        // A path too long for the label loses its middle, measured in the
        // label's own font, so the folder's start and the file name stay.
        m_fileLabel->setText(m_fileLabel->fontMetrics().elidedText(
            QString::fromStdString(progress.currentFile), Qt::ElideMiddle,
            m_fileLabel->contentsRect().width()));
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
    // A run that was stopped or in which a file failed is not complete.
    const bool complete = !m_stopped && converted >= m_total;
    const QString outcome =
        UiText(m_texts, "Msg", complete ? "Conversion complete" : "Conversion is not complete");
    m_setStatus(outcome);
    setWindowTitle(outcome + QStringLiteral(" ") + ProgressText(m_shown));
    if (m_stopped) {
        m_fileLabel->setText(outcome);
    } else {
        m_fileLabel->setText(UiText(m_texts, "Msg", "Files converted", std::to_string(converted),
                                    std::to_string(m_total)));
        m_timeLabel->setText(UiText(m_texts, "Dialog", "Time Remaining", "00:00:00"));
        m_bar->setValue(m_total + 1);
    }
    const std::string failure = m_run->LastFailure();
    if (converted < m_total && !failure.empty()) ShowFailure(QString::fromStdString(failure));
    m_button->setEnabled(true);
    m_button->setFocus();
}

// The reason goes below the file label; the dialog grows by its height (up
// to a limit beyond which the text scrolls) and nothing of it is cut.
void ProgressDialog::ShowFailure(const QString& reason) {
    constexpr int kMostHeight = 240;
    m_failureText->setPlainText(reason);
    m_failureText->document()->setDocumentMargin(0);
    const auto textHeight = [this](int wrapWidth) {
        m_failureText->setLineWrapColumnOrWidth(wrapWidth);
        return static_cast<int>(std::ceil(m_failureText->document()->size().height()));
    };
    int shown = textHeight(kLabelWidth);
    if (shown > kMostHeight) {
        // Past the limit a scroll bar reaches the rest; the text is wrapped
        // to the width beside it.
        m_failureText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        textHeight(kLabelWidth - style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        shown = kMostHeight;
    }
    m_failureText->setGeometry(10, 35, kLabelWidth, shown);
    m_failureText->show();
    const int shift = shown + 4;
    for (QWidget* below : {static_cast<QWidget*>(m_timeLabel), static_cast<QWidget*>(m_bar),
                           static_cast<QWidget*>(m_button)}) {
        below->move(below->x(), below->y() + shift);
    }
    setFixedSize(width(), height() + shift);
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
