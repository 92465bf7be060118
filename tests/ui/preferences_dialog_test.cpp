// The preferences dialog under the offscreen platform, driven from the option
// table: every shown row is filled from its field, edited through its widget
// and read back; the enable rules, clamping, Cancel, Defaults and the main
// window's handling of the result.
#include "ui/preferences_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "fake_dialogs.h"
#include "settings/configuration_file.h"
#include "settings/conversion_settings.h"
#include "settings/project_state.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"
#include "text/text_table.h"
#include "ui/main_form.h"
#include "ui/main_window.h"
#include "ui/ui_text.h"

using namespace orvex;
using test_support::ScopedEnv;
using test_support::ScopedTempFolder;

namespace {

using S = ConversionSettings;

// More formats than this build converts, so that the sub-panels and the
// RAW rules have something to show.
PreferencesSources TestSources() {
    PreferencesSources sources;
    sources.themes = {{"flat", "Flat"}, {"handdrawn", "Hand-drawn"}};
    sources.inputFormats = {"hdr", "raw", "dds"};
    sources.outputFormats = {"jpg", "png", "tiff"};
    return sources;
}

std::string& TextOf(S& settings, const SettingMember& member) {
    return settings.*std::get<std::string S::*>(member);
}

// The fields where two records differ, by config key.
QStringList Differences(const S& a, const S& b) {
    QStringList keys;
    for (const OptionField& row : OptionFieldTable()) {
        const SettingMember& member = row.config.member;
        bool same = true;
        if (std::holds_alternative<std::string S::*>(member))
            same = a.*std::get<std::string S::*>(member) == b.*std::get<std::string S::*>(member);
        else
            same = std::fabs(FieldNumber(a, member) - FieldNumber(b, member)) < 1e-4;
        if (!same) keys << QString::fromUtf8(row.config.key);
    }
    return keys;
}

// Two distinct values per shown row (variant 0 and 1), none of them the
// default, each inside what the control can show.
void SetVariant(S& settings, const OptionField& row, int variant) {
    const SettingMember& member = row.config.member;
    const ControlSpec& spec = row.control;
    switch (spec.kind) {
        case ControlKind::CheckBox:
            SetFieldNumber(settings, member, variant == 0 ? 1 : 0);
            break;
        case ControlKind::Choice: {
            const int count = int(spec.entries.size());
            SetFieldNumber(settings, member, (variant == 0 ? 1 : count - 1) % count);
            break;
        }
        case ControlKind::Slider: {
            const FieldRange range = *row.range;
            double value =
                range.minimum + (range.maximum - range.minimum) * (variant == 0 ? 0.25 : 0.75);
            const double step = std::pow(10.0, spec.decimals);
            SetFieldNumber(settings, member, std::round(value * step) / step);
            break;
        }
        case ControlKind::NumberChoice:
            // A small range (the gain map's scale, 1 to 4) takes its top two.
            if (row.range && row.range->maximum < 42)
                SetFieldNumber(settings, member, row.range->maximum - variant);
            else
                SetFieldNumber(settings, member, variant == 0 ? 7 : 42);
            break;
        case ControlKind::ColourButton:
        case ControlKind::ColourChoice:
            TextOf(settings, member) = variant == 0 ? "12AB9F" : "FEDCBA";
            break;
        case ControlKind::TextField:
            TextOf(settings, member) = variant == 0 ? "alpha %n%" : "beta";
            break;
        case ControlKind::ImagePath:
            TextOf(settings, member) = variant == 0 ? "/tmp/a.png" : "/tmp/b.png";
            break;
        case ControlKind::FontChoice:
            TextOf(settings, member) = variant == 0 ? "Tahoma" : "Verdana";
            break;
        case ControlKind::DateTime:
            SetFieldNumber(settings, member, variant == 0 ? 1700000040 : 1800000000);
            break;
        case ControlKind::DepthChoice: {
            const char* format = row.config.format;
            // jpg 8,24; png 1..48; tiff 1..96: the first and last depth.
            const std::map<std::string, std::pair<int, int>> depths{
                {"jpg", {8, 24}}, {"png", {1, 48}}, {"tiff", {1, 96}}};
            auto found = depths.find(format);
            if (found != depths.end())
                SetFieldNumber(settings, member,
                          variant == 0 ? found->second.first : found->second.second);
            break;
        }
        case ControlKind::ThemeChoice:
            TextOf(settings, member) = variant == 0 ? "flat" : "handdrawn";
            break;
        case ControlKind::FormatChoice:
            TextOf(settings, member) = row.page == PreferencesPage::Input
                                           ? (variant == 0 ? "raw" : "dds")
                                           : (variant == 0 ? "png" : "tiff");
            break;
        case ControlKind::LanguageChoice:
        case ControlKind::None:
            break;
    }
}

// Puts the row's value of `wanted` into its widget as a user would.
void Enter(const BoundControl& bound, const S& wanted, test::FakeDialogs& dialogs) {
    const SettingMember& member = bound.row->config.member;
    S copy = wanted;
    switch (bound.row->control.kind) {
        case ControlKind::CheckBox:
            static_cast<QCheckBox*>(bound.control)->setChecked(FieldNumber(wanted, member) != 0);
            break;
        case ControlKind::Choice:
            static_cast<QComboBox*>(bound.control)->setCurrentIndex(int(FieldNumber(wanted, member)));
            break;
        case ControlKind::DepthChoice: {
            auto* combo = static_cast<QComboBox*>(bound.control);
            combo->setCurrentIndex(combo->findData(int(FieldNumber(wanted, member))));
            break;
        }
        case ControlKind::ThemeChoice:
        case ControlKind::FormatChoice:
        case ControlKind::FontChoice: {
            auto* combo = static_cast<QComboBox*>(bound.control);
            combo->setCurrentIndex(combo->findData(QString::fromStdString(TextOf(copy, member))));
            break;
        }
        case ControlKind::Slider: {
            auto* field = static_cast<QLineEdit*>(bound.field);
            field->setText(QString::number(FieldNumber(wanted, member)));
            emit field->editingFinished();
            break;
        }
        case ControlKind::NumberChoice:
            static_cast<QComboBox*>(bound.control)
                ->setEditText(QString::number(FieldNumber(wanted, member)));
            break;
        case ControlKind::ColourButton:
        case ControlKind::ColourChoice: {
            dialogs.colourToChoose = QColor("#" + QString::fromStdString(TextOf(copy, member)));
            auto* button =
                qobject_cast<QAbstractButton*>(bound.button ? bound.button : bound.control);
            QVERIFY(button->isEnabled());
            button->click();
            break;
        }
        case ControlKind::TextField:
        case ControlKind::ImagePath:
            static_cast<QLineEdit*>(bound.control)
                ->setText(QString::fromStdString(TextOf(copy, member)));
            break;
        case ControlKind::DateTime:
            static_cast<QDateTimeEdit*>(bound.control)
                ->setDateTime(QDateTime::fromSecsSinceEpoch(qint64(FieldNumber(wanted, member)),
                                                            QTimeZone::utc()));
            break;
        case ControlKind::LanguageChoice:
        case ControlKind::None:
            break;
    }
}

bool IsGovernor(const OptionField& row) {
    for (const OptionField& other : OptionFieldTable()) {
        if (other.control.rule && other.control.rule->governor == row.config.member) return true;
    }
    for (const PanelSpec& panel : PreferencesPanels()) {
        if (panel.rule.governor == row.config.member) return true;
    }
    return row.control.kind == ControlKind::FormatChoice;
}

// Settings A: defaults with every shown field set to variant 0.
S SettingsA(const PreferencesBinding& binding) {
    S settings;
    ResetSettingsToDefaults(settings, false);
    for (const BoundControl& bound : binding.controls()) SetVariant(settings, *bound.row, 0);
    return settings;
}

// One notch of the wheel (down) at `pos` of `window`, delivered as the window
// system delivers it: to the widget under the pointer, then to each parent
// in turn until one takes it.
void WheelNotch(QWidget* window, QPoint pos) {
    QWidget* under = window->childAt(pos);
    for (QWidget* widget = under != nullptr ? under : window; widget != nullptr;
         widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        QWheelEvent event(widget->mapFrom(window, QPointF(pos)), window->mapToGlobal(QPointF(pos)),
                          QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &event);
        if (event.isAccepted()) return;
    }
}

}  // namespace

