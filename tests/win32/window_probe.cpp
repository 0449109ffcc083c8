// Looks at another program's top-level window from the inside of Windows, for
// the real-window test:
//   window_probe info TITLE    its geometry, styles, owner and focus, one key=value a line
//   window_probe close TITLE   closes it as its close box would
// Exits 1 when no visible window has that title.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void rect(const char* key, const RECT& r)
{
    std::printf("%s=%ld %ld %ld %ld\n", key, r.left, r.top, r.right, r.bottom);
}

std::string utf8(const wchar_t* text)
{
    char buffer[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

void info(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    rect("window", r);
    GetClientRect(window, &r);
    std::printf("client=%ld %ld\n", r.right, r.bottom);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("origin=%ld %ld\n", origin.x, origin.y);
    std::printf("style=%#lx\nexstyle=%#lx\n",
                static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)));
    std::printf("owner=%d\nparent=%d\n", GetWindow(window, GW_OWNER) != nullptr,
                GetParent(window) != nullptr);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    rect("workarea", monitor.rcWork);
    rect("screen", monitor.rcMonitor);
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    std::printf("pid=%lu\n", static_cast<unsigned long>(process));
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (GetGUIThreadInfo(thread, &gui) && gui.hwndFocus != nullptr) {
        wchar_t text[256] = {};
        GetWindowTextW(gui.hwndFocus, text, 256);
        std::printf("focus=%s\n", utf8(text).c_str());
        GetWindowRect(gui.hwndFocus, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        rect("focusrect", r);
    }
    std::printf("active=%d\n", gui.hwndActive == window);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    const std::wstring command = argv[1];
    HWND window = FindWindowW(nullptr, argv[2]);
    if (window == nullptr || !IsWindowVisible(window)) {
        std::printf("found=0\n");
        return 1;
    }
    std::printf("found=1\n");
    if (command == L"info")
        info(window);
    else if (command == L"close")
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        return 2;
    std::fflush(stdout);
    return 0;
}
