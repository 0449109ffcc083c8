// Device pixels: where the layouts' twips land on a screen of some density.
#pragma once

#include "forms/types.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>

namespace forms {

// A rectangle in device pixels; right and bottom lie just outside it.
struct PixelRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool empty() const { return right <= left || bottom <= top; }
    constexpr bool contains(int x, int y) const
    {
        return x >= left && x < right && y >= top && y < bottom;
    }
    constexpr PixelRect shrunk(int by) const
    {
        return {left + by, top + by, right - by, bottom - by};
    }
    constexpr PixelRect united(const PixelRect& other) const
    {
        if (empty())
            return other;
        if (other.empty())
            return *this;
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }
    constexpr PixelRect intersected(const PixelRect& other) const
    {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelPoint
{
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

struct PixelSize
{
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The layouts are drawn for 96 dpi; a Scale takes their pixels to a density.
// A box keeps its last pixel row and column on the scaled place of the 96-dpi
// one, so that neighbours sharing a frame line still share it, and every frame
// or line is `thickness()` device pixels wide.
struct Scale
{
    int dpi = 96;

    // Rounded to the nearest pixel, halves away from zero.
    constexpr int px(int pixels96) const
    {
        const long product = static_cast<long>(pixels96) * dpi;
        return static_cast<int>(product >= 0 ? (product + 48) / 96 : -((-product + 48) / 96));
    }
    // Whole device pixels only: a frame at one and a half times is one pixel,
    // at twice two, never a smear over two half-covered ones.
    constexpr int thickness() const { return std::max(1, dpi / 96); }

    // A control's box (in twips) in device pixels.
    constexpr PixelRect box(const Rect& twips) const
    {
        const int left = pixels(twips.left), top = pixels(twips.top);
        const int right = pixels(twips.right()), bottom = pixels(twips.bottom());
        return {px(left), px(top), px(right - 1) + thickness(), px(bottom - 1) + thickness()};
    }

    // The pixels a straight line covers.
    constexpr PixelRect line(const LineEnds& ends) const
    {
        const int x1 = pixels(ends.x1), y1 = pixels(ends.y1);
        const int x2 = pixels(ends.x2), y2 = pixels(ends.y2);
        return {px(std::min(x1, x2)), px(std::min(y1, y2)), px(std::max(x1, x2)) + thickness(),
                px(std::max(y1, y2)) + thickness()};
    }

    // A client area of the layout's size.
    constexpr PixelSize client(int widthTwips, int heightTwips) const
    {
        return {px(pixels(widthTwips)), px(pixels(heightTwips))};
    }

    // A font's pixel height at this density.
    constexpr int fontPixels(double points) const { return px(forms::fontPixels(points)); }
};

// Where a window of `frame` size goes to be centred on a screen's work area:
// the whole window, frame included. On a screen smaller than the window the
// top-left corner stays on it, so that the title bar can still be grabbed.
constexpr PixelPoint centredOn(const PixelRect& workArea, PixelSize frame)
{
    const int x = workArea.left + (workArea.width() - frame.width) / 2;
    const int y = workArea.top + (workArea.height() - frame.height) / 2;
    return {std::max(x, workArea.left), std::max(y, workArea.top)};
}

// A screen as the backend lists it: the whole of it, and the work area a
// window may take (the screen without its task bar or panels).
struct Screen
{
    PixelRect bounds;
    PixelRect workArea;
};

// The screen the user is working on, which a window is centred on when it
// first shows: the one the foreground window (the window the user works in,
// as a rule the one this program was started from) lies on most; the first
// of equals, and the first where there is no foreground window or it lies on
// no screen: list the primary screen first. Null with no screen at all.
const Screen* screenInUse(std::span<const Screen> screens,
                          const std::optional<PixelRect>& foreground);

// Where a window's frame goes when the screens have changed under it (one
// shrank, moved or went away): where it is, while it lies whole on one of the
// work areas left; else onto the work area it overlaps most (the nearest when
// it overlaps none, the first of equals: list the primary screen first),
// moved no further than it takes to lie whole there. A window larger than
// that area keeps its top-left corner on it, so that the title bar can still
// be grabbed. With no work area at all, it stays.
PixelPoint keptOnScreens(const PixelRect& frame, std::span<const PixelRect> workAreas);

// A toolkit that counts in pixels of its own, `ratio` device pixels each
// from a device pixel `origin` where both agree, and rounds halves away
// from zero (Qt scaling a screen by 1.5).
struct CoarsePixels
{
    int origin = 0;
    double ratio = 1;

    // The device pixels that round to a coarse one: the first and the last.
    std::pair<int, int> devicePixels(int coarse) const;
    // Where a coarse pixel lands in device pixels.
    int device(int coarse) const;
    // The coarse pixel that lands nearest at or past `device` (`upward`), or
    // nearest at or before it.
    int coarse(int device, bool upward) const;
};

// A rectangle given in coarse pixels (`x` and `y` each axis's), its size
// scaled on its own, as the device pixels it surely covers: each edge as far
// inside as the rounding leaves it, or on an edge known exactly (the whole
// screen's, another screen's) where the rounding leaves that one.
PixelRect deviceInside(const PixelRect& coarse, const CoarsePixels& x, const CoarsePixels& y,
                       std::span<const int> edgesX, std::span<const int> edgesY);

} // namespace forms
