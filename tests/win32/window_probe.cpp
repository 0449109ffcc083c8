// Looks at another program's top-level window from the inside of Windows, for
// the real-window test:
//   window_probe info TITLE    its geometry, styles, owner and focus, one key=value a line
//   window_probe close TITLE   closes it as its close box would
//   window_probe dpi TITLE N   tells it that it is now on a screen of N dpi, as
//                              Windows does when it moves to another monitor
//                              (WM_DPICHANGED, the rectangle suggested for N)
//   window_probe highcontrast TITLE HOOK.dll
//                              turns high contrast on in its program, as the
//                              user does in Windows' settings: loads the hook
//                              that answers so there, then tells the program's
//                              windows (WM_SYSCOLORCHANGE, WM_SETTINGCHANGE)
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

// WM_DPICHANGED carries a pointer to its rectangle: it is written where the
// window's process reads it, and at the same address here, whichever side
// reads it.
void dpiChanged(HWND window, int dpi)
{
    RECT frame{}, client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    const int was = static_cast<int>(GetDpiForWindow(window));
    // The frame as it stands, its client area scaled as the system scales it.
    const int extraX = (frame.right - frame.left) - client.right;
    const int extraY = (frame.bottom - frame.top) - client.bottom;
    const RECT suggested{frame.left, frame.top,
                         frame.left + MulDiv(client.right, dpi, was) + extraX,
                         frame.top + MulDiv(client.bottom, dpi, was) + extraY};
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    void* remote = process != nullptr ? VirtualAllocEx(process, nullptr, sizeof suggested,
                                                       MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)
                                      : nullptr;
    if (remote == nullptr) {
        std::printf("sent=0\n");
        return;
    }
    WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr);
    if (void* local =
            VirtualAlloc(remote, sizeof suggested, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))
        *static_cast<RECT*>(local) = suggested;
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
    CloseHandle(process);
    std::printf("sent=1\n");
}

BOOL CALLBACK tell(HWND window, LPARAM pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(pid)) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_SYSCOLORCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        SendMessageTimeoutW(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_ABORTIFHUNG,
                            5000, &result);
    }
    return TRUE;
}

void highContrast(HWND window, const wchar_t* hook)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                     PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                                 FALSE, pid);
    const SIZE_T bytes = (wcslen(hook) + 1) * sizeof(wchar_t);
    void* path = process != nullptr ? VirtualAllocEx(process, nullptr, bytes,
                                                     MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)
                                    : nullptr;
    DWORD loaded = 0;
    if (path != nullptr && WriteProcessMemory(process, path, hook, bytes, nullptr)) {
        // Through void (*)(): GetProcAddress's result is no function of this type.
        const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
        if (HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, path, 0, nullptr)) {
            WaitForSingleObject(thread, 30000);
            GetExitCodeThread(thread, &loaded);
            CloseHandle(thread);
        }
    }
    if (process != nullptr)
        CloseHandle(process);
    if (loaded != 0)
        EnumWindows(tell, static_cast<LPARAM>(pid));
    std::printf("loaded=%d\n", loaded != 0);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    // The screen's own pixels, as the program's window has them and X shows
    // them: a process unaware of densities is given every other window's
    // frame scaled to 96 dpi (on Windows, and on Wine 10 unlike Wine 8).
    if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
        SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
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
    else if (command == L"highcontrast" && argc == 4)
        highContrast(window, argv[3]);
    else if (command == L"dpi" && argc == 4)
        dpiChanged(window, _wtoi(argv[3]));
    else
        return 2;
    std::fflush(stdout);
    return 0;
}
