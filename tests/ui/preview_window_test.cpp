// The preview window: the chain's pixels shown, a slider followed with one
// render that uses the moved setting, the before picture, pictures taken in
// only on the interface thread, and F6 opening it beside the main window,
// following the input field.
#include "ui/preview_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>
#include <thread>

#include "run/conversion_chain.h"
#include "run/preview_render.h"
#include "run/run_resources.h"
#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "support/hdr_writer.h"
#include "support/temp_folder.h"
#include "test_desktop.h"
#include "text/text_table.h"
#include "ui/main_form.h"

using namespace orvex;

namespace {

test_support::Rgb Scene(int x, int y) {
    const float light = 0.02f + 0.04f * static_cast<float>(x + y);
    return {light * 1.4f, light, light * (y % 5 == 0 ? 0.2f : 0.8f)};
}

// The chain's picture of `path` with `settings`, as the preview shows it.
QImage ChainImage(const std::string& path, const ConversionSettings& settings,
                  const std::string& folder) {
    RunResources resources(settings, nullptr, 0);
    FileContext file;
    file.InputPath = path;
    file.OutputFolder = folder;
    file.OutputExtension = "jpg";
    file.AutoBitDepth = 1;
    Result<Bitmap> image = LoadAndProcess(settings, file, &resources);
    if (!image.ok()) return {};
    const PreviewPixels pixels = PixelsOf(image.value().get());
    return QImage(reinterpret_cast<const uchar*>(pixels.argb.data()), pixels.width, pixels.height,
                  pixels.width * 4, QImage::Format_RGB32)
        .copy();
}

}  // namespace

class PreviewWindowTest : public QObject {
    Q_OBJECT

    struct Fixture {
        test_support::ScopedTempFolder folder{"preview_ui"};
        ConversionSettings settings;
        TextTable texts;
        std::string input;
        int saves = 0;
        std::unique_ptr<PreviewWindow> window;

        Fixture() {
            ResetSettingsToDefaults(settings, false);
            texts.Build();
            input = folder.File("scene.hdr");
            test_support::WriteHdr(input, 96, 64, Scene);
            window = std::make_unique<PreviewWindow>(
                nullptr, settings, texts,
                [this] {
                    return PreviewTarget{input, folder.Path(), "jpg"};
                },
                [this] { ++saves; });
            window->show();
        }
        // Waits for the next picture; true when one came.
        bool NextPicture(QSignalSpy& spy) { return spy.wait(60000); }
    };

  private slots:
    void showsTheChainsPixelsAndFollowsASliderInOneRender() {
        Fixture f;
        QSignalSpy shown(f.window.get(), &PreviewWindow::pictureShown);
        f.window->Refresh();
        QVERIFY(f.NextPicture(shown));
        QCOMPARE(f.window->shownImage(), ChainImage(f.input, f.settings, f.folder.Path()));
        QVERIFY(f.window->infoText().contains(QStringLiteral("96 x 64")));

        // Two stops more light: one render, with the setting Convert will use.
        const int framesBefore = f.window->framesShown();
        f.window->slider(PreviewWindow::Exposure)->setValue(20);
        QCOMPARE(f.settings.DragoExposure, 2.0f);
        QVERIFY(f.NextPicture(shown));
        QCOMPARE(f.window->framesShown(), framesBefore + 1);
        QCOMPARE(f.window->shownImage(), ChainImage(f.input, f.settings, f.folder.Path()));
        f.window->slider(PreviewWindow::Saturation)->setValue(0);
        QVERIFY(f.NextPicture(shown));
        const QRgb grey = f.window->shownImage().pixel(50, 30);
        QCOMPARE(qRed(grey), qGreen(grey));
        QCOMPARE(qGreen(grey), qBlue(grey));
        QTRY_COMPARE_WITH_TIMEOUT(f.saves, 1, 5000);  // once, after the sliders came to rest

        // Before: the input itself, differing from the mapped picture.
        const QImage after = f.window->shownImage();
        f.window->beforeToggle()->setChecked(true);
        QCOMPARE(f.window->shownImage().size(), after.size());
        QVERIFY(f.window->shownImage() != after);
        f.window->beforeToggle()->setChecked(false);
        QCOMPARE(f.window->shownImage(), after);

        // Every picture was taken in on this thread, rendered on another.
        QCOMPARE(f.window->framesOffThread(), 0);
        QVERIFY(f.window->renderer().threadId() != std::this_thread::get_id());
    }

    void slidersMovedQuicklyShowOnlyTheLastSetting() {
        Fixture f;
        QSignalSpy shown(f.window.get(), &PreviewWindow::pictureShown);
        for (int position = 50; position <= 100; position += 5)
            f.window->slider(PreviewWindow::Bias)->setValue(position);
        QVERIFY(f.NextPicture(shown));
        QCOMPARE(f.settings.DragoBias, 1.0f);
        QCOMPARE(f.window->shownImage(), ChainImage(f.input, f.settings, f.folder.Path()));
        QCOMPARE(shown.count(), 1);
    }

    void f6OpensThePreviewWhichFollowsTheInputField() {
        test_support::ScopedTempFolder folder("preview_main");
        const std::string input = folder.File("a.hdr");
        test_support::WriteHdr(input, 40, 30, Scene);
        test::TestDesktop desktop(folder.Path());
        QVERIFY(desktop.window->previewWindow() == nullptr);
        QAction* command = desktop.window->actions().action(Command::Preview);
        QCOMPARE(command->shortcut(), QKeySequence(Qt::Key_F6));
        command->trigger();
        PreviewWindow* preview = desktop.window->previewWindow();
        QVERIFY(preview != nullptr);
        QVERIFY(preview->isVisible());
        QSignalSpy shown(preview, &PreviewWindow::pictureShown);
        desktop.window->form()->inputField->setText(QString::fromStdString(input));
        QVERIFY(shown.wait(60000));
        QVERIFY(preview->infoText().contains(QStringLiteral("40 x 30")));
    }
};

QTEST_MAIN(PreviewWindowTest)
#include "preview_window_test.moc"
