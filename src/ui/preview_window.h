// The preview window beside the main window: the input file through the
// whole chain with the current settings, scaled to fit or at 100 %, sliders
// for the tone mapping's controls, a before/after toggle, and the picture's
// size and luminance range. Renders run on the preview's own thread.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "run/preview_renderer.h"

class QCheckBox;
class QLabel;
class QScrollArea;
class QSlider;
class QTimer;

namespace orvex {

class TextTable;

// Where the preview's file comes from and goes to, as the main window's
// fields say now.
struct PreviewTarget {
    std::string inputPath;
    std::string outputFolder;
    std::string outputExtension;
};

class PreviewCanvas;

class PreviewWindow : public QWidget {
    Q_OBJECT
  public:
    // The four tone controls, in slider order.
    enum Control { Exposure, Bias, Gamma, Saturation, kControls };

    // `settings` are the desktop's: the sliders change them. `target` reads
    // the main window's fields; `settingsChanged` is told after a slider moved
    // (the desktop keeps them in config.ini).
    PreviewWindow(QWidget* owner, ConversionSettings& settings, const TextTable& texts,
                  std::function<PreviewTarget()> target, std::function<void()> settingsChanged,
                  int longestSide = 1600);
    ~PreviewWindow() override;

    // Renders again with the current target and settings; the sliders are
    // brought in line with the settings first.
    void Refresh();

    QSlider* slider(Control control) const { return m_sliders[control]; }
    QCheckBox* beforeToggle() const { return m_before; }
    QCheckBox* actualSizeToggle() const { return m_actualSize; }
    // The picture shown now (the chain's, or the input's with "before").
    const QImage& shownImage() const { return m_shown; }
    QString infoText() const;
    QString statusText() const;
    PreviewRenderer& renderer() { return *m_renderer; }
    // Frames taken in, and of those how many arrived off the interface
    // thread's event loop (none should).
    int framesShown() const { return m_framesShown; }
    int framesOffThread() const { return m_framesOffThread; }

  signals:
    void pictureShown();

  private:
    void OnSlider(Control control, int position);
    void OnFrame(const std::shared_ptr<const PreviewFrame>& frame);
    void ShowCurrent();
    void SyncSliders();

    ConversionSettings& m_settings;
    const TextTable& m_texts;
    std::function<PreviewTarget()> m_target;
    std::function<void()> m_settingsChanged;
    QSlider* m_sliders[kControls] = {};
    QLabel* m_values[kControls] = {};
    QCheckBox* m_before = nullptr;
    QCheckBox* m_actualSize = nullptr;
    QLabel* m_info = nullptr;
    QLabel* m_status = nullptr;
    QScrollArea* m_scroll = nullptr;
    PreviewCanvas* m_canvas = nullptr;
    QTimer* m_saveTimer = nullptr;
    std::shared_ptr<const PreviewFrame> m_frame;
    QImage m_shown;
    uint64_t m_lastRequest = 0;
    bool m_syncing = false;
    int m_framesShown = 0;
    int m_framesOffThread = 0;
    std::unique_ptr<PreviewRenderer> m_renderer;  // last: stopped first
};

}  // namespace orvex
