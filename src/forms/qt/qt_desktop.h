// The desktop as Qt sees it: its fonts, measured, and its palette.
#pragma once

#include "forms/backend.h"

#include <QFont>
#include <QFontMetrics>

#include <map>
#include <tuple>

namespace forms::qt {

class QtDesktop final : public Desktop
{
public:
    std::vector<std::u16string> japaneseFamilies() override;
    bool isJapanese(std::u16string_view family) override;
    bool hasGlyphs(const FontFace& face, std::u16string_view text) override;
    int width(const FontFace& face, std::u16string_view text) override;
    FontMetrics metrics(const FontFace& face) override;
    FontFace defaultFont(int dpi) override;
    int buttonPadding(int dpi) override;
    Color systemColor(int index) override;

    // A face as a QFont, its size in the units it is drawn in; made once.
    const QFont& font(const FontFace& face);
    // Lets go of the fonts made, before the application object goes.
    void forget() { made_.clear(); }

private:
    struct Made
    {
        QFont font;
        QFontMetrics metrics;
    };
    const Made& made(const FontFace& face);

    std::map<std::tuple<std::u16string, int, int>, Made> made_;
};

QtDesktop& qtDesktop();

} // namespace forms::qt
