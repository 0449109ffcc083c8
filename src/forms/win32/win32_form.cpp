#include "forms/win32/win32_form.h"

#include "forms/application.h"
#include "forms/win32/win32_desktop.h"

#include <windowsx.h>

#include <algorithm>

namespace forms::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"MareloForm";

std::vector<FormWindow*>& registry()
{
    static std::vector<FormWindow*> windows;
    return windows;
}

// The program's icon (resource 1) at a size the system asks for; null where
// the executable carries none.
HICON programIcon(int metricX, int metricY)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                         GetSystemMetrics(metricX), GetSystemMetrics(metricY),
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

// The class carries the program's icon: it is every window's icon. Double
// clicks are asked for, so that the second press of one is told apart.
void registerFormClass()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW; // each window sets its own procedure when created
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = programIcon(SM_CXICON, SM_CYICON);
    wc.hIconSm = programIcon(SM_CXSMICON, SM_CYSMICON);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kFormClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        failed();
    registered = true;
}

// SetWindowLongPtr returns the old value, which may be 0 without a failure.
void setWindowLong(HWND hwnd, int index, LONG_PTR value)
{
    SetLastError(0);
    if (SetWindowLongPtrW(hwnd, index, value) == 0 && GetLastError() != 0)
        failed();
}

// Draws into a memory bitmap that goes to the screen in one piece.
class GdiPainter final : public Painter
{
public:
    explicit GdiPainter(HDC dc) : dc_(dc) {}

    void fill(const PixelRect& area, Color color) override
    {
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color));
        if (brush == nullptr)
            failed();
        const RECT r = toRECT(area);
        const int filled = FillRect(dc_, &r, brush);
        DeleteObject(brush);
        check(filled);
    }

    void text(int x, int top, std::u16string_view run, const FontFace& face, Color color,
              const PixelRect& clip) override
    {
        if (SelectObject(dc_, gdiDesktop().font(face)) == nullptr)
            failed();
        if (SetTextColor(dc_, static_cast<COLORREF>(color)) == CLR_INVALID)
            failed();
        const RECT r = toRECT(clip);
        const std::wstring wide = toWide(run);
        check(ExtTextOutW(dc_, x, top, ETO_CLIPPED, &r, wide.c_str(),
                          static_cast<UINT>(wide.size()), nullptr));
    }

private:
    HDC dc_;
};

Key toKey(WPARAM key)
{
    if (key >= 'A' && key <= 'Z')
        return static_cast<Key>(key);
    switch (key) {
    case VK_TAB:
        return Key::Tab;
    case VK_LEFT:
        return Key::Left;
    case VK_RIGHT:
        return Key::Right;
    case VK_UP:
        return Key::Up;
    case VK_DOWN:
        return Key::Down;
    case VK_RETURN:
        return Key::Return;
    case VK_SPACE:
        return Key::Space;
    default:
        return Key::Other;
    }
}

PixelPoint pointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

} // namespace

// Buttons.

ButtonWindow::ButtonWindow(CommandButton& button, FormWindow& form, int id)
    : button_(&button), id_(id)
{
    const std::wstring caption = toWide(button.Caption());
    hwnd_ = CreateWindowExW(0, L"BUTTON", caption.c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON, 0,
                            0, 0, 0, form.hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr)
        failed();
}

ButtonWindow::~ButtonWindow()
{
    // On the way out nothing can be reported: a button that will not go goes
    // with its parent.
    if (IsWindow(hwnd_))
        DestroyWindow(hwnd_);
}

void ButtonWindow::place(const FormSurface& surface)
{
    if (button_ == nullptr)
        return;
    const PixelRect box = surface.box(*button_);
    check(SetWindowPos(hwnd_, nullptr, box.left, box.top, box.width(), box.height(),
                       SWP_NOZORDER | SWP_NOACTIVATE));
    SendMessageW(hwnd_, WM_SETFONT,
                 reinterpret_cast<WPARAM>(gdiDesktop().font(surface.font(*button_))), TRUE);
}

void ButtonWindow::click()
{
    if (button_ != nullptr)
        dispatch([this] { button_->raiseClick(); });
}

// Windows.

