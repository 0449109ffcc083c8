#include "forms/win32/win32_system.h"

#include "forms/error.h"

namespace forms::win32 {

namespace {

// A function of user32 that older systems lack, or null.
template <class Function> Function user32Function(const char* name)
{
    static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr)
        return nullptr;
    // Through void (*)() as GetProcAddress's result is no function of this type.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

} // namespace

void failed()
{
    raise(ErrorNumber::WindowOperationFailed);
}

void becomeDpiAware()
{
    // The manifest says so already for MARELO.exe; this covers programs without one.
    if (auto set =
            user32Function<SetProcessDpiAwarenessContextFn>("SetProcessDpiAwarenessContext")) {
        if (set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
            return;
        if (GetLastError() == ERROR_ACCESS_DENIED)
            return; // already set, by the manifest
    }
    SetProcessDPIAware();
}

int systemDpi()
{
    static const GetDpiForSystemFn get = user32Function<GetDpiForSystemFn>("GetDpiForSystem");
    if (get != nullptr)
        return static_cast<int>(get());
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int windowDpi(HWND window)
{
    static const GetDpiForWindowFn get = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (get != nullptr) {
        const UINT dpi = get(window);
        if (dpi != 0)
            return static_cast<int>(dpi);
    }
    return systemDpi();
}

bool systemParametersForDpi(UINT action, UINT size, void* data, int dpi)
{
    static const SystemParametersInfoForDpiFn get =
        user32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    return get != nullptr && get(action, size, data, 0, static_cast<UINT>(dpi)) != FALSE;
}

void adjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, int dpi)
{
    static const AdjustWindowRectExForDpiFn adjust =
        user32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (adjust != nullptr)
        check(adjust(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)));
    else
        check(AdjustWindowRectEx(&rect, style, FALSE, exStyle));
}

} // namespace forms::win32
