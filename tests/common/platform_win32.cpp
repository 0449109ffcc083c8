// The tests' platform on Windows (under Wine): the Win32 backend's windows,
// seen through the Windows API. A button is a window of its own; a label is
// the place where its form's window draws it.
#include "test_platform.h"
#include "win32/win32_test.h"

#include "forms/surface.h"

#include <oleacc.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace testplatform {

const forms::TableShape kReaderShape = forms::TableShape::Rows;

namespace {

using wintest::hwndOf;

std::map<UINT_PTR, std::function<void()>>& timers()
{
    static std::map<UINT_PTR, std::function<void()>> all;
    return all;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    const auto it = timers().find(id);
    if (it != timers().end()) {
        const std::function<void()> run = it->second; // the call may add timers
        run();
    }
}

void CALLBACK onceTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    const auto it = timers().find(id);
    if (it == timers().end())
        return;
    const std::function<void()> run = std::move(it->second);
    timers().erase(it);
    run();
}

std::u16string u16(const std::wstring& text)
{
    return {text.begin(), text.end()};
}

std::wstring wide(const std::string& text)
{
    std::wstring out(
        std::size_t(MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), int(out.size()));
    return out;
}

std::string narrow(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

// A command-line argument as the C runtime reads it back.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring out = L"\"";
    int backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(std::size_t(c == L'"' ? 2 * backslashes + 1 : backslashes), L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(std::size_t(2 * backslashes), L'\\');
    return out + L"\"";
}

void readAvailable(HANDLE pipe, std::string& output)
{
    DWORD waiting = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, std::min<DWORD>(waiting, sizeof buffer), &got, nullptr) ||
            got == 0)
            return;
        for (DWORD i = 0; i < got; ++i)
            if (buffer[i] != '\r') // the C library writes its lines with CR LF
                output += buffer[i];
    }
}

} // namespace

struct Toolkit::State
{
};

Toolkit::Toolkit(const char*) {}

Toolkit::~Toolkit() = default;

void startRun()
{
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void processEvents()
{
    wintest::pump();
}

void later(std::function<void()> once)
{
    const UINT_PTR id = SetTimer(nullptr, 0, 1, onceTimer);
    timers()[id] = std::move(once);
}

void every(int milliseconds, std::function<void()> tick)
{
    const UINT_PTR id = SetTimer(nullptr, 0, UINT(milliseconds), onTimer);
    timers()[id] = std::move(tick);
}

std::optional<MessageBoxText> answerMessageBox()
{
    std::optional<MessageBoxText> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t kind[64] = {};
            GetClassNameW(window, kind, 64);
            if (std::wstring(kind) != L"#32770" || !IsWindowVisible(window))
                return TRUE;
            wchar_t text[1024] = {};
            GetDlgItemTextW(window, 0xFFFF, text, 1024);
            *reinterpret_cast<std::optional<MessageBoxText>*>(data) =
                MessageBoxText{u16(wintest::titleOf(window)), u16(text)};
            PostMessageW(window, WM_COMMAND, IDOK, 0);
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

Process runProgram(const std::string& path, const std::vector<std::string>& arguments,
                   int timeoutMs)
{
    const std::wstring program = wide(path);
    std::wstring command = quoted(program);
    for (const std::string& argument : arguments)
        command += L" " + quoted(wide(argument));

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    Process run;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return run;
    }
    run.started = true;
    // Read as it comes, so that a talkative program never waits on a full pipe.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!run.finished && std::chrono::steady_clock::now() < deadline) {
        readAvailable(readEnd, run.output);
        run.finished = WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0;
    }
    if (!run.finished) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    readAvailable(readEnd, run.output);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    run.status = int(status);
    run.crashed = run.finished && status >= 0xC0000000u; // an exception code
    CloseHandle(readEnd);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return run;
}

bool shown(const forms::Form& form)
{
    HWND window = hwndOf(form);
    return window != nullptr && IsWindowVisible(window);
}

int shownWindows(const forms::Form& form)
{
    const std::wstring title(form.layout().caption.begin(), form.layout().caption.end());
    return int(wintest::visibleWindows(title.c_str()).size());
}

