#include "forms/qt/qt_desktop.h"

#include "forms/qt/qt_text.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPalette>
#include <QRawFont>
#include <QStyle>
#include <QStyleOptionButton>

#include <fontconfig/fontconfig.h>

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

QtDesktop::Made& QtDesktop::made(const FontFace& face)
{
    for (const auto& entry : made_)
        if (entry->face.pixels == face.pixels && entry->face.weight == face.weight &&
            entry->face.family == face.family)
            return *entry;
    const QFont qfont = toQFont(face);
    const QFontMetrics metrics(qfont);
    made_.push_back(std::unique_ptr<Made>(new Made{
        face, qfont, metrics, {metrics.ascent(), metrics.height(), metrics.lineSpacing()}, {}}));
    return *made_.back();
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

// Qt knows a family by its name in the user's language only ("IPA明朝" under a
// Japanese locale, "IPAMincho" elsewhere); fontconfig knows every name a face
// has, so that the stand-ins are found by the same names under every locale.
bool QtDesktop::isJapanese(std::u16string_view family)
{
    if (family.empty())
        return false;
    const QByteArray name = toQString(family).toUtf8();
    FcPattern* pattern = FcPatternCreate();
    FcLangSet* japanese = FcLangSetCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    bool found = false;
    if (pattern != nullptr && japanese != nullptr && objects != nullptr &&
        FcPatternAddString(pattern, FC_FAMILY,
                           reinterpret_cast<const FcChar8*>(name.constData())) &&
        FcLangSetAdd(japanese, reinterpret_cast<const FcChar8*>("ja")) &&
        FcPatternAddLangSet(pattern, FC_LANG, japanese)) {
        // Listing, unlike matching, takes no substitutes: only faces of that name.
        FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
        found = fonts != nullptr && fonts->nfont > 0;
        if (fonts != nullptr)
            FcFontSetDestroy(fonts);
    }
    if (objects != nullptr)
        FcObjectSetDestroy(objects);
    if (japanese != nullptr)
        FcLangSetDestroy(japanese);
    if (pattern != nullptr)
        FcPatternDestroy(pattern);
    return found;
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
    Made& entry = made(face);
    const auto known = entry.widths.find(std::u16string(text));
    if (known != entry.widths.end())
        return known->second;
    // A face drawn bold by the toolkit, having no bold of its own, reaches
    // past its advance: the width is where the last ink ends, if that is further.
    const QString run = toQString(text);
    int width = entry.metrics.horizontalAdvance(run);
    if (!run.isEmpty())
        width = std::max(width, entry.metrics.boundingRect(run).right() + 1);
    entry.widths.emplace(text, width);
    return width;
}

FontMetrics QtDesktop::metrics(const FontFace& face)
{
    return made(face).lines;
}

FontFace QtDesktop::defaultFont(int dpi)
{
    // The desktop may give buttons a font of their own.
    const QFont font = QApplication::font("QPushButton");
    const int pixels = font.pixelSize() > 0
                           ? static_cast<int>(std::lround(font.pixelSize() * dpi / 96.0))
                           : static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0));
    return {fromQString(font.family()), pixels, font.weight() >= QFont::DemiBold ? 700 : 400};
}

int QtDesktop::buttonPadding(int dpi)
{
    // The style draws a button's caption inside its contents rectangle.
    QStyleOptionButton option;
    option.rect = QRect(0, 0, 100, 30);
    const QRect contents =
        QApplication::style()->subElementRect(QStyle::SE_PushButtonContents, &option, nullptr);
    return static_cast<int>(std::lround(std::max(contents.left(), 0) * dpi / 96.0));
}

Color QtDesktop::systemColor(int index)
{
    const QPalette palette = QApplication::palette();
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
