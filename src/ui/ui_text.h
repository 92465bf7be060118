// Looking up interface texts for Qt widgets.
#pragma once

#include <QString>
#include <string>

#include "text/text_table.h"

namespace orvex {

// The text of (group, key) with its placeholders filled, as a QString.
inline QString UiText(const TextTable& texts, const char* group, const char* key,
                      const std::string& s1 = "", const std::string& s2 = "") {
    return QString::fromStdString(FillPlaceholders(texts.Text(group, key), s1, s2));
}

inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace orvex