class PreferencesDialogTest : public QObject {
    Q_OBJECT

    struct Fixture {
        S settings;
        TextTable texts;
        test::FakeDialogs dialogs;
        std::unique_ptr<PreferencesDialog> dialog;
        Fixture() {
            ResetSettingsToDefaults(settings, false);
            texts.Build();
        }
        void Open(int page = 0) {
            dialog = std::make_unique<PreferencesDialog>(nullptr, settings, texts, dialogs,
                                                         TestSources(), page);
        }
        PreferencesBinding& binding() { return dialog->binding(); }
        const BoundControl& bound(const SettingMember& member) {
            const BoundControl* found = binding().Find(member);
            if (found == nullptr) qFatal("no control");
            return *found;
        }
    };

  private slots:
    void everyShownRowHasItsControlOnItsPage() {
        Fixture f;
        f.Open();
        int bound = 0;
        for (const OptionField& row : OptionFieldTable()) {
            if (row.control.kind == ControlKind::None) continue;
            const char* format = row.control.panel == nullptr ? row.Panel() : nullptr;
            const BoundControl* control = f.binding().Find(row.config.member);
            const auto& sources = row.page == PreferencesPage::Input ? TestSources().inputFormats
                                                                     : TestSources().outputFormats;
            if (format != nullptr &&
                std::find(sources.begin(), sources.end(), format) == sources.end()) {
                QVERIFY2(control == nullptr, row.config.key);
                continue;
            }
            QVERIFY2(control != nullptr, row.config.key);
            QVERIFY2(f.dialog->page(int(row.page))->isAncestorOf(control->control), row.config.key);
            if (control->label)
                QCOMPARE(control->label->text(), UiText(f.texts, "Preferences", row.caption));
            ++bound;
        }
        QVERIFY(bound > 80);
        QCOMPARE(f.dialog->pageTree()->topLevelItemCount(), 9);
        QCOMPARE(f.dialog->pageTree()->topLevelItem(8)->text(0), QString("Advanced"));
    }

