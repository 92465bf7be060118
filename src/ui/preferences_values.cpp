// Filling the preferences controls from the settings and reading them back.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/preferences_binding.h"
#include "ui/ui_text.h"

namespace orvex {

namespace {

int64_t ReadInteger(const ConversionSettings& settings, const SettingMember& member) {
    return static_cast<int64_t>(std::llround(FieldNumber(settings, member)));
}

std::string ReadText(const ConversionSettings& settings, const SettingMember& member) {
    if (auto field = std::get_if<std::string ConversionSettings::*>(&member))
        return settings.**field;
    return {};
}

void WriteText(ConversionSettings& settings, const SettingMember& member, const std::string& text) {
    if (auto field = std::get_if<std::string ConversionSettings::*>(&member))
        settings.** field = text;
}

}  // namespace

QStringList SplitList(const std::string& list) {
    QStringList items;
    for (const QString& item : QString::fromStdString(list).split(',', Qt::SkipEmptyParts)) {
        QString trimmed = item.trimmed();
        if (!trimmed.isEmpty()) items << trimmed;
    }
    return items;
}

QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

void ShowColour(QPushButton* button, const QString& hex) {
    button->setProperty("colour", hex);
    button->setIcon(Swatch(ColourFromText(hex)));
    button->setText(hex);
}

void SelectColour(QComboBox* combo, const QString& hex) {
    int index = combo->findData(hex.toUpper());
    if (index < 0) {
        combo->addItem(Swatch(ColourFromText(hex)), hex.toUpper(), hex.toUpper());
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

void SelectData(QComboBox* combo, const QString& data) {
    int index = combo->findData(data);
    if (index < 0) {
        combo->addItem(data, data);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

QString FormatValue(double value, int decimals) { return QString::number(value, 'f', decimals); }

QString ColourText(const QColor& colour) {
    if (!colour.isValid()) return QStringLiteral("000000");
    return colour.name(QColor::HexRgb).mid(1).toUpper();
}

QColor ColourFromText(const QString& text) {
    QColor colour(QStringLiteral("#") + text.trimmed());
    return colour.isValid() && text.trimmed().size() == 6 ? colour : QColor(Qt::black);
}

void PreferencesBinding::LoadOne(const BoundControl& bound, const ConversionSettings& settings) {
    const OptionField& row = *bound.row;
    const ControlSpec& spec = row.control;
    const SettingMember& member = row.config.member;
    const QString text = QString::fromStdString(ReadText(settings, member));
    switch (spec.kind) {
        case ControlKind::None:
            break;
        case ControlKind::CheckBox:
            static_cast<QCheckBox*>(bound.control)->setChecked(ReadInteger(settings, member) != 0);
            break;
        case ControlKind::Choice: {
            auto* combo = static_cast<QComboBox*>(bound.control);
            const int64_t value = ReadInteger(settings, member);
            // A value without an entry shows none and is kept as it is.
            combo->setCurrentIndex(value >= 0 && value < combo->count() ? int(value) : -1);
            break;
        }
        case ControlKind::DepthChoice: {
            auto* combo = static_cast<QComboBox*>(bound.control);
            const int depth = int(ReadInteger(settings, member));
            int index = combo->findData(depth);
            if (index < 0) {
                combo->addItem(QString::number(depth), depth);
                index = combo->count() - 1;
            }
            combo->setCurrentIndex(index);
            break;
        }
        case ControlKind::ThemeChoice:
        case ControlKind::FormatChoice:
            SelectData(static_cast<QComboBox*>(bound.control), text);
            break;
        case ControlKind::LanguageChoice:
            static_cast<QComboBox*>(bound.control)->setCurrentIndex(0);
            break;
        case ControlKind::Slider: {
            auto* slider = static_cast<QSlider*>(bound.control);
            auto* field = static_cast<QLineEdit*>(bound.field);
            const double value = FieldNumber(settings, member);
            slider->setValue(int(std::lround(value * spec.sliderScale)) + spec.sliderOffset);
            field->setText(FormatValue((slider->value() - spec.sliderOffset) / spec.sliderScale,
                                       spec.decimals));
            break;
        }
        case ControlKind::NumberChoice:
            static_cast<QComboBox*>(bound.control)
                ->setEditText(QString::number(ReadInteger(settings, member)));
            break;
        case ControlKind::ColourButton:
            ShowColour(static_cast<QPushButton*>(bound.control), text.toUpper());
            break;
        case ControlKind::ColourChoice: {
            auto* combo = static_cast<QComboBox*>(bound.control);
            combo->clear();
            for (const QString& colour : SplitList(ReadText(settings, *spec.list)))
                combo->addItem(Swatch(ColourFromText(colour)), colour.toUpper(), colour.toUpper());
            SelectColour(combo, text);
            break;
        }
        case ControlKind::FontChoice: {
            auto* combo = static_cast<QComboBox*>(bound.control);
            combo->clear();
            for (const QString& font : SplitList(ReadText(settings, *spec.list)))
                combo->addItem(font, font);
            SelectData(combo, text);
            break;
        }
        case ControlKind::TextField:
        case ControlKind::ImagePath: {
            // A one-line field shows a line break as the marker that draws it.
            QString shown = text;
            if (row.config.lineBreaks == LineBreaks::AsEolMarker)
                shown.replace(QStringLiteral("\r\n"), QStringLiteral("%eol%"))
                    .replace(QStringLiteral("\n"), QStringLiteral("%eol%"));
            static_cast<QLineEdit*>(bound.control)->setText(shown);
            break;
        }
        case ControlKind::DateTime: {
            auto* edit = static_cast<QDateTimeEdit*>(bound.control);
            const int64_t seconds = ReadInteger(settings, member);
            edit->setDateTime(QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc()));
            edit->setProperty("loaded", QVariant::fromValue<qlonglong>(seconds));
            break;
        }
    }
}

void PreferencesBinding::CommitNumberField(const BoundControl& bound) {
    const ControlSpec& spec = bound.row->control;
    auto* slider = static_cast<QSlider*>(bound.control);
    auto* field = static_cast<QLineEdit*>(bound.field);
    bool ok = false;
    const double typed = field->text().trimmed().toDouble(&ok);
    // A typed number is limited to the slider's range; a text that is no
    // number leaves the slider where it was.
    if (ok && std::isfinite(typed)) {
        const double position = std::round(typed * spec.sliderScale) + spec.sliderOffset;
        slider->setValue(
            int(std::clamp(position, double(slider->minimum()), double(slider->maximum()))));
    }
    field->setText(
        FormatValue((slider->value() - spec.sliderOffset) / spec.sliderScale, spec.decimals));
}

void PreferencesBinding::Store(ConversionSettings& settings) {
    for (const BoundControl& bound : m_controls) {
        if (bound.row->control.kind == ControlKind::Slider) CommitNumberField(bound);
    }
    for (const BoundControl& bound : m_controls) StoreOne(bound, settings);
}

void PreferencesBinding::StoreOne(const BoundControl& bound, ConversionSettings& settings) const {
    const OptionField& row = *bound.row;
    const ControlSpec& spec = row.control;
    const SettingMember& member = row.config.member;
    switch (spec.kind) {
        case ControlKind::None:
            break;
        case ControlKind::CheckBox:
            SetFieldNumber(settings, member,
                           static_cast<QCheckBox*>(bound.control)->isChecked() ? 1 : 0);
            break;
        case ControlKind::Choice: {
            const int index = static_cast<QComboBox*>(bound.control)->currentIndex();
            if (index >= 0) SetFieldNumber(settings, member, index);
            break;
        }
        case ControlKind::DepthChoice: {
            auto* combo = static_cast<QComboBox*>(bound.control);
            if (combo->currentIndex() >= 0)
                SetFieldNumber(settings, member, combo->currentData().toInt());
            break;
        }
        case ControlKind::ThemeChoice:
        case ControlKind::FormatChoice:
        case ControlKind::LanguageChoice:
        case ControlKind::FontChoice:
        case ControlKind::ColourChoice: {
            auto* combo = static_cast<QComboBox*>(bound.control);
            if (combo->currentIndex() >= 0)
                WriteText(settings, member, ToUtf8(combo->currentData().toString()));
            break;
        }
        case ControlKind::Slider: {
            const int position = static_cast<QSlider*>(bound.control)->value();
            SetFieldNumber(settings, member, (position - spec.sliderOffset) / spec.sliderScale);
            break;
        }
        case ControlKind::NumberChoice: {
            // The number typed or chosen; a text that is no number keeps the field.
            bool ok = false;
            const qlonglong typed =
                static_cast<QComboBox*>(bound.control)->currentText().trimmed().toLongLong(&ok);
            if (!ok) break;
            double value = double(typed);
            if (row.range) value = std::clamp(value, row.range->minimum, row.range->maximum);
            SetFieldNumber(settings, member, value);
            break;
        }
        case ControlKind::ColourButton:
            WriteText(settings, member, ToUtf8(bound.control->property("colour").toString()));
            break;
        case ControlKind::TextField:
        case ControlKind::ImagePath:
            WriteText(settings, member, ToUtf8(static_cast<QLineEdit*>(bound.control)->text()));
            break;
        case ControlKind::DateTime: {
            auto* edit = static_cast<QDateTimeEdit*>(bound.control);
            const qint64 loaded = edit->property("loaded").toLongLong();
            const qint64 shown = edit->dateTime().toSecsSinceEpoch();
            // The field shows minutes: an untouched time keeps its seconds.
            if (shown / 60 != loaded / 60 || (loaded < 0) != (shown < 0))
                SetFieldNumber(settings, member, double(shown));
            else
                SetFieldNumber(settings, member, double(loaded));
            break;
        }
    }
}

}  // namespace orvex
