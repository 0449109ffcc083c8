#include "forms/qt/qt_desktop.h"

#include "forms/qt/qt_text.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QRawFont>

#include <cmath>

namespace forms::qt {

namespace {

QFont toQFont(const FontFace& face)
{
    QFont font(toQString(face.family));
    font.setPixelSize(std::max(1, face.pixels));
    font.setWeight(face.weight >= 700 ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace

const QtDesktop::Made& QtDesktop::made(const FontFace& face)
{
    const auto key = std::make_tuple(face.family, face.pixels, face.weight);
    auto it = made_.find(key);
    if (it == made_.end()) {
        const QFont qfont = toQFont(face);
        it = made_.emplace(key, Made{qfont, QFontMetrics(qfont)}).first;
    }
    return it->second;
}

const QFont& QtDesktop::font(const FontFace& face)
{
    return made(face).font;
}

std::vector<std::u16string> QtDesktop::japaneseFamilies()
{
    std::vector<std::u16string> families;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Japanese))
        families.push_back(fromQString(family));
    return families;
}

// writingSystems() looks the name up in the font database; hasFamily() also
// lists every family and asks the system for aliases of the name. Asked in this
// order, a name that is not installed (as the Windows faces mostly are not)
// costs only the look-up.
bool QtDesktop::isJapanese(std::u16string_view family)
{
    const QString name = toQString(family);
    return QFontDatabase::writingSystems(name).contains(QFontDatabase::Japanese) &&
           QFontDatabase::hasFamily(name);
}

bool QtDesktop::hasGlyphs(const FontFace& face, std::u16string_view text)
{
    // The face's own glyphs: QFontMetrics would count the fallback faces' too.
    const QRawFont raw = QRawFont::fromFont(font(face));
    if (!raw.isValid())
        return false;
    for (char16_t c : text)
        if (!raw.supportsCharacter(QChar(c)))
            return false;
    return true;
}

int QtDesktop::width(const FontFace& face, std::u16string_view text)
{
    return made(face).metrics.horizontalAdvance(toQString(text));
}

FontMetrics QtDesktop::metrics(const FontFace& face)
{
    const QFontMetrics& metrics = made(face).metrics;
    return {metrics.ascent(), metrics.height(), metrics.lineSpacing()};
}

FontFace QtDesktop::defaultFont(int dpi)
{
    const QFont font = QGuiApplication::font();
    const int pixels = font.pixelSize() > 0
                           ? static_cast<int>(std::lround(font.pixelSize() * dpi / 96.0))
                           : static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0));
    return {fromQString(font.family()), pixels, font.weight() >= QFont::DemiBold ? 700 : 400};
}

Color QtDesktop::systemColor(int index)
{
    const QPalette palette = QGuiApplication::palette();
    QPalette::ColorRole role = QPalette::Window;
    QPalette::ColorGroup group = QPalette::Active;
    switch (index) {
    case 2:  // active caption
    case 13: // highlight
        role = QPalette::Highlight;
        break;
    case 9:  // caption text
    case 14: // highlighted text
        role = QPalette::HighlightedText;
        break;
    case 5: // window background
        role = QPalette::Base;
        break;
    case 8: // window text
        role = QPalette::Text;
        break;
    case 16: // button shadow
        role = QPalette::Dark;
        break;
    case 17: // grey text
        role = QPalette::Text;
        group = QPalette::Disabled;
        break;
    case 18: // button text
        role = QPalette::ButtonText;
        break;
    case 20: // 3D highlight
        role = QPalette::Light;
        break;
    case 21: // 3D dark shadow
        role = QPalette::Shadow;
        break;
    case 22: // 3D light
        role = QPalette::Midlight;
        break;
    case 23: // tool tip text
        role = QPalette::ToolTipText;
        break;
    case 24: // tool tip background
        role = QPalette::ToolTipBase;
        break;
    case 6: // window frame
    case 7: // menu text
        role = QPalette::WindowText;
        break;
    default: // desktop, menus, button face and the rest of the dialog colours
        break;
    }
    return fromQColor(palette.color(group, role));
}

QtDesktop& qtDesktop()
{
    // Never destroyed: no font may outlive the application object in a static
    // destructor; Application lets go of them with forget().
    static QtDesktop* instance = new QtDesktop;
    return *instance;
}

} // namespace forms::qt

namespace forms {

Desktop& desktop()
{
    return qt::qtDesktop();
}

} // namespace forms