    void opensOnSettingsAAndOkStoresExactlyTheEdits() {
        Fixture f;
        f.Open();
        const S a = SettingsA(f.binding());
        f.settings = a;
        f.Open();
        // Loading A and storing it again changes nothing: every control shows
        // its field's value.
        {
            S stored = a;
            f.binding().Store(stored);
            QCOMPARE(Differences(a, stored), QStringList());
        }
        S b = a;
        for (const BoundControl& bound : f.binding().controls()) SetVariant(b, *bound.row, 1);
        QVERIFY(Differences(a, b).size() > 80);
        // Governors last, so that the controls they disable are still usable.
        for (bool governors : {false, true}) {
            for (const BoundControl& bound : f.binding().controls()) {
                if (IsGovernor(*bound.row) == governors) Enter(bound, b, f.dialogs);
            }
        }
        QCOMPARE(Differences(a, f.settings), QStringList());  // nothing before OK
        f.dialog->okButton()->click();
        QCOMPARE(f.dialog->outcome(), PreferencesDialog::Outcome::Accepted);
        QCOMPARE(Differences(b, f.settings), QStringList());
    }

    void cancelStoresNothing() {
        Fixture f;
        f.Open();
        const S before = f.settings;
        static_cast<QCheckBox*>(f.bound(&S::DoImageRotation).control)->setChecked(true);
        static_cast<QLineEdit*>(f.bound(&S::FilenameMask).control)->setText("x");
        f.dialog->cancelButton()->click();
        QCOMPARE(f.dialog->outcome(), PreferencesDialog::Outcome::Cancelled);
        QCOMPARE(Differences(before, f.settings), QStringList());
    }

