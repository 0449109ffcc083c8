// Starts the real program's windows on Windows and injects a fault that no
// user action can reach (some of them followed by a screen reader's press),
// closes the main window with help open, or ends the session under it. What
// the fatal error report showed is printed on standard output, and the box is
// dismissed as a user would.
#include "check.h"
#include "win32_test.h"

#include "refusing_window.h"
#include "ui/main_window.h"

#include <oleacc.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

std::wstring mode;
ui::MainWindow* mainWindow = nullptr;

std::string utf8(const std::wstring& text)
{
    return check::utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// Runs in every message loop of the thread, the message box's included.
void CALLBACK report(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            wchar_t kind[64] = {};
            GetClassNameW(window, kind, 64);
            if (std::wstring(kind) != L"#32770" || !IsWindowVisible(window))
                return TRUE;
            wchar_t text[1024] = {};
            GetDlgItemTextW(window, 0xFFFF, text, 1024);
            std::printf("title: %s\ntext: %s\n", utf8(wintest::titleOf(window)).c_str(),
                        utf8(text).c_str());
            std::fflush(stdout);
            PostMessageW(window, WM_COMMAND, IDOK, 0);
            return FALSE;
        },
        0);
}

// Presses a control as a screen reader does, through its default action.
void pressAccessible(const ui::MainWindow& main, std::u16string_view description)
{
    IAccessible* root = nullptr;
    AccessibleObjectFromWindow(wintest::hwndOf(main), static_cast<DWORD>(OBJID_CLIENT),
                               __uuidof(IAccessible), reinterpret_cast<void**>(&root));
    if (root == nullptr)
        return;
    LONG count = 0;
    root->get_accChildCount(&count);
    for (LONG id = 1; id <= count; ++id) {
        VARIANT child;
        VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = id;
        BSTR text = nullptr;
        root->get_accDescription(child, &text);
        const bool found =
            text != nullptr && std::u16string_view(reinterpret_cast<const char16_t*>(text),
                                                   SysStringLen(text)) == description;
        SysFreeString(text);
        if (found)
            root->accDoDefaultAction(child);
    }
    root->Release();
}

void CALLBACK start(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    ui::MainWindow& main = *mainWindow;
    if (mode == L"index") {
        forms::dispatch([&] { main.keyTable().org_Click(12); });
    } else if (mode == L"text") {
        forms::dispatch([&] { main.label("ud_2").setCaption(u"abc"); });
    } else if (mode == L"shift-text") {
        // A shift label that somehow holds no number, then a click on its Up.
        forms::dispatch([&] {
            main.label("ud_3").Change = nullptr;
            main.label("ud_3").setCaption(u"x");
            main.button("up_2").raiseClick();
        });
    } else if (mode == L"accessible-shift-text") {
        // The same, with Up pressed by a screen reader.
        forms::dispatch([&] {
            main.label("ud_3").Change = nullptr;
            main.label("ud_3").setCaption(u"x");
        });
        pressAccessible(main, u"up_2");
    } else if (mode == L"help-window-fails") {
        forms::dispatch([&] { main.button("help_pb").raiseClick(); });
    } else if (mode == L"accessible-help-window-fails") {
        pressAccessible(main, u"help_pb");
    } else if (mode == L"close-with-help") {
        forms::dispatch([&] { main.help_pb_Click(); });
        SendMessageW(wintest::hwndOf(main), WM_CLOSE, 0, 0);
    } else if (mode == L"end-session-with-help") {
        // A log-off reaches every top-level window, here main's first.
        forms::dispatch([&] { main.help_pb_Click(); });
        HWND windows[] = {wintest::hwndOf(main), wintest::hwndOf(*main.helpWindow())};
        for (HWND window : windows)
            SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        for (HWND window : windows)
            SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    }
}

std::string caption(const forms::Label& label)
{
    return check::utf8(label.Caption());
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    mode = argc > 1 ? argv[1] : L"";
    if (mode == L"main-window-fails")
        refusing::failingWindow = 1;
    else if (mode == L"help-window-fails" || mode == L"accessible-help-window-fails")
        refusing::failingWindow = 2;
    wintest::Platform platform;
    ui::MainWindow main;
    mainWindow = &main;
    SetTimer(nullptr, 0, 10, report);
    SetTimer(nullptr, 0, 1, start);
    const int status = platform.application.run(main);
    std::printf("ended: status %d, counts %s %s %s, help %s\n", status,
                caption(main.label("ud_1")).c_str(), caption(main.label("ud_2")).c_str(),
                caption(main.label("ud_3")).c_str(),
                main.helpWindow() && main.helpWindow()->loaded() ? "still loaded" : "unloaded");
    return status;
}
