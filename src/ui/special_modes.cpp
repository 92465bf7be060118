// The uninstall prompt and the screenshot staging of the main window.
#include "ui/special_modes.h"

#include <FreeImage.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <random>

#include "settings/program_identity.h"
#include "ui/links.h"
#include "formats/image_io.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "text/text_table.h"
#include "text/unicode_case.h"
#include "ui/desktop_app.h"
#include "ui/icon_sets.h"
#include "ui/main_form.h"
#include "ui/main_window.h"
#include "ui/ui_text.h"

namespace orvex {

int RunUninstallPrompt(const TextTable& texts) {
    QDialog prompt;
    prompt.setWindowTitle(UiText(texts, "Uninstall", "Title"));
    prompt.setGeometry(322, 193, 300, 100);
    prompt.setFixedSize(300, 100);
    auto* visit = new QCheckBox(UiText(texts, "Uninstall", "Uninstall Text"), &prompt);
    visit->setGeometry(30, 20, 250, 20);
    visit->setChecked(true);
    auto* next = new QPushButton(UiText(texts, "Uninstall", "Next"), &prompt);
    next->setGeometry(200, 60, 80, 25);
    QObject::connect(next, &QPushButton::clicked, &prompt, [&prompt, visit] {
        if (visit->isChecked()) {
            // Like every link of the program: xdg-open, no shell, outcome not examined.
            OpenTarget(std::string(kWebSite) + "/orvex/uninstall.html");
        }
        prompt.accept();
    });
    prompt.show();
    QApplication::exec();
    return 0;
}

bool SaveScreenshot(const QImage& image, const std::string& path) {
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    // Format_RGB32 is stored as B, G, R, X bytes: FreeImage's own order on
    // this machine, top-down rows.
    Bitmap wide = AdoptBitmap(FreeImage_ConvertFromRawBits(
        rgb.bits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()), 32,
        FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, TRUE));
    if (!wide) return false;
    const Bitmap bitmap = AdoptBitmap(FreeImage_ConvertTo24Bits(wide.get()));
    wide.reset();
    if (!bitmap) return false;
    return SaveImage(bitmap.get(), path, FIF_JPEG, 90);
}

// The second argument, or the program's folder when it is empty, ending with "/".
std::string StagingFolder(const DesktopStart& start) {
    std::string folder;
    if (start.arguments.size() > 1 && !start.arguments[1].empty())
        folder = start.arguments[1];
    else
        folder = start.appFolder;
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder;
}

int RunScreenshotStaging(DesktopStart& start, DesktopDialogs& dialogs) {
    start.project.RunMode = std::string(1, 'T');
    const std::string folder = StagingFolder(start);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return 0;

    IconSets icons;
    LoadIconSets(icons, start.settings, start.appFolder, true, true, true);

    std::mt19937 random(std::random_device{}());
    const auto& extensions = InputExtensions();
    auto sample = [&](const std::string& name) {
        std::uniform_int_distribution<size_t> pick(0, extensions.size() - 1);
        std::string path = "/tmp/images/";
        path.append(name).append(".").append(extensions[pick(random)]);
        return path;
    };
    const std::string names[] = {sample("pic0102"),  sample("picture_a"),
                                 sample("picture_b"), sample(ToLowerUtf8(MakerName())),
                                 sample("layout-haus"), sample("summer"),
                                 sample("winter")};

    DesktopContext context{start.settings, start.project, start.texts, dialogs, icons,
                           start.appFolder};
    MainWindow window(context);
    window.SetInnerGeometry(400, 400, MainWindow::kMinimumWidth);
    window.show();
    window.form()->inputField->setText(QString::fromStdString(names[3]));
    QComboBox* output = window.form()->outputField;
    output->clear();
    output->addItem(IconFor(icons.small, "FavFolder"), QStringLiteral("/tmp/converted/"));
    output->setCurrentIndex(0);

    QTimer::singleShot(500, &window, [] { QApplication::quit(); });
    QApplication::exec();

    QImage shot = window.grab().toImage();
    {
        QPainter painter(&shot);
        QFont font(QStringLiteral("Tahoma"));
        font.setPointSize(8);
        painter.setFont(font);
        painter.setPen(Qt::black);
        QRect area(0, 0, shot.width() - 35, shot.height() - 26);
        painter.drawText(area, Qt::AlignRight | Qt::AlignBottom, QString::fromUtf8(kWebSite));
    }
    SaveScreenshot(shot, folder + kInternalName + "1.jpg");
    SaveScreenshot(shot.scaled(shot.width() / 2, shot.height() / 2, Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation),
                   folder + kInternalName + "1x.jpg");
    return 0;
}

}  // namespace orvex