    void defaultsAsksFirstThenResets() {
        Fixture f;
        f.Open();
        f.settings = SettingsA(f.binding());
        const S a = f.settings;
        f.Open();
        f.dialogs.answerYes = false;
        f.dialog->defaultsButton()->click();
        QCOMPARE(f.dialogs.shown.back().title, QString("Reset to Defaults"));
        QVERIFY(f.dialogs.lastText().startsWith("Are you sure you want to reset"));
        QCOMPARE(f.dialog->result(), 0);
        QCOMPARE(Differences(a, f.settings), QStringList());

        f.dialogs.answerYes = true;
        f.dialog->defaultsButton()->click();
        S defaults;
        ResetSettingsToDefaults(defaults, false);
        QCOMPARE(f.dialog->outcome(), PreferencesDialog::Outcome::ResetToDefaults);
        QCOMPARE(Differences(defaults, f.settings), QStringList());
        // A had another theme, so the whole interface is rebuilt.
        QCOMPARE(f.dialog->interfaceRefresh(), int(kRefreshAll));
    }

    void typedNumbersClampToTheRangeAndKeepSliderAndFieldInStep() {
        Fixture f;
        f.settings.ImageBrightness = -40;
        f.settings.ImageGamma = 1.5f;
        f.Open();
        auto* brightness = static_cast<QSlider*>(f.bound(&S::ImageBrightness).control);
        QCOMPARE(brightness->minimum(), 0);
        QCOMPARE(brightness->maximum(), 200);
        QCOMPARE(brightness->value(), 60);
        QCOMPARE(static_cast<QLineEdit*>(f.bound(&S::ImageBrightness).field)->text(),
                 QString("-40"));
        auto* gamma = static_cast<QSlider*>(f.bound(&S::ImageGamma).control);
        QCOMPARE(gamma->value(), 150);
        QCOMPARE(static_cast<QLineEdit*>(f.bound(&S::ImageGamma).field)->text(), QString("1.50"));
        gamma->setValue(7);
        QCOMPARE(static_cast<QLineEdit*>(f.bound(&S::ImageGamma).field)->text(), QString("0.07"));

        for (const BoundControl& bound : f.binding().controls()) {
            if (bound.row->control.kind != ControlKind::Slider) continue;
            auto* slider = static_cast<QSlider*>(bound.control);
            auto* field = static_cast<QLineEdit*>(bound.field);
            const FieldRange range = *bound.row->range;
            const int decimals = bound.row->control.decimals;
            field->setText(QString::number(range.maximum + 1000));
            emit field->editingFinished();
            QCOMPARE(field->text(), QString::number(range.maximum, 'f', decimals));
            QCOMPARE(slider->value(), slider->maximum());
            field->setText(QString::number(range.minimum - 1000));
            emit field->editingFinished();
            QCOMPARE(field->text(), QString::number(range.minimum, 'f', decimals));
            // Text that is no number leaves both as they were.
            field->setText("abc");
            emit field->editingFinished();
            QCOMPARE(slider->value(), slider->minimum());
        }
        auto* threshold = static_cast<QLineEdit*>(f.bound(&S::ImageThreshold).field);
        threshold->setText("300");
        // Typed but not yet confirmed: OK still takes it, clamped.
        f.dialog->okButton()->click();
        QCOMPARE(f.settings.ImageThreshold, 255);
        QCOMPARE(f.settings.ImageGamma, 0.01f);
    }

    void enableRulesFollowTheirGoverningControl() {
        Fixture f;
        f.Open();
        for (const BoundControl& bound : f.binding().controls()) {
            const std::optional<ControlRule>& rule = bound.row->control.rule;
            if (!rule) continue;
            const BoundControl& governor = f.bound(rule->governor);
            const int count = governor.row->control.kind == ControlKind::CheckBox
                                  ? 2
                                  : int(governor.row->control.entries.size());
            for (int value = 0; value < count; ++value) {
                if (auto* box = qobject_cast<QCheckBox*>(governor.control))
                    box->setChecked(value != 0);
                else
                    static_cast<QComboBox*>(governor.control)->setCurrentIndex(value);
                const bool expected = rule->Allows(value);
                QWidget* widget = bound.control;
                const bool actual = rule->hides ? !widget->isHidden() : widget->isEnabled();
                QVERIFY2(actual == expected, qPrintable(QString("%1 at %2 = %3")
                                                            .arg(bound.row->config.key)
                                                            .arg(governor.row->config.key)
                                                            .arg(value)));
                if (bound.label)
                    QCOMPARE(rule->hides ? !bound.label->isHidden() : bound.label->isEnabled(),
                             expected);
                if (bound.field)
                    QCOMPARE(rule->hides ? !bound.field->isHidden() : bound.field->isEnabled(),
                             expected);
            }
        }
        // The RAW rule: 1 and 2 read the sizes, 4 and 5 tone-map, others neither.
        auto* loadAs = static_cast<QComboBox*>(f.bound(&S::RawLoadAs).control);
        loadAs->setCurrentIndex(4);
        QVERIFY(!f.bound(&S::RawHeaderSize).control->isEnabled());
        QVERIFY(f.bound(&S::RawToneMapping).control->isEnabled());
    }

