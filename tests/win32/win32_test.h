// A look at the real windows behind a form, for the tests' platform on
// Windows and the Win32 backend's own tests.
#pragma once

#include "forms/application.h"
#include "forms/win32/win32_form.h"
#include "test_platform.h"

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
    forms::processEvents();
}

// The window's client area drawn into a top-down 32-bit bitmap by
// draw(bitmapDc), read back as an image.
template <typename Draw> testplatform::Image clientImage(HWND window, Draw draw)
{
    RECT r{};
    GetClientRect(window, &r);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    draw(dc, r);
    GdiFlush();
    testplatform::Image result{int(r.right), int(r.bottom), {}};
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    result.pixels.assign(pixels, pixels + r.right * r.bottom);
    for (std::uint32_t& pixel : result.pixels)
        pixel &= 0xFFFFFFu;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return result;
}

// The client area as it stands on the screen now, native buttons and all,
// after the window has painted what it was asked to.
inline testplatform::Image onScreen(const forms::Form& form)
{
    HWND window = hwndOf(form);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC screen = GetDC(window);
    testplatform::Image result = clientImage(window, [screen](HDC dc, const RECT& r) {
        BitBlt(dc, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    });
    ReleaseDC(window, screen);
    return result;
}

// Turns high contrast on or off as this program sees it, through the hook
// built beside the tests (high_contrast_hook.cpp); false where it is missing.
// Nothing is told: the caller sends the messages Windows would.
inline bool setHighContrast(bool on)
{
    using Set = void (*)(BOOL);
    static const HMODULE hook = LoadLibraryW(L"high_contrast_hook.dll");
    // Through void (*)(): GetProcAddress's result is no function of this type.
    const auto set = hook != nullptr ? reinterpret_cast<Set>(reinterpret_cast<void (*)()>(
                                           GetProcAddress(hook, "setHighContrast")))
                                     : nullptr;
    if (set == nullptr)
        return false;
    set(on);
    return true;
}

// Wine keeps what a program sets for the session under this key, above the
// registry, for every program started later: the tests take theirs away, so
// that the next test's registry settings count.
inline void forgetSessionSettings()
{
    for (const wchar_t* key : {L"Control Panel\\Colors", L"Control Panel\\Desktop",
                               L"Control Panel\\Desktop\\WindowMetrics"}) {
        HKEY settings = nullptr;
        const std::wstring path =
            std::wstring(L"Software\\Wine\\Temporary System Parameters\\") + key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &settings) != 0)
            continue;
        // Only the values: Wine goes on writing into the keys.
        wchar_t name[256];
        DWORD size = 256;
        while (RegEnumValueW(settings, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == 0 &&
               RegDeleteValueW(settings, name) == 0)
            size = 256;
        RegCloseKey(settings);
    }
}

// Sets system colours for the session, as a scheme does, and puts back the
// ones before when it goes.
class SystemColours
{
public:
    SystemColours(std::vector<int> indexes, std::vector<COLORREF> colours)
        : indexes_(std::move(indexes))
    {
        for (int index : indexes_)
            before_.push_back(GetSysColor(index));
        SetSysColors(int(indexes_.size()), indexes_.data(), colours.data());
    }
    ~SystemColours()
    {
        SetSysColors(int(indexes_.size()), indexes_.data(), before_.data());
        forgetSessionSettings();
    }
    SystemColours(const SystemColours&) = delete;
    SystemColours& operator=(const SystemColours&) = delete;

private:
    std::vector<int> indexes_;
    std::vector<COLORREF> before_;
};

} // namespace wintest

inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline bool operator==(const SIZE& a, const SIZE& b)
{
    return a.cx == b.cx && a.cy == b.cy;
}
