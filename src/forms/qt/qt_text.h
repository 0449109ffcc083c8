// Text and colours between the core and Qt.
#pragma once

#include "forms/types.h"

#include <QColor>
#include <QString>

#include <string_view>

namespace forms::qt {

inline QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

inline std::u16string fromQString(const QString& text)
{
    return text.toStdU16String();
}

// A plain 0x00BBGGRR colour.
inline QColor toQColor(Color color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

inline Color fromQColor(const QColor& color)
{
    return static_cast<Color>(color.red()) | static_cast<Color>(color.green()) << 8 |
           static_cast<Color>(color.blue()) << 16;
}

} // namespace forms::qt