    void panelsShowByTheirChoice() {
        Fixture f;
        f.Open();
        auto panelOf = [&](const SettingMember& member) { return f.bound(member).panel; };
        auto* frame = static_cast<QComboBox*>(f.bound(&S::DoFrame).control);
        auto* watermark = static_cast<QComboBox*>(f.bound(&S::DoWatermark).control);
        QVERIFY(panelOf(&S::SolidLeft)->isHidden());
        frame->setCurrentIndex(1);
        QVERIFY(!panelOf(&S::SolidLeft)->isHidden());
        const QList<QPair<int, QPair<bool, bool>>> watermarkCases{
            {0, {false, false}}, {1, {true, false}}, {2, {false, true}}};
        for (const auto& [value, shown] : watermarkCases) {
            watermark->setCurrentIndex(value);
            QCOMPARE(!panelOf(&S::Text)->isHidden(), shown.first);
            QCOMPARE(!panelOf(&S::Image)->isHidden(), shown.second);
        }
        // The text and image panels share the rows below the type.
        QCOMPARE(panelOf(&S::Text)->pos(), panelOf(&S::Image)->pos());
        QCOMPARE(panelOf(&S::Text)->y(), 40);

        // Format sub-panels at (0, 40), one at a time; hdr has none.
        auto* output = static_cast<QComboBox*>(f.bound(&S::OutputFormat).control);
        QCOMPARE(output->itemData(0).toString(), QString("jpg"));
        QCOMPARE(panelOf(&S::JpgQuality)->pos(), QPoint(0, 40));
        output->setCurrentIndex(output->findData("png"));
        QVERIFY(panelOf(&S::JpgQuality)->isHidden());
        QVERIFY(!panelOf(&S::PngInterlaced)->isHidden());
        QVERIFY(panelOf(&S::TiffColorMode)->isHidden());
        auto* input = static_cast<QComboBox*>(f.bound(&S::InputFormat).control);
        input->setCurrentIndex(input->findData("hdr"));
        QVERIFY(panelOf(&S::RawLoadAs)->isHidden());
        QVERIFY(panelOf(&S::DdsLoadAs)->isHidden());
        input->setCurrentIndex(input->findData("dds"));
        QVERIFY(!panelOf(&S::DdsLoadAs)->isHidden());
    }

    void choicesListTheirEntriesInValueOrder() {
        Fixture f;
        f.Open();
        auto entries = [&](const SettingMember& member) {
            auto* combo = static_cast<QComboBox*>(f.bound(member).control);
            QStringList texts;
            for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
            return texts;
        };
        QCOMPARE(entries(&S::JpgBpp), QStringList({"Auto", "8", "24"}));
        QCOMPARE(entries(&S::UiTheme), QStringList({"Flat", "Hand-drawn"}));
        QCOMPARE(entries(&S::Language), QStringList({"English"}));
        // A stored value without an entry shows none and survives OK.
        f.settings.UiSize = 9;
        f.settings.JpgBpp = 12;
        f.Open();
        QCOMPARE(static_cast<QComboBox*>(f.bound(&S::UiSize).control)->currentIndex(), -1);
        f.dialog->okButton()->click();
        QCOMPARE(f.settings.UiSize, 9);
        QCOMPARE(f.settings.JpgBpp, 12);
    }

