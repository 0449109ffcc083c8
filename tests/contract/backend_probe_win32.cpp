#include "backend_probe.h"

#include "forms/win32/win32_form.h"

namespace contract {

namespace {

using forms::win32::FormWindow;

FormWindow* windowOf(const forms::Form& form)
{
    return dynamic_cast<FormWindow*>(form.peer());
}

HWND hwndOf(const forms::CommandButton& button)
{
    FormWindow* window = windowOf(button.owner());
    return window != nullptr ? window->buttonWindow(button) : nullptr;
}

// The button of the program's windows with this native window, or null.
const forms::CommandButton* buttonAt(HWND hwnd)
{
    FormWindow* window = FormWindow::of(hwnd);
    if (window == nullptr || window->form() == nullptr)
        return nullptr;
    for (const auto& control : window->form()->controls())
        if (control->kind() == forms::ControlKind::CommandButton &&
            window->buttonWindow(*control) == hwnd)
            return static_cast<const forms::CommandButton*>(control.get());
    return nullptr;
}

void holdShift(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

LPARAM at(forms::PixelPoint point)
{
    return MAKELPARAM(point.x, point.y);
}

} // namespace

Image grab(const forms::Form& form)
{
    HWND hwnd = windowOf(form)->hwnd();
    RECT client{};
    GetClientRect(hwnd, &client);
    Image out{client.right, client.bottom, {}};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    out.pixels.reserve(static_cast<std::size_t>(out.width * out.height));
    for (int i = 0; i < out.width * out.height; ++i) {
        const std::uint32_t rgb = p[i]; // 0x00RRGGBB
        out.pixels.push_back(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return out;
}

std::u16string title(const forms::Form& form)
{
    wchar_t text[256] = {};
    GetWindowTextW(windowOf(form)->hwnd(), text, 256);
    return forms::win32::fromWide(text);
}

forms::PixelSize clientSize(const forms::Form& form)
{
    RECT r{};
    GetClientRect(windowOf(form)->hwnd(), &r);
    return {r.right, r.bottom};
}

bool minimiseOrMaximiseBox(const forms::Form& form)
{
    return (GetWindowLongPtrW(windowOf(form)->hwnd(), GWL_STYLE) &
            (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0;
}

bool owned(const forms::Form& form)
{
    return GetWindow(windowOf(form)->hwnd(), GW_OWNER) != nullptr;
}

forms::PixelRect nativeBox(const forms::CommandButton& button)
{
    HWND hwnd = hwndOf(button);
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
}

std::u16string nativeCaption(const forms::CommandButton& button)
{
    wchar_t text[64] = {};
    GetWindowTextW(hwndOf(button), text, 64);
    return forms::win32::fromWide(text);
}

bool isDefaultButton(const forms::CommandButton& button)
{
    return (GetWindowLongPtrW(hwndOf(button), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

std::string nativeControlAt(const forms::Form& form, forms::PixelPoint point)
{
    HWND window = windowOf(form)->hwnd();
    HWND hit = ChildWindowFromPointEx(window, POINT{point.x, point.y}, CWP_SKIPINVISIBLE);
    const forms::CommandButton* button = hit != window ? buttonAt(hit) : nullptr;
    return button != nullptr ? button->displayName() : std::string();
}

void activate(const forms::Form& form)
{
    HWND hwnd = windowOf(form)->hwnd();
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    settle();
}

std::string focused()
{
    const forms::CommandButton* button = buttonAt(GetFocus());
    return button != nullptr ? button->displayName() : std::string();
}

void press(Key key, bool shift)
{
    static const WPARAM keys[] = {VK_TAB,    VK_LEFT,   VK_RIGHT, VK_UP,     VK_DOWN,
                                  VK_RETURN, VK_RETURN, VK_SPACE, VK_ESCAPE, 'A'};
    const WPARAM code = keys[static_cast<int>(key)];
    // The keypad's Enter is Return with the extended-key bit.
    const LPARAM extended = key == Key::Enter ? (1 << 24) : 0;
    HWND target = GetFocus();
    if (target == nullptr)
        target = GetActiveWindow();
    holdShift(shift);
    PostMessageW(target, WM_KEYDOWN, code, 1 | extended);
    settle();
    PostMessageW(target, WM_KEYUP, code, 0xC0000001 | extended);
    settle();
    holdShift(false);
}

void click(const forms::Form& form, forms::PixelPoint point, bool twice)
{
    HWND window = windowOf(form)->hwnd();
    HWND target = ChildWindowFromPointEx(window, POINT{point.x, point.y}, CWP_SKIPINVISIBLE);
    POINT local{point.x, point.y};
    if (target == nullptr)
        target = window;
    MapWindowPoints(window, target, &local, 1);
    const forms::PixelPoint p{local.x, local.y};
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at(p));
    PostMessageW(target, WM_LBUTTONUP, 0, at(p));
    if (twice) {
        PostMessageW(target, WM_LBUTTONDBLCLK, MK_LBUTTON, at(p));
        PostMessageW(target, WM_LBUTTONUP, 0, at(p));
    }
    settle();
}

forms::PixelRect frameOnScreen(const forms::Form& form)
{
    RECT r{};
    GetWindowRect(windowOf(form)->hwnd(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

forms::PixelRect workArea(const forms::Form& form)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(windowOf(form)->hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& r = monitor.rcWork;
    return {r.left, r.top, r.right, r.bottom};
}

int dpi(const forms::Form& form)
{
    return form.surface()->scale().dpi;
}

void settle()
{
    forms::win32::processEvents();
}

} // namespace contract
