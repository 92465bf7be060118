// The preferences dialog: its frame, page switching, OK and Defaults.
#include "ui/preferences_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeWidget>

#include "settings/conversion_settings.h"
#include "ui/dialogs.h"
#include "ui/ui_text.h"
#include "ui/wheel_guard.h"

namespace orvex {

namespace {

// Inner size 600 x 350; the tree at the left, the page title and the pages
// to its right, the buttons along the bottom.
constexpr int kWidth = 600;
constexpr int kHeight = 350;
constexpr int kPageWidth = 450;
constexpr int kPageHeight = 255;

}  // namespace

int RefreshFor(const std::string& oldTheme, int oldSize, const std::string& newTheme, int newSize) {
    int refresh = kRefreshNone;
    if (newSize != oldSize) refresh = kRefreshToolbar;
    if (newTheme != oldTheme) refresh = kRefreshAll;
    return refresh;
}

PreferencesDialog::PreferencesDialog(QWidget* parent, ConversionSettings& settings,
                                     const TextTable& texts, DesktopDialogs& dialogs,
                                     PreferencesSources sources, int page)
    : QDialog(parent), m_settings(settings), m_texts(texts), m_dialogs(dialogs) {
    setWindowTitle(UiText(texts, "Preferences", "Title"));
    setFixedSize(kWidth, kHeight);
    m_binding = std::make_unique<PreferencesBinding>(texts, dialogs, std::move(sources), this);

    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setGeometry(10, 10, 120, 295);
    m_title = new QLabel(this);
    m_title->setGeometry(150, 17, 330, 20);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);

    const std::vector<const char*>& captions = PreferencesPageCaptions();
    for (size_t i = 0; i < captions.size(); ++i) {
        new QTreeWidgetItem(m_tree, QStringList{UiText(texts, "Preferences", captions[i])});
        auto* area = new QScrollArea(this);
        area->setObjectName(QString::fromUtf8(captions[i]));
        area->setGeometry(140, 50, kPageWidth, kPageHeight);
        area->setFrameShape(QFrame::NoFrame);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* content = new QWidget;
        const int height = m_binding->BuildPage(static_cast<PreferencesPage>(i), content);
        // Pages whose rows run past the panel scroll; the scroll bar takes
        // its width from the right margin beyond the controls.
        content->resize(kPageWidth - 20, std::max(height, kPageHeight));
        area->setWidget(content);
        area->hide();
        m_pages.push_back(area);
    }
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) ShowPage(m_tree->indexOfTopLevelItem(item));
    });

    m_defaults = new QPushButton(UiText(texts, "Dialog", "Defaults"), this);
    m_defaults->setGeometry(10, 315, 90, 25);
    m_ok = new QPushButton(UiText(texts, "Dialog", "OK"), this);
    m_ok->setGeometry(410, 315, 85, 25);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(UiText(texts, "Dialog", "Cancel"), this);
    m_cancel->setGeometry(505, 315, 85, 25);
    connect(m_ok, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_defaults, &QPushButton::clicked, this, [this] { OnDefaults(); });

    // The wheel scrolls the pages; a control takes it only once clicked or
    // reached with Tab.
    KeepWheelForFocusedControls(this);
    m_binding->Load(settings);
    ShowPage(page);
}

PreferencesDialog::~PreferencesDialog() = default;

void PreferencesDialog::ShowPage(int page) {
    if (page < 0 || page >= static_cast<int>(m_pages.size())) page = 0;
    m_currentPage = page;
    for (size_t i = 0; i < m_pages.size(); ++i) m_pages[i]->setVisible(static_cast<int>(i) == page);
    m_title->setText(UiText(m_texts, "Preferences", PreferencesPageCaptions()[size_t(page)]));
    QTreeWidgetItem* item = m_tree->topLevelItem(page);
    if (m_tree->currentItem() != item) m_tree->setCurrentItem(item);
}

void PreferencesDialog::OnOk() {
    const std::string oldTheme = m_settings.UiTheme;
    const int oldSize = m_settings.UiSize;
    m_binding->Store(m_settings);
    m_settings.Language = "en";
    m_refresh = RefreshFor(oldTheme, oldSize, m_settings.UiTheme, m_settings.UiSize);
    m_outcome = Outcome::Accepted;
    accept();
}

void PreferencesDialog::OnDefaults() {
    if (!m_dialogs.AskQuestion(this, UiText(m_texts, "Msg", "Reset to Defaults"),
                               UiText(m_texts, "Msg", "Ask reset to defaults")))
        return;
    // The interface shows the stored theme and size until it is rebuilt, so
    // those (not the dialog's unsaved choices) decide what the defaults change.
    const std::string oldTheme = m_settings.UiTheme;
    const int oldSize = m_settings.UiSize;
    ResetSettingsToDefaults(m_settings, false);
    m_refresh = RefreshFor(oldTheme, oldSize, m_settings.UiTheme, m_settings.UiSize);
    m_outcome = Outcome::ResetToDefaults;
    accept();
}

}  // namespace orvex