    void choosersAskTheDialogsAndCheckTheFont() {
        Fixture f;
        f.settings.DoWatermark = 2;
        f.Open();
        f.dialogs.fileToChoose = "/tmp/logo.png";
        qobject_cast<QAbstractButton*>(f.bound(&S::Image).button)->click();
        QCOMPARE(f.dialogs.shown.back().title, QString("Select Watermark Image"));
        QVERIFY(f.dialogs.lastFilters.first().startsWith("All Supported Files"));
        QVERIFY(f.dialogs.lastFilters.last().startsWith("All Files"));
        QCOMPARE(f.dialogs.lastFilters.size(), 5);
        // Cancelled choosers change nothing.
        f.dialogs.colourToChoose.reset();
        qobject_cast<QAbstractButton*>(f.bound(&S::FontColor).button)->click();

        f.dialogs.fontToChoose = "No Such Face Anywhere";
        auto* font = static_cast<QComboBox*>(f.bound(&S::Font).control);
        qobject_cast<QAbstractButton*>(f.bound(&S::Font).button)->click();
        QCOMPARE(f.dialogs.shown.back().kind, QString("warning"));
        QVERIFY(f.dialogs.lastText().contains("No Such Face Anywhere"));
        QCOMPARE(font->currentData().toString(), QString("Arial"));
        f.dialogs.fontToChoose = "Arial";
        f.dialogs.shown.clear();
        qobject_cast<QAbstractButton*>(f.bound(&S::Font).button)->click();
        QCOMPARE(f.dialogs.shown.size(), size_t(1));  // the chooser, no warning

        f.dialog->okButton()->click();
        QCOMPARE(f.settings.Image, std::string("/tmp/logo.png"));
        QCOMPARE(f.settings.FontColor, std::string("FFFFFF"));
        QCOMPARE(f.settings.Font, std::string("Arial"));
    }

    void aLineBreakOfTheWatermarkTextSurvivesTheOneLineField() {
        Fixture f;
        f.settings.Text = "first\nsecond";
        f.Open();
        QCOMPARE(static_cast<QLineEdit*>(f.bound(&S::Text).control)->text(),
                 QString("first%eol%second"));
        f.dialog->okButton()->click();
        QCOMPARE(f.settings.Text, std::string("first%eol%second"));  // draws the same break
    }

    void refreshFollowsThemeAndIconSize() {
        QCOMPARE(RefreshFor("a", 2, "a", 2), int(kRefreshNone));
        QCOMPARE(RefreshFor("a", 2, "a", 3), int(kRefreshToolbar));
        QCOMPARE(RefreshFor("a", 2, "b", 2), int(kRefreshAll));
        QCOMPARE(RefreshFor("a", 2, "b", 3), int(kRefreshAll));
    }

    // Five notches over the Transform page scroll it and leave the controls
    // that pass under the pointer alone: the saved height stays 0. A control
    // with the focus still takes the wheel.
    void theWheelScrollsThePageNotTheControlsUnderIt() {
        ScopedTempFolder home("wheel");
        ScopedEnv config("XDG_CONFIG_HOME", home.Path().c_str());
        const std::filesystem::path file = ConfigFilePath();
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << "[Transform]\nDo Image Resize = 1\nImage Height = 0\n";
        S settings;
        QVERIFY(LoadConfiguration(settings, file, std::nullopt));
        QCOMPARE(settings.DoImageResize, int8_t(1));
        ProjectState project;
        TextTable texts;
        texts.Build();
        test::FakeDialogs dialogs;
        IconSets icons;
        LoadIconSets(icons, settings, "/nonexistent/", true, true, true);
        DesktopContext context{settings, project, texts, dialogs, icons, "/nonexistent/"};
        MainWindow window(context);
        window.show();

        const int transform = int(PreferencesPage::Transform);
        window.actions().action(Command::Preferences)->trigger();
        PreferencesDialog* dialog = window.preferencesDialog();
        dialog->pageTree()->setCurrentItem(dialog->pageTree()->topLevelItem(transform));
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->pageTree()->setFocus();
        bool passedADropDown = false;
        for (int notch = 0; notch < 5; ++notch) {
            WheelNotch(dialog, QPoint(400, 200));
            for (QWidget* under = dialog->childAt(400, 200); under; under = under->parentWidget())
                passedADropDown |= qobject_cast<QComboBox*>(under) != nullptr;
        }
        QVERIFY(passedADropDown);
        QVERIFY(dialog->page(transform)->verticalScrollBar()->value() > 0);
        dialog->okButton()->click();
        const std::string saved = test_support::ReadFileBytes(file);
        QVERIFY(saved.find("Image Height = 0\r\n") != std::string::npos);

        window.actions().action(Command::Preferences)->trigger();
        dialog = window.preferencesDialog();
        dialog->ShowPage(transform);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        auto* height = static_cast<QComboBox*>(dialog->binding().Find(&S::ImageHeight)->control);
        QCOMPARE(height->focusPolicy(), Qt::StrongFocus);
        height->setFocus();
        QVERIFY(height->hasFocus());
        WheelNotch(dialog, height->mapTo(dialog, height->rect().center()));
        QCOMPARE(height->currentText(), QString("1"));  // the next of 0,1,2,5,...
        dialog->reject();
    }

