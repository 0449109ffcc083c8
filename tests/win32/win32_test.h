// A look at the real windows behind a form, for the tests' platform on
// Windows and the Win32 backend's own tests.
#pragma once

#include "forms/win32/win32_form.h"
#include "test_platform.h"

#include <cstring>
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

// The client area as it stands on the screen now, native buttons and all,
// after the window has painted what it was asked to.
inline testplatform::Image onScreen(const forms::Form& form)
{
    HWND window = hwndOf(form);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r{};
    GetClientRect(window, &r);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(window);
    HDC dc = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    GdiFlush();
    testplatform::Image result{int(r.right), int(r.bottom), {}};
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    result.pixels.assign(pixels, pixels + r.right * r.bottom);
    for (std::uint32_t& pixel : result.pixels)
        pixel &= 0xFFFFFFu;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(window, screen);
    return result;
}

// Wine keeps no high-contrast setting. The tests answer the program's
// question for it (SystemParametersInfoW, SPI_GETHIGHCONTRAST) through this
// program's import table, as Windows would answer with the setting on or off.
namespace detail {

using SystemParametersFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);

inline bool highContrastOn = false;
inline SystemParametersFn systemParameters = nullptr;

inline BOOL WINAPI answerSystemParameters(UINT action, UINT param, PVOID data, UINT update)
{
    if (action == SPI_GETHIGHCONTRAST && data != nullptr &&
        static_cast<HIGHCONTRASTW*>(data)->cbSize == sizeof(HIGHCONTRASTW)) {
        auto* setting = static_cast<HIGHCONTRASTW*>(data);
        setting->dwFlags = HCF_AVAILABLE | (highContrastOn ? HCF_HIGHCONTRASTON : 0);
        setting->lpszDefaultScheme = nullptr;
        return TRUE;
    }
    return systemParameters(action, param, data, update);
}

// The slot of this program's import table through which it calls a function
// of user32, or null.
inline void** importSlot(const char* function)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         dll->Name != 0; ++dll) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + dll->Name), "user32.dll") != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

} // namespace detail

// Turns high contrast on or off as the program sees it; false where the
// program's question could not be reached. Nothing is told: the caller sends
// the messages Windows would.
inline bool setHighContrast(bool on)
{
    if (detail::systemParameters == nullptr) {
        void** slot = detail::importSlot("SystemParametersInfoW");
        DWORD protection = 0;
        if (slot == nullptr || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
            return false;
        detail::systemParameters = reinterpret_cast<detail::SystemParametersFn>(*slot);
        *slot = reinterpret_cast<void*>(&detail::answerSystemParameters);
        VirtualProtect(slot, sizeof *slot, protection, &protection);
    }
    detail::highContrastOn = on;
    return true;
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
    ~SystemColours() { SetSysColors(int(indexes_.size()), indexes_.data(), before_.data()); }
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
