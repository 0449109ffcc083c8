// The desktop as Qt sees it: its fonts, measured, and its palette.
#pragma once

#include "forms/backend.h"

#include <QFont>
#include <QFontMetrics>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

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
    // A face made once, with what was measured in it: a window measures the
    // same few captions again and again.
    struct Made
    {
        FontFace face;
        QFont font;
        QFontMetrics metrics;
        FontMetrics lines;
        std::unordered_map<std::u16string, int> widths;
    };
    Made& made(const FontFace& face);

    std::vector<std::unique_ptr<Made>> made_; // a handful: looked through in order
};

QtDesktop& qtDesktop();

} // namespace forms::qt
