#include "forms/colours.h"

#include <cmath>

namespace forms {

namespace {

// 0x00RRGGBB as one writes them, turned into 0x00BBGGRR.
constexpr Color rgb(std::uint32_t value)
{
    return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

constexpr Color kStandard[kSystemColorCount] = {
    rgb(0xC8C8C8), // scroll bar
    rgb(0x000000), // desktop
    rgb(0x99B4D1), // active caption
    rgb(0xBFCDDB), // inactive caption
    rgb(0xF0F0F0), // menu
    rgb(0xFFFFFF), // window background
    rgb(0x646464), // window frame
    rgb(0x000000), // menu text
    rgb(0x000000), // window text
    rgb(0x000000), // caption text
    rgb(0xB4B4B4), // active border
    rgb(0xF4F7FC), // inactive border
    rgb(0xABABAB), // application workspace
    rgb(0x0078D7), // highlight
    rgb(0xFFFFFF), // highlighted text
    rgb(0xF0F0F0), // button face
    rgb(0xA0A0A0), // button shadow
    rgb(0x6D6D6D), // grey text
    rgb(0x000000), // button text
    rgb(0x000000), // inactive caption text
    rgb(0xFFFFFF), // 3D highlight
    rgb(0x696969), // 3D dark shadow
    rgb(0xE3E3E3), // 3D light
    rgb(0x000000), // tool tip text
    rgb(0xFFFFE1), // tool tip background
};

double linear(std::uint32_t channel)
{
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(Color c)
{
    return 0.2126 * linear(c & 0xFF) + 0.7152 * linear((c >> 8) & 0xFF) +
           0.0722 * linear((c >> 16) & 0xFF);
}

} // namespace

Color standardSystemColor(int index)
{
    return index >= 0 && index < kSystemColorCount ? kStandard[index] : kStandard[15];
}

double contrastRatio(Color a, Color b)
{
    const double la = luminance(a), lb = luminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

InkOnGround emphasisPair(const ContrastScheme& scheme)
{
    const InkOnGround highlight{scheme.highlightText, scheme.highlight};
    if (contrastRatio(highlight.ink, highlight.ground) >= kLegibleContrast &&
        contrastRatio(highlight.ground, scheme.window) >= kDistinctGrounds)
        return highlight;
    return {scheme.window, scheme.windowText};
}

bool isEmphasis(Color textColor)
{
    const Color drawn = isSystemColor(textColor)
                            ? standardSystemColor(static_cast<int>(textColor & 0xFFu))
                            : textColor & 0x00FFFFFFu;
    return drawn != standardSystemColor(8);
}

} // namespace forms
