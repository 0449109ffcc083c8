// The Win32 API as the backend uses it: wide text, checked calls, densities.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "forms/geometry.h"

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
// SystemParametersInfoForDpi where the system has it; false where it has not.
bool systemParametersForDpi(UINT action, UINT size, void* data, int dpi);
// The window rectangle around a client rectangle at a density.
void adjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, int dpi);

inline RECT toRECT(const PixelRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace forms::win32
