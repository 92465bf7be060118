// The preferences dialog's controls, made and bound from the option table:
// one control per shown row, filled from its field, read back into it, kept
// in step (slider and number field) and enabled or shown by the table's rules.
#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/option_fields.h"

class QComboBox;
class QIcon;
class QLabel;
class QPushButton;
class QWidget;

namespace orvex {

class TextTable;
class DesktopDialogs;

// What the dialog's lists hold beyond the settings themselves.
struct PreferencesSources {
    std::vector<std::pair<std::string, std::string>> themes;  // id, display name
    std::vector<std::string> inputFormats;                    // reader groups
    std::vector<std::string> outputFormats;                   // writer extensions
};

// The widgets of one row. `control` is the drop-down, check box, slider,
// field or button that holds the value; `field` the number field beside a
// slider, or the text field of an image path; `button` a "..." chooser.
struct BoundControl {
    const OptionField* row = nullptr;
    QLabel* label = nullptr;
    QWidget* control = nullptr;
    QWidget* field = nullptr;
    QWidget* button = nullptr;
    QWidget* panel = nullptr;  // the panel it sits in, or the page
};

class PreferencesBinding : public QObject {
    Q_OBJECT
  public:
    PreferencesBinding(const TextTable& texts, DesktopDialogs& dialogs, PreferencesSources sources,
                       QWidget* dialogParent);

    // Builds the rows of `page` into `content` (the page's scrolled area) and
    // returns the height they take.
    int BuildPage(PreferencesPage page, QWidget* content);

    // Every control from its field, then the enable rules.
    void Load(const ConversionSettings& settings);
    // Every control back into its field.
    void Store(ConversionSettings& settings);
    // Shows, hides, enables and disables by the governing controls.
    void ApplyRules();

    // The value a control shows now, as its field would hold it (check box
    // 0/1, drop-down position); -1 for a drop-down without a choice.
    int64_t CurrentValue(const SettingMember& member) const;
    // The theme id and icon size the dialog shows now.
    std::string ChosenTheme() const;

    const BoundControl* Find(const SettingMember& member) const;
    const std::vector<BoundControl>& controls() const { return m_controls; }

  private:
    void Build(BoundControl& bound, QWidget* parent, int y);
    void LoadOne(const BoundControl& bound, const ConversionSettings& settings);
    void StoreOne(const BoundControl& bound, ConversionSettings& settings) const;
    void CommitNumberField(const BoundControl& bound);
    void ChooseColour(const BoundControl& bound);
    void ChooseFont(const BoundControl& bound);
    void ChooseImage(const BoundControl& bound);
    QString Caption(const char* key) const;

    const TextTable& m_texts;
    DesktopDialogs& m_dialogs;
    PreferencesSources m_sources;
    QWidget* m_dialogParent;
    std::vector<BoundControl> m_controls;
    std::map<std::string, QWidget*> m_panels;  // by page number and panel name
    std::map<std::string, const PanelSpec*> m_panelSpecs;
};

// Widget helpers the binding's files share.
// The trimmed, non-empty items of a "," separated list.
QStringList SplitList(const std::string& list);
// A 16 x 16 picture of the colour with a black edge.
QIcon Swatch(const QColor& colour);
// A colour button showing (and holding) six hex digits.
void ShowColour(QPushButton* button, const QString& hex);
// Selects the entry whose data is `hex` (or `data`), adding it when the list
// lacks it, so that a stored value never goes missing.
void SelectColour(QComboBox* combo, const QString& hex);
void SelectData(QComboBox* combo, const QString& data);
// A number field's text: `decimals` digits after the point.
QString FormatValue(double value, int decimals);

// "FF8000" for an orange; "000000" for an invalid colour.
QString ColourText(const QColor& colour);
// The colour of six hex digits ("" or a bad text gives black).
QColor ColourFromText(const QString& text);

}  // namespace orvex