int nativeWindows()
{
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            int& n = *reinterpret_cast<int*>(data);
            ++n;
            EnumChildWindows(
                window,
                [](HWND, LPARAM inner) -> BOOL {
                    ++*reinterpret_cast<int*>(inner);
                    return TRUE;
                },
                data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

void closeBox(const forms::Form& form)
{
    SendMessageW(hwndOf(form), WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool acceptsInput(const forms::Form& form)
{
    return IsWindowEnabled(hwndOf(form)) != FALSE;
}

bool endSession(const std::vector<const forms::Form*>& windows)
{
    for (const forms::Form* form : windows)
        SendMessageW(hwndOf(*form), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    for (const forms::Form* form : windows)
        if (HWND window = hwndOf(*form))
            SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    return true;
}

Size clientSize(const forms::Form& form)
{
    RECT r{};
    GetClientRect(hwndOf(form), &r);
    return {int(r.right - r.left), int(r.bottom - r.top)};
}

Point position(const forms::Form& form)
{
    RECT r{};
    GetWindowRect(hwndOf(form), &r);
    return {int(r.left), int(r.top)};
}

void move(const forms::Form& form, Point topLeft)
{
    SetWindowPos(hwndOf(form), nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

WindowTraits traits(const forms::Form& form)
{
    HWND window = hwndOf(form);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    return {.title = u16(wintest::titleOf(window)),
            .topLevel = GetParent(window) == nullptr && GetAncestor(window, GA_ROOT) == window,
            .ownerless = GetWindow(window, GW_OWNER) == nullptr,
            .taskBarEntry = (exStyle & WS_EX_APPWINDOW) != 0 && (exStyle & WS_EX_TOOLWINDOW) == 0,
            .alwaysOnTop = (exStyle & WS_EX_TOPMOST) != 0,
            .minimizeBox = (style & WS_MINIMIZEBOX) != 0,
            .maximizeBox = (style & WS_MAXIMIZEBOX) != 0,
            .closeBox = (style & (WS_CAPTION | WS_SYSMENU)) == (WS_CAPTION | WS_SYSMENU),
            .sizable = (style & WS_THICKFRAME) != 0};
}

Box box(const forms::Control& control)
{
    if (HWND window = hwndOf(control)) {
        const RECT r = wintest::childRect(window);
        return {int(r.left), int(r.top), int(r.right), int(r.bottom)};
    }
    return control.owner().surface()->box(control);
}

bool takesFocus(const forms::Control& control)
{
    HWND window = hwndOf(control);
    return window != nullptr && (GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP) != 0;
}

bool hasFocus(const forms::Control& control)
{
    HWND window = hwndOf(control);
    return window != nullptr && GetFocus() == window;
}

namespace {

// The mouse at a client point of the form's window, as the window under it gets it.
void sendMouse(const forms::Form& form, UINT message, WPARAM keys, Point at)
{
    HWND window = hwndOf(form);
    HWND target = ChildWindowFromPointEx(window, POINT{at.x, at.y}, CWP_SKIPINVISIBLE);
    if (target == nullptr)
        target = window;
    POINT local{at.x, at.y};
    MapWindowPoints(window, target, &local, 1);
    SendMessageW(target, message, keys, MAKELPARAM(local.x, local.y));
}

void holdShift(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// The button whose window this is, of any of the program's forms.
const forms::CommandButton* buttonOf(HWND hwnd)
{
    wintest::FormWindow* window = wintest::FormWindow::of(hwnd);
    if (window == nullptr || window->form() == nullptr)
        return nullptr;
    for (const auto& control : window->form()->controls())
        if (control->kind() == forms::ControlKind::CommandButton &&
            window->buttonWindow(*control) == hwnd)
            return static_cast<const forms::CommandButton*>(control.get());
    return nullptr;
}

} // namespace

void mouse(const forms::Form& form, bool down, Point at)
{
    sendMouse(form, down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? MK_LBUTTON : 0, at);
}

// What the window paints; its native buttons are windows of their own.
Image image(const forms::Form& form)
{
    HWND window = hwndOf(form);
    return wintest::clientImage(window, [window](HDC dc, const RECT&) {
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

int dpi(const forms::Form& form)
{
    return forms::win32::windowDpi(hwndOf(form));
}

std::u16string nativeCaption(const forms::CommandButton& button)
{
    return u16(wintest::titleOf(hwndOf(button)));
}

bool isDefaultButton(const forms::CommandButton& button)
{
    return (GetWindowLongPtrW(hwndOf(button), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

std::string nativeControlAt(const forms::Form& form, Point point)
{
    HWND window = hwndOf(form);
    HWND hit = ChildWindowFromPointEx(window, POINT{point.x, point.y}, CWP_SKIPINVISIBLE);
    const forms::CommandButton* button = hit != window ? buttonOf(hit) : nullptr;
    return button != nullptr ? button->displayName() : std::string();
}

void activate(const forms::Form& form)
{
    HWND window = hwndOf(form);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    processEvents();
}

std::string focused()
{
    const forms::CommandButton* button = buttonOf(GetFocus());
    return button != nullptr ? button->displayName() : std::string();
}

void pressKey(Key key, bool shift)
{
    static const WPARAM codes[] = {VK_TAB,    VK_LEFT,   VK_RIGHT, VK_UP,     VK_DOWN,
                                   VK_RETURN, VK_RETURN, VK_SPACE, VK_ESCAPE, 'A'};
    const WPARAM code = codes[int(key)];
    // The keypad's Enter is Return with the extended-key bit.
    const LPARAM extended = key == Key::Enter ? (1 << 24) : 0;
    HWND target = GetFocus();
    if (target == nullptr)
        target = GetActiveWindow();
    holdShift(shift);
    PostMessageW(target, WM_KEYDOWN, code, 1 | extended);
    processEvents();
    PostMessageW(target, WM_KEYUP, code, LPARAM(0xC0000001) | extended);
    processEvents();
    holdShift(false);
}

void click(const forms::Form& form, Point point, bool twice)
{
    sendMouse(form, WM_LBUTTONDOWN, MK_LBUTTON, point);
    sendMouse(form, WM_LBUTTONUP, 0, point);
    if (twice) {
        sendMouse(form, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        sendMouse(form, WM_LBUTTONUP, 0, point);
    }
    processEvents();
}

Box frameOnScreen(const forms::Form& form)
{
    RECT r{};
    GetWindowRect(hwndOf(form), &r);
    return {int(r.left), int(r.top), int(r.right), int(r.bottom)};
}

Box workArea(const forms::Form& form)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwndOf(form), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& r = monitor.rcWork;
    return {int(r.left), int(r.top), int(r.right), int(r.bottom)};
}

// As a reader in another process does it: the client area's object, the
// child in the control's place, its default action.
void pressAccessibly(const forms::Control& control)
{
    IAccessible* root = nullptr;
    AccessibleObjectFromWindow(hwndOf(control.owner()), static_cast<DWORD>(OBJID_CLIENT),
                               __uuidof(IAccessible), reinterpret_cast<void**>(&root));
    if (root == nullptr)
        return;
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = accessibleChildIndex(control) + 1;
    root->accDoDefaultAction(child);
    root->Release();
}

} // namespace testplatform

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(testplatform::narrow(argv[i]));
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return testplatform::programMain(argc, pointers.data());
}
