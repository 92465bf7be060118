// Making, filling and reading the preferences controls from the option table.
#include "ui/preferences_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <functional>

#include "formats/input_formats.h"
#include "formats/output_formats.h"
#include "drawing/watermark_font.h"
#include "text/unicode_case.h"
#include "ui/dialogs.h"
#include "ui/ui_text.h"

namespace orvex {

namespace {

// The page grid: labels at x 10 (160 wide), controls at x 170 (240 wide),
// number fields at x 340 (70 wide), rows 30 apart from y 10.
constexpr int kLabelX = 10;
constexpr int kLabelWidth = 160;
constexpr int kControlX = 170;
constexpr int kControlWidth = 240;
constexpr int kFieldX = 340;
constexpr int kFieldWidth = 70;
constexpr int kRowHeight = 30;
constexpr int kFirstRow = 10;
constexpr int kLineHeight = 24;

std::string PanelKey(PreferencesPage page, const char* panel) {
    return std::to_string(static_cast<int>(page)) + "/" + (panel ? panel : "");
}

}  // namespace

PreferencesBinding::PreferencesBinding(const TextTable& texts, DesktopDialogs& dialogs,
                                       PreferencesSources sources, QWidget* dialogParent)
    : m_texts(texts),
      m_dialogs(dialogs),
      m_sources(std::move(sources)),
      m_dialogParent(dialogParent) {
    for (const PanelSpec& spec : PreferencesPanels())
        m_panelSpecs[PanelKey(spec.page, spec.name)] = &spec;
}

QString PreferencesBinding::Caption(const char* key) const {
    return UiText(m_texts, "Preferences", key);
}

int PreferencesBinding::BuildPage(PreferencesPage page, QWidget* content) {
    const std::vector<std::string>& formats =
        page == PreferencesPage::Input ? m_sources.inputFormats : m_sources.outputFormats;
    int pageRow = 0;
    int bottom = 0;
    std::map<std::string, int> panelRows;
    for (const OptionField& row : OptionFieldTable()) {
        if (row.page != page || row.control.kind == ControlKind::None) continue;
        const char* panelName = row.Panel();
        // A format's sub-panel exists only for the formats of this build.
        const bool formatPanel = panelName != nullptr && row.control.panel == nullptr;
        if (formatPanel && std::find(formats.begin(), formats.end(), panelName) == formats.end())
            continue;

        BoundControl bound;
        bound.row = &row;
        QWidget* parent = content;
        int* cursor = &pageRow;
        int top = 0;
        if (panelName != nullptr) {
            const std::string key = PanelKey(page, panelName);
            QWidget*& panel = m_panels[key];
            if (panel == nullptr) {
                panel = new QWidget(content);
                panel->setObjectName(QString::fromUtf8(panelName));
                panel->move(0, kFirstRow + kRowHeight * pageRow);
            }
            parent = panel;
            cursor = &panelRows[key];
            top = panel->y();
        }
        if (row.control.besideLast) --*cursor;
        const int y = kFirstRow * (panelName ? 0 : 1) + kRowHeight * *cursor;
        Build(bound, parent, y);
        ++*cursor;
        bound.panel = parent;
        if (parent != content) parent->resize(450, y + kRowHeight);
        bottom = std::max(bottom, top + y + kRowHeight);
        m_controls.push_back(bound);
    }
    return bottom + kFirstRow;
}

void PreferencesBinding::Build(BoundControl& bound, QWidget* parent, int y) {
    const ControlSpec& spec = bound.row->control;
    const QString objectName = QString::fromUtf8(bound.row->config.key);
    if (!spec.besideLast) {
        bound.label = new QLabel(Caption(bound.row->caption), parent);
        bound.label->setGeometry(kLabelX, y, kLabelWidth, kLineHeight);
    }
    auto place = [&](QWidget* widget, int x, int width) {
        widget->setGeometry(x, y, width, kLineHeight);
        return widget;
    };
    auto chooserButton = [&](const std::function<void()>& onClick) {
        auto* button = new QToolButton(parent);
        button->setText(QStringLiteral("..."));
        button->setObjectName(objectName + QStringLiteral(" ..."));
        place(button, kControlX + kControlWidth - 30, 30);
        connect(button, &QToolButton::clicked, this, onClick);
        bound.button = button;
    };
    const size_t index = m_controls.size();  // `bound` is stored at this index
    switch (spec.kind) {
        case ControlKind::None:
            break;
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(parent);
            connect(box, &QCheckBox::toggled, this, [this] { ApplyRules(); });
            bound.control = place(box, kControlX, kControlWidth);
            break;
        }
        case ControlKind::Choice:
        case ControlKind::DepthChoice:
        case ControlKind::ThemeChoice:
        case ControlKind::FormatChoice:
        case ControlKind::LanguageChoice: {
            auto* combo = new QComboBox(parent);
            if (spec.kind == ControlKind::Choice) {
                for (const char* entry : spec.entries) combo->addItem(Caption(entry));
            } else if (spec.kind == ControlKind::DepthChoice) {
                combo->addItem(Caption("Auto"), 0);
                const OutputFormatRow* format = FindOutputFormat(bound.row->config.format);
                if (format != nullptr) {
                    for (const QString& depth : SplitList(format->depths))
                        combo->addItem(depth, depth.toInt());
                }
            } else if (spec.kind == ControlKind::ThemeChoice) {
                for (const auto& [id, name] : m_sources.themes)
                    combo->addItem(QString::fromStdString(name.empty() ? id : name),
                                   QString::fromStdString(id));
            } else if (spec.kind == ControlKind::FormatChoice) {
                const bool input = bound.row->page == PreferencesPage::Input;
                for (const std::string& format :
                     input ? m_sources.inputFormats : m_sources.outputFormats) {
                    std::string description;
                    if (input) {
                        for (const InputExtensionRow& in : InputExtensionTable())
                            if (in.group == format) {
                                description = in.description;
                                break;
                            }
                    } else if (const OutputFormatRow* out = FindOutputFormat(format)) {
                        description = out->description;
                    }
                    combo->addItem(
                        QString::fromStdString(ToUpperAscii(format) + " (" + description + ")"),
                        QString::fromStdString(format));
                }
            } else {
                combo->addItem(QStringLiteral("English"), QStringLiteral("en"));
            }
            connect(combo, &QComboBox::currentIndexChanged, this, [this] { ApplyRules(); });
            bound.control = spec.besideLast ? place(combo, kFieldX, kFieldWidth)
                                            : place(combo, kControlX, kControlWidth);
            break;
        }
        case ControlKind::Slider: {
            auto* slider = new QSlider(Qt::Horizontal, parent);
            const FieldRange range = bound.row->range.value_or(FieldRange{0, 100});
            slider->setRange(
                int(std::lround(range.minimum * spec.sliderScale)) + spec.sliderOffset,
                int(std::lround(range.maximum * spec.sliderScale)) + spec.sliderOffset);
            auto* field = new QLineEdit(parent);
            field->setObjectName(objectName + QStringLiteral(" field"));
            // Moving the slider writes its value into the field.
            connect(slider, &QSlider::valueChanged, this, [spec, field](int position) {
                field->setText(
                    FormatValue((position - spec.sliderOffset) / spec.sliderScale, spec.decimals));
            });
            connect(field, &QLineEdit::editingFinished, this,
                    [this, index] { CommitNumberField(m_controls[index]); });
            bound.control = place(slider, kControlX, kFieldX - kControlX - 5);
            bound.field = place(field, kFieldX, kFieldWidth);
            break;
        }
        case ControlKind::NumberChoice: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(
                QString::fromUtf8(spec.presets ? spec.presets : "").split(',', Qt::SkipEmptyParts));
            bound.control =
                place(combo, spec.besideLast ? kFieldX : kControlX, kFieldX - kControlX - 10);
            break;
        }
        case ControlKind::ColourButton: {
            auto* button = new QPushButton(parent);
            connect(button, &QPushButton::clicked, this,
                    [this, index] { ChooseColour(m_controls[index]); });
            bound.control = place(button, kControlX, 100);
            break;
        }
        case ControlKind::ColourChoice: {
            auto* combo = new QComboBox(parent);
            bound.control = place(combo, kControlX, kControlWidth - 35);
            chooserButton([this, index] { ChooseColour(m_controls[index]); });
            break;
        }
        case ControlKind::FontChoice: {
            auto* combo = new QComboBox(parent);
            bound.control = place(combo, kControlX, kControlWidth - 35);
            chooserButton([this, index] { ChooseFont(m_controls[index]); });
            break;
        }
        case ControlKind::TextField:
            bound.control = place(new QLineEdit(parent), kControlX, kControlWidth);
            break;
        case ControlKind::ImagePath:
            bound.control = place(new QLineEdit(parent), kControlX, kControlWidth - 35);
            chooserButton([this, index] { ChooseImage(m_controls[index]); });
            break;
        case ControlKind::DateTime: {
            auto* edit = new QDateTimeEdit(parent);
            edit->setTimeSpec(Qt::UTC);  // the field is calendar time without a zone
            edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd hh:mm"));
            bound.control = place(edit, kControlX, kControlWidth);
            break;
        }
    }
    if (bound.control != nullptr) bound.control->setObjectName(objectName);
}