FormWindow::FormWindow(Form& form) : form_(&form)
{
    registerFormClass();
    const FormLayout& layout = form.layout();
    const int dpi = systemDpi();
    const PixelSize client = Scale{dpi}.client(layout.clientWidth, layout.clientHeight);
    RECT frame{0, 0, client.width, client.height};
    adjustWindowRect(frame, kStyle, kExStyle, dpi);
    // A window at the system's default place gets it now, when it is made.
    const bool systemPlaces = layout.startUpPosition == StartUpPosition::WindowsDefault;
    const std::wstring caption = toWide(layout.caption);
    hwnd_ = CreateWindowExW(kExStyle, kFormClass, caption.c_str(), kStyle,
                            systemPlaces ? CW_USEDEFAULT : 0, systemPlaces ? CW_USEDEFAULT : 0,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr)
        failed();
    registry().push_back(this);
    setWindowLong(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    setWindowLong(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindow::procedure));
    accessible_ = std::make_unique<AccessibleBridge>(*this);

    // Buttons are native windows, above everything the window paints. The
    // first in keyboard order is the first child, as in a dialog.
    HWND after = HWND_TOP;
    for (CommandButton* button : form.surface()->focusOrder()) {
        buttons_.push_back(
            std::make_unique<ButtonWindow>(*button, *this, static_cast<int>(buttons_.size() + 1)));
        check(SetWindowPos(buttons_.back()->hwnd(), after, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
        after = buttons_.back()->hwnd();
        accessible_->adopt(after, *button);
    }
    form.surface()->setDpi(windowDpi(hwnd_));
    refit();
}

FormWindow::~FormWindow()
{
    accessible_->retire();
    auto& windows = registry();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    detach();
    // No handler may run for a window on its way out.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    buttons_.clear();
    DestroyWindow(hwnd_);
}

void FormWindow::detach()
{
    form_ = nullptr;
    for (auto& button : buttons_)
        button->detach();
}

FormWindow* FormWindow::of(HWND hwnd)
{
    if (hwnd == nullptr)
        return nullptr;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    for (FormWindow* window : registry())
        if (window->hwnd_ == root)
            return window;
    return nullptr;
}

const std::vector<FormWindow*>& FormWindow::all()
{
    return registry();
}

ButtonWindow* FormWindow::windowOf(const CommandButton* button) const
{
    for (const auto& window : buttons_)
        if (button != nullptr && window->button() == button)
            return window.get();
    return nullptr;
}

HWND FormWindow::buttonWindow(const Control& control) const
{
    for (const auto& window : buttons_)
        if (window->button() == &control)
            return window->hwnd();
    return nullptr;
}

CommandButton* FormWindow::focusedButton() const
{
    HWND focus = GetFocus();
    for (const auto& window : buttons_)
        if (window->hwnd() == focus)
            return window->button();
    return nullptr;
}

void FormWindow::desktopChanged(int dpi)
{
    if (form_ != nullptr)
        form_->surface()->refit(dpi);
}

void FormWindow::redrawAll()
{
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

namespace {

PixelRect toPixelRect(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

BOOL CALLBACK collectScreen(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        auto& screens = *reinterpret_cast<std::vector<Screen>*>(data);
        const Screen screen{toPixelRect(info.rcMonitor), toPixelRect(info.rcWork)};
        // The primary screen first.
        if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0)
            screens.insert(screens.begin(), screen);
        else
            screens.push_back(screen);
    }
    return TRUE;
}

// The window the user works in, where it shows on a screen.
std::optional<PixelRect> foregroundFrame()
{
    HWND window = GetForegroundWindow();
    RECT frame{};
    if (window == nullptr || !IsWindowVisible(window) || IsIconic(window) ||
        !GetWindowRect(window, &frame))
        return std::nullopt;
    return toPixelRect(frame);
}

std::vector<Screen> screens()
{
    std::vector<Screen> all;
    EnumDisplayMonitors(nullptr, nullptr, collectScreen, reinterpret_cast<LPARAM>(&all));
    return all;
}

} // namespace

void FormWindow::keepOnScreens()
{
    if (IsWindowVisible(hwnd_) && !IsIconic(hwnd_) && !IsZoomed(hwnd_))
        placeWhole();
}

void FormWindow::placeWhole()
{
    std::vector<PixelRect> areas;
    for (const Screen& screen : screens())
        areas.push_back(screen.workArea);
    RECT frame{};
    check(GetWindowRect(hwnd_, &frame));
    const PixelPoint to = keptOnScreens(toPixelRect(frame), areas);
    if (to.x != frame.left || to.y != frame.top)
        check(SetWindowPos(hwnd_, nullptr, to.x, to.y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
}

void FormWindow::show()
{
    if (!shownBefore_ && form_ != nullptr &&
        form_->layout().startUpPosition == StartUpPosition::CenterScreen) {
        // Centred, frame and all, on the work area of the screen the core
        // picks by the foreground window.
        const std::vector<Screen> all = screens();
        if (const Screen* screen = screenInUse(all, foregroundFrame())) {
            RECT window{};
            check(GetWindowRect(hwnd_, &window));
            const PixelPoint at = centredOn(
                screen->workArea, {window.right - window.left, window.bottom - window.top});
            check(SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
        }
    } else if (!shownBefore_) {
        // Where the system put it, grown to its density: whole on a screen.
        placeWhole();
    }
    const bool first = !shownBefore_;
    shownBefore_ = true;
    // At the first show the focus goes to the first control in keyboard order.
    if (first && form_ != nullptr)
        if (ButtonWindow* button = windowOf(form_->surface()->firstFocus()))
            focus_ = button->hwnd();
    ShowWindow(hwnd_, SW_SHOW);
    accessible_->tell(EVENT_OBJECT_SHOW);
    if (first && GetActiveWindow() == hwnd_)
        restoreFocus();
}

void FormWindow::hide()
{
    ShowWindow(hwnd_, SW_HIDE);
    accessible_->tell(EVENT_OBJECT_HIDE);
}

void FormWindow::activate()
{
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
    restoreFocus();
}

void FormWindow::invalidate(const PixelRect& area)
{
    const RECT r = toRECT(area);
    check(InvalidateRect(hwnd_, &r, FALSE));
}

// The surface measured anew: the buttons and the client area follow it. The
// frame around the client area is the one the window has now: after a move
// to another density, the system has already given it that density's.
void FormWindow::refit()
{
    if (form_ == nullptr)
        return;
    const FormSurface& surface = *form_->surface();
    for (auto& button : buttons_)
        button->place(surface);
    const PixelSize size = surface.clientSize();
    if (IsIconic(hwnd_)) {
        // Minimised: the size it comes back with.
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        check(GetWindowPlacement(hwnd_, &placement));
        RECT frame{0, 0, size.width, size.height};
        adjustWindowRect(frame, kStyle, kExStyle, windowDpi(hwnd_));
        RECT& normal = placement.rcNormalPosition;
        normal.right = normal.left + frame.right - frame.left;
        normal.bottom = normal.top + frame.bottom - frame.top;
        check(SetWindowPlacement(hwnd_, &placement));
        return;
    }
    RECT window{}, client{};
    check(GetWindowRect(hwnd_, &window));
    check(GetClientRect(hwnd_, &client));
    const int width = size.width + (window.right - window.left) - client.right;
    const int height = size.height + (window.bottom - window.top) - client.bottom;
    check(SetWindowPos(hwnd_, nullptr, 0, 0, width, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    check(InvalidateRect(hwnd_, nullptr, FALSE));
}

void FormWindow::renamed(const Control& control)
{
    accessible_->tell(EVENT_OBJECT_NAMECHANGE, &control);
}

void FormWindow::described(const Control& control)
{
    accessible_->tell(EVENT_OBJECT_DESCRIPTIONCHANGE, &control);
}

void FormWindow::restoreFocus()
{
    SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : hwnd_);
}

void FormWindow::giveFocus(CommandButton* button)
{
    ButtonWindow* window = windowOf(button);
    if (window == nullptr)
        return;
    focus_ = window->hwnd();
    SetFocus(focus_);
    // The keyboard is in use: show where the focus is.
    SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool FormWindow::keyboard(const MSG& message)
{
    if (message.message != WM_KEYDOWN)
        return false;
    FormWindow* window = of(message.hwnd);
    if (window == nullptr || window->form_ == nullptr)
        return false;
    KeyPress press;
    press.key = toKey(message.wParam);
    press.shift = GetKeyState(VK_SHIFT) < 0;
    press.ctrl = GetKeyState(VK_CONTROL) < 0;
    press.alt = GetKeyState(VK_MENU) < 0;
    press.repeat = (message.lParam & (1 << 30)) != 0; // the key was already down
    CommandButton* focused = window->focusedButton();
    const KeyAnswer answer = window->form_->surface()->key(press, focused);
    if (window->form_ == nullptr)
        return true;
    return answer.carryOut([window](CommandButton& target) { window->giveFocus(&target); },
                           [window](CommandButton& target) {
                               if (ButtonWindow* button = window->windowOf(&target))
                                   button->click();
                           });
}

LRESULT CALLBACK FormWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* window = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr || window->form_ == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return window->handle(message, wParam, lParam);
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        dispatch([&] {
            if (dc == nullptr)
                failed();
            paint(dc);
        });
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        SetCapture(hwnd_);
        form_->surface()->press(pointOf(lParam), message == WM_LBUTTONDBLCLK);
        return 0;
    }
    case WM_LBUTTONUP: {
        // The click may take the window away: nothing of it is used after.
        HWND self = hwnd_;
        form_->surface()->release(pointOf(lParam));
        if (GetCapture() == self)
            ReleaseCapture();
        return 0;
    }
    case WM_CAPTURECHANGED:
        form_->surface()->cancelPress();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
            for (const auto& button : buttons_)
                if (button->hwnd() == reinterpret_cast<HWND>(lParam)) {
                    button->click();
                    return 0;
                }
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(hwnd_, focus))
                focus_ = focus;
        } else if (!IsIconic(hwnd_)) {
            restoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        if (focus_ != nullptr && IsWindow(focus_) && focus_ != hwnd_)
            SetFocus(focus_);
        return 0;
    case WM_CLOSE: {
        // This window may be gone when Unload returns: nothing of it is used after.
        Form* form = form_;
        if (!ended())
            dispatch([form] { form->Unload(); });
        return 0;
    }
    case WM_ENDSESSION:
        if (wParam != 0 && !ended()) {
            Form* form = form_;
            dispatch([form] { form->Unload(); });
        }
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        // What the core draws may take the scheme's colours; the buttons draw
        // themselves in them.
        redrawAll();
        break;
    case WM_SETTINGCHANGE:
        // The fonts the buttons take may have changed (a broadcast without
        // a setting named may be any of them); the colours may too.
        if (wParam == SPI_SETNONCLIENTMETRICS || wParam == SPI_SETICONTITLELOGFONT || wParam == 0)
            dispatch([this] { desktopChanged(form_->surface()->scale().dpi); });
        if (wParam == SPI_SETWORKAREA)
            dispatch([this] { keepOnScreens(); });
        redrawAll();
        break;
    case WM_FONTCHANGE:
        dispatch([this] { desktopChanged(form_->surface()->scale().dpi); });
        return 0;
    case WM_DISPLAYCHANGE:
        dispatch([this] { keepOnScreens(); });
        break;
    case WM_DPICHANGED: {
        // The system's place for the window at the new density, then the
        // client area the core measures there, from the same corner.
        const RECT suggested = *reinterpret_cast<const RECT*>(lParam);
        const int dpi = HIWORD(wParam);
        dispatch([&] {
            check(SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                               suggested.right - suggested.left, suggested.bottom - suggested.top,
                               SWP_NOZORDER | SWP_NOACTIVATE));
            if (!form_->surface()->refit(dpi))
                refit();
        });
        return 0;
    }
    default:
        if (const auto answer = accessible_->message(message, wParam, lParam))
            return *answer;
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void FormWindow::paint(HDC dc)
{
    if (form_ == nullptr)
        return;
    RECT client{};
    check(GetClientRect(hwnd_, &client));
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0)
        return;
    HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr)
        failed();
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    if (bitmap == nullptr) {
        DeleteDC(memory);
        failed();
    }
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HGDIOBJ oldFont = GetCurrentObject(memory, OBJ_FONT);
    SetBkMode(memory, TRANSPARENT);
    SetTextAlign(memory, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    struct Release
    {
        HDC memory;
        HBITMAP bitmap;
        HGDIOBJ oldBitmap, oldFont;
        ~Release()
        {
            SelectObject(memory, oldFont);
            SelectObject(memory, oldBitmap);
            DeleteObject(bitmap);
            DeleteDC(memory);
        }
    } release{memory, bitmap, oldBitmap, oldFont};
    GdiPainter painter(memory);
    form_->surface()->paint(painter, {width, height});
    check(BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY));
}

// A button is clicked as the mouse does it, taking the focus; a label's click
// goes to its handler.
void FormWindow::press(Control& control)
{
    if (control.kind() == ControlKind::CommandButton) {
        if (HWND window = buttonWindow(control))
            SendMessageW(window, BM_CLICK, 0, 0);
    } else {
        dispatch([&control] { control.raiseClick(); });
    }
}

} // namespace forms::win32

namespace forms {

std::unique_ptr<FormPeer> createFormPeer(Form& form)
{
    return std::make_unique<win32::FormWindow>(form);
}

} // namespace forms
