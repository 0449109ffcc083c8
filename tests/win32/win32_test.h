// A look at the real windows behind a form, for the tests' platform on
// Windows and the Win32 backend's own tests.
#pragma once

#include "forms/win32/win32_form.h"

#include <string>
#include <vector>

namespace wintest {

using forms::win32::FormWindow;

inline FormWindow* windowOf(const forms::Form& form)
{
    return dynamic_cast<FormWindow*>(form.peer());
}

inline HWND hwndOf(const forms::Form& form)
{
    FormWindow* window = windowOf(form);
    return window != nullptr ? window->hwnd() : nullptr;
}

// A button's own window; labels are drawn by their form's window and have none.
inline HWND hwndOf(const forms::Control& control)
{
    FormWindow* window = windowOf(control.owner());
    return window != nullptr ? window->buttonWindow(control) : nullptr;
}

// A control's rectangle in its window's client area.
inline RECT childRect(HWND child)
{
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline std::wstring titleOf(HWND hwnd)
{
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

// This program's visible top-level windows with this title.
inline std::vector<HWND> visibleWindows(const wchar_t* title)
{
    struct Search
    {
        const wchar_t* title;
        std::vector<HWND> found;
    } search{title, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (IsWindowVisible(hwnd) && titleOf(hwnd) == s.title)
                s.found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline void pump()
{
    forms::win32::processEvents();
}

} // namespace wintest

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline bool operator==(const SIZE& a, const SIZE& b)
{
    return a.cx == b.cx && a.cy == b.cy;
}