void PreferencesBinding::Load(const ConversionSettings& settings) {
    for (const BoundControl& bound : m_controls) LoadOne(bound, settings);
    ApplyRules();
}

const BoundControl* PreferencesBinding::Find(const SettingMember& member) const {
    for (const BoundControl& bound : m_controls) {
        if (bound.row->config.member == member) return &bound;
    }
    return nullptr;
}

int64_t PreferencesBinding::CurrentValue(const SettingMember& member) const {
    const BoundControl* bound = Find(member);
    if (bound == nullptr) return -1;
    if (auto* box = qobject_cast<QCheckBox*>(bound->control)) return box->isChecked() ? 1 : 0;
    if (auto* combo = qobject_cast<QComboBox*>(bound->control)) return combo->currentIndex();
    return -1;
}

std::string PreferencesBinding::ChosenTheme() const {
    const BoundControl* bound = Find(&ConversionSettings::UiTheme);
    if (bound == nullptr) return {};
    return ToUtf8(static_cast<QComboBox*>(bound->control)->currentData().toString());
}

void PreferencesBinding::ApplyRules() {
    // Panels: the solid frame's, the text's and the image's by their choice;
    // a format's sub-panel by the format drop-down of its page.
    for (const auto& [key, panel] : m_panels) {
        auto spec = m_panelSpecs.find(key);
        if (spec != m_panelSpecs.end()) {
            panel->setVisible(spec->second->rule.Allows(CurrentValue(spec->second->rule.governor)));
            continue;
        }
        const bool input = key.rfind(std::to_string(int(PreferencesPage::Input)) + "/", 0) == 0;
        const BoundControl* format = Find(input ? SettingMember(&ConversionSettings::InputFormat)
                                                : SettingMember(&ConversionSettings::OutputFormat));
        const std::string chosen =
            format ? ToUtf8(static_cast<QComboBox*>(format->control)->currentData().toString())
                   : "";
        panel->setVisible(key.substr(key.find('/') + 1) == chosen);
    }
    for (const BoundControl& bound : m_controls) {
        const std::optional<ControlRule>& rule = bound.row->control.rule;
        if (!rule) continue;
        const bool allowed = rule->Allows(CurrentValue(rule->governor));
        for (QWidget* widget :
             {static_cast<QWidget*>(bound.label), bound.control, bound.field, bound.button}) {
            if (widget == nullptr) continue;
            if (rule->hides)
                widget->setVisible(allowed);
            else
                widget->setEnabled(allowed);
        }
    }
}

