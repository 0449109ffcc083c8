// The Win32 API as the backend uses it: wide text, densities and colours.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "forms/controls.h"
#include "forms/types.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace forms::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

inline std::wstring toWide(std::u16string_view text)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string fromWide(std::wstring_view text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// A window or control operation that failed: a run-time error.
[[noreturn]] void failed();

inline void check(BOOL ok)
{
    if (!ok)
        failed();
}

// Densities. Windows 10's per-monitor functions are looked up when the program
// starts, so that older systems fall back to the one system-wide density.
void becomeDpiAware();
int systemDpi();
int windowDpi(HWND window);
// The window rectangle around a client rectangle at a density.
void adjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, int dpi);

// The layouts are drawn for 96 dpi; a Scale takes their pixels to a density.
// Rectangles keep their last pixel row and column on the scaled place of the
// 96-dpi one, so that neighbours sharing a frame line still share it, and
// every frame or line stays `thickness()` pixels wide.
struct Scale
{
    int dpi = 96;

    int px(int pixels96) const { return MulDiv(pixels96, dpi, 96); }
    int thickness() const { return std::max(1, px(1)); }

    // A control's rectangle (given in twips) in client pixels.
    RECT rect(const Rect& twips) const
    {
        const int left = pixels(twips.left), top = pixels(twips.top);
        const int right = pixels(twips.right()), bottom = pixels(twips.bottom());
        return {px(left), px(top), px(right - 1) + thickness(), px(bottom - 1) + thickness()};
    }

    // The pixels a line from (X1, Y1) to (X2, Y2) covers, for straight lines.
    RECT line(const Line& line) const
    {
        const int x1 = pixels(line.X1()), y1 = pixels(line.Y1());
        const int x2 = pixels(line.X2()), y2 = pixels(line.Y2());
        return {px(std::min(x1, x2)), px(std::min(y1, y2)), px(std::max(x1, x2)) + thickness(),
                px(std::max(y1, y2)) + thickness()};
    }

    // A client area of the layout's size.
    SIZE client(int widthTwips, int heightTwips) const
    {
        return {px(pixels(widthTwips)), px(pixels(heightTwips))};
    }
};

// 0x00BBGGRR is already a COLORREF; system colours come from the system.
COLORREF resolveColor(Color color);

} // namespace forms::win32
