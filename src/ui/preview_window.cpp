// The preview window: its controls, the requests it sends to the render
// thread and the pictures it takes back on the interface thread.
#include "ui/preview_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "settings/conversion_settings.h"
#include "text/text_table.h"
#include "ui/ui_text.h"

namespace orvex {

// Draws the picture scaled to fit (keeping its proportions), or at 100 %
// inside the scroll area.
class PreviewCanvas : public QWidget {
  public:
    explicit PreviewCanvas(QWidget* parent) : QWidget(parent) {}
    void SetImage(const QImage& image, bool actualSize) {
        m_image = image;
        m_actualSize = actualSize;
        if (actualSize) resize(image.size());
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        if (m_image.isNull()) return;
        if (m_actualSize) {
            painter.drawImage(QPoint(0, 0), m_image);
            return;
        }
        const QSize fitted = m_image.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                           fitted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
    }

  private:
    QImage m_image;
    bool m_actualSize = false;
};

namespace {

// Each control's slider: positions, and the value a position stands for.
struct SliderSpec {
    const char* textKey;
    float ConversionSettings::*field;
    int minimum, maximum;
    double step;  // value per position
};
constexpr SliderSpec kSliders[PreviewWindow::kControls] = {
    {"Exposure", &ConversionSettings::DragoExposure, -80, 80, 0.1},
    {"Bias", &ConversionSettings::DragoBias, 50, 100, 0.01},
    {"Gamma", &ConversionSettings::DragoGamma, 10, 500, 0.01},
    {"Saturation", &ConversionSettings::DragoSaturation, 0, 200, 0.01},
};

int PositionOf(const SliderSpec& spec, float value) {
    const auto position = static_cast<int>(std::lround(value / spec.step));
    return std::clamp(position, spec.minimum, spec.maximum);
}

QImage ImageOf(const PreviewPixels& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0) return {};
    // The frame keeps the pixels alive; the copy makes the image its own.
    return QImage(reinterpret_cast<const uchar*>(pixels.argb.data()), pixels.width, pixels.height,
                  pixels.width * 4, QImage::Format_RGB32)
        .copy();
}

QString Number(double value) {
    if (value != 0 && (std::fabs(value) < 0.01 || std::fabs(value) >= 100000))
        return QString::number(value, 'g', 3);
    return QString::number(value, 'f', std::fabs(value) >= 100 ? 0 : 2);
}

}  // namespace

PreviewWindow::PreviewWindow(QWidget* owner, ConversionSettings& settings, const TextTable& texts,
                             std::function<PreviewTarget()> target,
                             std::function<void()> settingsChanged, int longestSide)
    : QWidget(owner, Qt::Window),
      m_settings(settings),
      m_texts(texts),
      m_target(std::move(target)),
      m_settingsChanged(std::move(settingsChanged)) {
    setWindowTitle(UiText(texts, "Preview", "Title"));
    setObjectName(QStringLiteral("PreviewWindow"));

    m_scroll = new QScrollArea(this);
    m_canvas = new PreviewCanvas(m_scroll);
    m_canvas->setMinimumSize(160, 120);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(true);

    auto* controls = new QGridLayout;
    for (int i = 0; i < kControls; ++i) {
        const SliderSpec& spec = kSliders[i];
        auto* label = new QLabel(UiText(texts, "Preview", spec.textKey), this);
        m_sliders[i] = new QSlider(Qt::Horizontal, this);
        m_sliders[i]->setRange(spec.minimum, spec.maximum);
        m_sliders[i]->setFocusPolicy(Qt::StrongFocus);
        m_values[i] = new QLabel(this);
        m_values[i]->setMinimumWidth(40);
        label->setBuddy(m_sliders[i]);
        controls->addWidget(label, i, 0);
        controls->addWidget(m_sliders[i], i, 1);
        controls->addWidget(m_values[i], i, 2);
        const auto control = static_cast<Control>(i);
        connect(m_sliders[i], &QSlider::valueChanged, this,
                [this, control](int position) { OnSlider(control, position); });
    }
    m_before = new QCheckBox(UiText(texts, "Preview", "Before"), this);
    m_actualSize = new QCheckBox(UiText(texts, "Preview", "Actual Size"), this);
    connect(m_before, &QCheckBox::toggled, this, [this] { ShowCurrent(); });
    connect(m_actualSize, &QCheckBox::toggled, this, [this] { Refresh(); });
    auto* toggles = new QHBoxLayout;
    toggles->addWidget(m_before);
    toggles->addWidget(m_actualSize);
    toggles->addStretch();
    m_info = new QLabel(this);
    m_status = new QLabel(this);
    toggles->addWidget(m_status);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_scroll, 1);
    layout->addLayout(controls);
    layout->addLayout(toggles);
    layout->addWidget(m_info);

    // The settings are written a moment after the sliders come to rest.
    m_saveTimer = new QTimer(this);
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(400);
    connect(m_saveTimer, &QTimer::timeout, this, [this] {
        if (m_settingsChanged) m_settingsChanged();
    });

    // The render thread hands each picture over to this window's thread;
    // nothing of the window is touched there.
    m_renderer = std::make_unique<PreviewRenderer>(
        [this](std::shared_ptr<const PreviewFrame> frame) {
            QMetaObject::invokeMethod(
                this, [this, frame] { OnFrame(frame); }, Qt::QueuedConnection);
        },
        longestSide);
    resize(720, 600);
    SyncSliders();
}