void PreferencesBinding::ChooseColour(const BoundControl& bound) {
    const bool isButton = bound.row->control.kind == ControlKind::ColourButton;
    auto* combo = qobject_cast<QComboBox*>(bound.control);
    const QString current = isButton ? bound.control->property("colour").toString()
                                     : (combo ? combo->currentData().toString() : QString());
    std::optional<QColor> chosen = m_dialogs.ChooseColour(m_dialogParent, ColourFromText(current));
    if (!chosen || !chosen->isValid()) return;
    if (isButton)
        ShowColour(static_cast<QPushButton*>(bound.control), ColourText(*chosen));
    else if (combo)
        SelectColour(combo, ColourText(*chosen));
}

void PreferencesBinding::ChooseFont(const BoundControl& bound) {
    auto* combo = static_cast<QComboBox*>(bound.control);
    const QString family = m_dialogs.ChooseFont(m_dialogParent, combo->currentData().toString());
    if (family.isEmpty()) return;
    // The watermark draws only faces fontconfig resolves by this name.
    ConversionSettings probe;
    probe.Font = ToUtf8(family);
    if (WatermarkFont::Load(probe) == nullptr) {
        m_dialogs.Warning(m_dialogParent, UiText(m_texts, "Msg", "Error"),
                          UiText(m_texts, "Msg", "Invalid watermark font", ToUtf8(family)));
        return;
    }
    SelectData(combo, family);
}

void PreferencesBinding::ChooseImage(const BoundControl& bound) {
    auto* field = static_cast<QLineEdit*>(bound.control);
    const QStringList filters{
        UiText(m_texts, "Dialog", "All Supported Files") +
            QStringLiteral(" (*.png *.bmp *.rle *.dib *.jpg *.jpeg *.jpe *.jif)"),
        QStringLiteral("Portable Network Graphics (*.png)"),
        QStringLiteral("Windows or OS/2 Bitmap (*.bmp *.rle *.dib)"),
        QStringLiteral("JPEG File (*.jpg *.jpeg *.jpe *.jif)"),
        UiText(m_texts, "Dialog", "All Files") + QStringLiteral(" (*)"),
    };
    const QString path =
        m_dialogs.OpenFile(m_dialogParent, UiText(m_texts, "Dialog", "Select Watermark Image"),
                           field->text(), filters);
    if (!path.isEmpty()) field->setText(path);
}

}  // namespace orvex