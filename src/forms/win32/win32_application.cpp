#include "forms/application.h"
#include "forms/backend.h"
#include "forms/win32/win32_form.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>

namespace forms {

namespace detail {
extern Identity currentIdentity;
extern bool programEnded;
} // namespace detail

// Windows needs nothing kept for the run: the windows belong to their forms,
// which live on main's stack and are destroyed before main returns. After End
// and after WM_ENDSESSION the message loop ends and main returns; the fatal
// report leaves through _Exit, past every destructor.
struct Application::Platform
{
};

namespace {
bool comInitialized = false;
} // namespace

Application::Application(const char*, const Identity& identity)
{
    detail::currentIdentity = identity;
    detail::programEnded = false;
    win32::becomeDpiAware();
    // Screen readers reach the windows through COM: the user-interface thread
    // is a single-threaded apartment, served by the event loop.
    comInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    // The program speaks Japanese; so do the system's own texts where it can.
    SetThreadUILanguage(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
}

Application::~Application()
{
    if (comInitialized)
        CoUninitialize();
    comInitialized = false;
}

namespace {

// One message, as the loop and processEvents both deliver it: the windows'
// keys go to the core first.
void deliver(MSG& message)
{
    if (win32::FormWindow::keyboard(message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

} // namespace

int runEventLoop()
{
    MSG message;
    while (true) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (got == -1)
            fatal(RuntimeError(ErrorNumber::WindowOperationFailed));
        deliver(message);
    }
}

// Until the queue is empty; a quit message stays for the loop to end on.
void processEvents()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        deliver(message);
    }
}

void End()
{
    if (detail::programEnded)
        return;
    detail::programEnded = true;
    for (win32::FormWindow* window : win32::FormWindow::all())
        ShowWindow(window->hwnd(), SW_HIDE);
    PostQuitMessage(0);
}

void fatal(const RuntimeError& error)
{
    detail::programEnded = true; // no handler runs from here on
    const std::wstring text = win32::toWide(reportText(error));
    const std::wstring title = win32::toWide(identity().title);
    MessageBoxW(nullptr, text.c_str(), title.c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    // Straight out: no destructor or handler of the failed program runs any more.
    std::fflush(nullptr);
    std::_Exit(kFatalExitStatus);
}

} // namespace forms
