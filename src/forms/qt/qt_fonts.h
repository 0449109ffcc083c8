// Fonts, colours and text for the Qt backend.
#pragma once

#include "forms/types.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

#include <string_view>

namespace forms::qt {

// The font a layout names, or its stand-in where that face is not installed:
// a Japanese-capable face, proportional where the named face is.
QFont resolveFont(const FontSpec& wanted);

// The family picked for a face name (for diagnostics and tests).
QString resolveFamily(std::u16string_view face);

QColor resolveColor(Color color, const QPalette& palette);

inline QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

// A caption as the label draws it: a carriage return, with or without a line
// feed, starts a new line.
QString displayText(std::u16string_view caption);

} // namespace forms::qt