PreviewWindow::~PreviewWindow() {
    m_renderer.reset();  // joins the render thread before the widgets go
}

void PreviewWindow::SyncSliders() {
    m_syncing = true;
    for (int i = 0; i < kControls; ++i) {
        const float value = m_settings.*kSliders[i].field;
        m_sliders[i]->setValue(PositionOf(kSliders[i], value));
        m_values[i]->setText(QString::number(static_cast<double>(value), 'f', 2));
    }
    m_syncing = false;
}

void PreviewWindow::OnSlider(Control control, int position) {
    if (m_syncing) return;
    const SliderSpec& spec = kSliders[control];
    m_settings.*spec.field = static_cast<float>(position * spec.step);
    m_values[control]->setText(
        QString::number(static_cast<double>(m_settings.*spec.field), 'f', 2));
    m_saveTimer->start();
    Refresh();
}

void PreviewWindow::Refresh() {
    SyncSliders();
    const PreviewTarget target = m_target ? m_target() : PreviewTarget();
    if (target.inputPath.empty()) {
        m_frame.reset();
        m_status->setText(UiText(m_texts, "Preview", "No Input"));
        m_info->clear();
        ShowCurrent();
        return;
    }
    PreviewRequest request;
    request.inputPath = target.inputPath;
    request.outputFolder = target.outputFolder;
    request.outputExtension = target.outputExtension;
    request.settings = m_settings;
    request.fullSize = m_actualSize->isChecked();
    m_lastRequest = m_renderer->Request(std::move(request));
    m_status->setText(UiText(m_texts, "Preview", "Rendering"));
}

void PreviewWindow::OnFrame(const std::shared_ptr<const PreviewFrame>& frame) {
    ++m_framesShown;
    if (QThread::currentThread() != thread()) ++m_framesOffThread;
    if (frame->request != m_lastRequest) return;  // a newer one is on its way
    m_frame = frame;
    if (!frame->fault.ok()) {
        m_status->setText(
            UiText(m_texts, "Msg", MessageKey(frame->fault.fault), frame->fault.detail));
        if (frame->fault.fault == RunFault::FileFailed)
            m_status->setText(QString::fromStdString(frame->fault.detail));
    } else {
        m_status->setText(UiText(m_texts, "Preview", "Rendered", std::to_string(frame->millis)));
    }
    const auto size = [](int width, int height) {
        return std::to_string(width) + " x " + std::to_string(height);
    };
    m_info->setText(UiText(m_texts, "Preview", "Size",
                           size(frame->sourceWidth, frame->sourceHeight),
                           size(frame->result.outputWidth, frame->result.outputHeight)) +
                    QStringLiteral("    ") +
                    UiText(m_texts, "Preview", "Luminance", ToUtf8(Number(frame->lowestLuminance)),
                           ToUtf8(Number(frame->highestLuminance))));
    ShowCurrent();
    emit pictureShown();
}

void PreviewWindow::ShowCurrent() {
    const bool before = m_before->isChecked();
    const bool actualSize = m_actualSize->isChecked() && !before;
    m_shown = !m_frame ? QImage() : ImageOf(before ? m_frame->before : m_frame->result.picture);
    if (m_scroll->widgetResizable() == actualSize) {
        m_scroll->setWidgetResizable(!actualSize);
        if (actualSize) {
            // The middle of the picture first; any region is a scroll away.
            m_canvas->SetImage(m_shown, true);
            m_scroll->horizontalScrollBar()->setValue(m_scroll->horizontalScrollBar()->maximum() /
                                                      2);
            m_scroll->verticalScrollBar()->setValue(m_scroll->verticalScrollBar()->maximum() / 2);
            return;
        }
    }
    m_canvas->SetImage(m_shown, actualSize);
}

QString PreviewWindow::infoText() const { return m_info->text(); }
QString PreviewWindow::statusText() const { return m_status->text(); }

}  // namespace orvex
