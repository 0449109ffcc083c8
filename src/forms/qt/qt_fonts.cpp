#include "forms/qt/qt_fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>

#include <map>
#include <vector>

namespace forms::qt {

namespace {

struct FaceFallback
{
    std::u16string_view face;
    bool proportional;                 // the stand-in must be proportional too
    std::vector<const char*> families; // tried in this order after the face itself
};

// Stand-ins for the Japanese system faces the layouts name.
const std::vector<FaceFallback>& fallbacks()
{
    static const std::vector<FaceFallback> table = {
        {u"ＭＳ Ｐゴシック",
         true,
         {"MS PGothic", "IPAPGothic", "IPAexGothic", "VL PGothic", "TakaoPGothic", "Meiryo UI",
          "Yu Gothic UI"}},
        {u"ＭＳ 明朝",
         false,
         {"MS Mincho", "IPAMincho", "IPAexMincho", "TakaoMincho", "IPAPMincho",
          "Noto Serif CJK JP"}},
    };
    return table;
}

// writingSystems() looks the name up in the font database; hasFamily() also
// lists every family and asks the system for aliases of the name. Asked in this
// order, a name that is not installed (as the Windows faces mostly are not)
// costs only the look-up: the answer is the same.
bool isJapanese(const QString& family)
{
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese) &&
           QFontDatabase::hasFamily(family);
}

// Fullwidth letters of a proportional face have widths of their own.
bool isProportional(const QString& family)
{
    QFont font(family);
    font.setPixelSize(13);
    QFontMetrics metrics(font);
    return metrics.horizontalAdvance(QStringLiteral(u"Ｉ")) <
           metrics.horizontalAdvance(QStringLiteral(u"Ｗ"));
}

bool suits(const QString& family, bool proportional)
{
    return isJapanese(family) && (!proportional || isProportional(family));
}

QString pickFamily(std::u16string_view face)
{
    const QString named = toQString(face);
    const FaceFallback* fallback = nullptr;
    for (const auto& entry : fallbacks())
        if (entry.face == face)
            fallback = &entry;
    if (fallback == nullptr)
        return QFontDatabase::hasFamily(named) ? named : QGuiApplication::font().family();

    if (suits(named, fallback->proportional))
        return named;
    for (const char* family : fallback->families)
        if (suits(QString::fromLatin1(family), fallback->proportional))
            return QString::fromLatin1(family);
    for (const QString& family : QFontDatabase::families(QFontDatabase::Japanese))
        if (suits(family, fallback->proportional))
            return family;
    return QGuiApplication::font().family();
}

} // namespace

QString resolveFamily(std::u16string_view face)
{
    static std::map<std::u16string, QString, std::less<>> cache;
    auto it = cache.find(face);
    if (it == cache.end())
        it = cache.emplace(std::u16string(face), pickFamily(face)).first;
    return it->second;
}

QFont resolveFont(const FontSpec& wanted)
{
    if (wanted.isDefault())
        return QGuiApplication::font();
    QFont font(resolveFamily(wanted.face));
    font.setPixelSize(fontPixels(wanted.points));
    font.setWeight(wanted.weight >= 700 ? QFont::Bold : QFont::Normal);
    return font;
}

QColor resolveColor(Color color, const QPalette& palette)
{
    if (!isSystemColor(color))
        return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                      static_cast<int>((color >> 16) & 0xFF));
    switch (color & 0xFF) {
    case 2:  // active caption
    case 13: // highlight
        return palette.color(QPalette::Highlight);
    case 9:  // caption text
    case 14: // highlighted text
        return palette.color(QPalette::HighlightedText);
    case 5: // window background
        return palette.color(QPalette::Base);
    case 8: // window text
        return palette.color(QPalette::Text);
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 17: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 20: // 3D highlight
        return palette.color(QPalette::Light);
    case 21: // 3D dark shadow
        return palette.color(QPalette::Shadow);
    case 22: // 3D light
        return palette.color(QPalette::Midlight);
    case 23: // tool tip text
        return palette.color(QPalette::ToolTipText);
    case 24: // tool tip background
        return palette.color(QPalette::ToolTipBase);
    case 6: // window frame
    case 7: // menu text
        return palette.color(QPalette::WindowText);
    default: // desktop, menus, button face and the rest of the dialog colours
        return palette.color(QPalette::Window);
    }
}

QString displayText(std::u16string_view caption)
{
    QString text = toQString(caption);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace forms::qt
