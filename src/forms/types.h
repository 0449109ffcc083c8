// Value types shared by every control: units, colours, fonts, alignments.
#pragma once

#include <cstdint>
#include <string_view>

namespace forms {

// Positions and sizes are kept in twips (1/1440 inch); 15 twips make one
// logical pixel at 96 dpi, and the backends let the toolkit scale from there.
inline constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips)
{
    // Round half away from zero so that negative coordinates behave like positive ones.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

struct Rect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// The two ends of a straight line, in twips.
struct LineEnds
{
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;

    friend constexpr bool operator==(const LineEnds&, const LineEnds&) = default;
};

// 0x00BBGGRR, or 0x800000nn for the system colour with index nn.
using Color = std::uint32_t;

inline constexpr Color kBlack = 0x000000;
inline constexpr Color kRed = 0x0000FF;
inline constexpr Color kWhite = 0xFFFFFF;

inline constexpr Color kSystemColorFlag = 0x80000000;
inline constexpr Color kSysWindowBackground = 0x80000005;
inline constexpr Color kSysWindowText = 0x80000008;
inline constexpr Color kSysHighlight = 0x8000000D;
inline constexpr Color kSysHighlightText = 0x8000000E;
inline constexpr Color kSysButtonFace = 0x8000000F;
inline constexpr Color kSysButtonText = 0x80000012;
inline constexpr int kSystemColorCount = 25;

constexpr bool isSystemColor(Color c)
{
    return (c & 0xFFFFFF00u) == kSystemColorFlag;
}

constexpr bool isValidColor(Color c)
{
    return c <= 0x00FFFFFFu || (isSystemColor(c) && (c & 0xFFu) < kSystemColorCount);
}

// Label text alignment, as stored in the Alignment property.
enum Alignment : std::int16_t
{
    AlignLeft = 0,
    AlignRight = 1,
    AlignCenter = 2,
};

enum class BorderStyle : std::uint8_t
{
    None,
    FixedSingle, // a one-pixel flat frame
};

// A font as a layout names it. An empty face means the platform's default
// user-interface font.
struct LayoutFont
{
    std::u16string_view face;
    double points = 0;
    int weight = 400;
    int charset = 0;

    bool isDefault() const { return face.empty(); }
    friend constexpr bool operator==(const LayoutFont&, const LayoutFont&) = default;
};

// Pixel height of a point size at 96 dpi, rounded as the system does.
constexpr int fontPixels(double points)
{
    return static_cast<int>(points * 96.0 / 72.0 + 0.5);
}

inline constexpr int kCharsetShiftJis = 128;

} // namespace forms