    void mainWindowOpensOnTheAskedPageAndSavesOnOk() {
        ScopedTempFolder home("prefs");
        ScopedEnv config("XDG_CONFIG_HOME", home.Path().c_str());
        S settings;
        ResetSettingsToDefaults(settings, false);
        ProjectState project;
        TextTable texts;
        texts.Build();
        test::FakeDialogs dialogs;
        IconSets icons;
        LoadIconSets(icons, settings, "/nonexistent/", true, true, true);
        DesktopContext context{settings, project, texts, dialogs, icons, "/nonexistent/"};
        MainWindow window(context);
        window.show();

        window.actions().action(Command::OutputFormatOptions)->trigger();
        QVERIFY(window.preferencesDialog() != nullptr);
        QCOMPARE(window.preferencesDialog()->currentPage(), int(PreferencesPage::Output));
        QCOMPARE(window.preferencesDialog()->pageTitle()->text(), QString("Output"));
        QVERIFY(!window.preferencesDialog()->page(3)->isHidden());
        QVERIFY(window.preferencesDialog()->page(0)->isHidden());
        // Cancel leaves settings and the configuration file alone.
        static_cast<QCheckBox*>(
            window.preferencesDialog()->binding().Find(&S::KeepSubfolders)->control)
            ->setChecked(false);
        window.preferencesDialog()->reject();
        QVERIFY(window.preferencesDialog() == nullptr);
        QCOMPARE(settings.KeepSubfolders, int8_t(1));
        QVERIFY(!std::filesystem::exists(ConfigFilePath()));

        window.actions().action(Command::Preferences)->trigger();
        PreferencesDialog* dialog = window.preferencesDialog();
        QCOMPARE(dialog->currentPage(), int(PreferencesPage::General));
        // The tree switches pages and their title.
        dialog->pageTree()->setCurrentItem(dialog->pageTree()->topLevelItem(5));
        QCOMPARE(dialog->pageTitle()->text(), QString("Adjustment"));
        QVERIFY(!dialog->page(5)->isHidden());
        static_cast<QComboBox*>(dialog->binding().Find(&S::UiSize)->control)->setCurrentIndex(3);
        static_cast<QCheckBox*>(dialog->binding().Find(&S::KeepSubfolders)->control)
            ->setChecked(false);
        dialog->okButton()->click();
        QVERIFY(window.preferencesDialog() == nullptr);
        QCOMPARE(settings.UiSize, 3);
        QCOMPARE(window.form()->mainToolbar->iconSize(), QSize(48, 48));
        S saved;
        QVERIFY(LoadConfiguration(saved, ConfigFilePath(), std::nullopt));
        QCOMPARE(saved.KeepSubfolders, int8_t(0));
        QCOMPARE(saved.UiSize, 3);
    }
};

QTEST_MAIN(PreferencesDialogTest)
#include "preferences_dialog_test.moc"
