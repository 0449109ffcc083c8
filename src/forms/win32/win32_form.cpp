#include "forms/win32/win32_form.h"

#include "forms/application.h"
#include "forms/win32/win32_fonts.h"

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

// The class carries the program's icon: it is every window's icon.
void registerFormClass()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
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

void setPosition(HWND hwnd, HWND after, const RECT& r, UINT flags)
{
    check(SetWindowPos(hwnd, after, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       flags | SWP_NOACTIVATE));
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
    button.attach(this);
}

ButtonWindow::~ButtonWindow()
{
    detach();
}

void ButtonWindow::detach()
{
    if (button_ != nullptr && button_->peer() == this)
        button_->attach(nullptr);
    button_ = nullptr;
}

void ButtonWindow::place(const Scale& scale, HFONT font)
{
    if (button_ == nullptr)
        return;
    setPosition(hwnd_, nullptr, scale.rect(button_->rect()), SWP_NOZORDER);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
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
    scale_.dpi = systemDpi();
    const SIZE client = scale_.client(layout.clientWidth, layout.clientHeight);
    RECT frame{0, 0, client.cx, client.cy};
    adjustWindowRect(frame, kStyle, kExStyle, scale_.dpi);
    // A window at the system's default place gets it now, when it is made.
    const bool systemPlaces = layout.startUpPosition == StartUpPosition::WindowsDefault;
    const std::wstring caption = toWide(layout.caption);
    hwnd_ = CreateWindowExW(kExStyle, kFormClass, caption.c_str(), kStyle,
                            systemPlaces ? CW_USEDEFAULT : 0, systemPlaces ? CW_USEDEFAULT : 0,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr)
        failed();
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindow::procedure));
    accessible_ = std::make_unique<AccessibleBridge>(*this);

    // Buttons take the keyboard in the order of their tab indexes.
    std::vector<CommandButton*> buttons;
    for (const auto& control : form.controls()) {
        switch (control->kind()) {
        case ControlKind::Line:
            lines_.push_back(static_cast<const Line*>(control.get()));
            break;
        case ControlKind::CommandButton:
            buttons.push_back(static_cast<CommandButton*>(control.get()));
            break;
        case ControlKind::Label:
            break;
        }
    }
    std::stable_sort(buttons.begin(), buttons.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex() < b->tabIndex(); });
    for (CommandButton* button : buttons)
        buttons_.push_back(
            std::make_unique<ButtonWindow>(*button, *this, static_cast<int>(buttons_.size() + 1)));
    for (const auto& button : buttons_)
        accessible_->adopt(button->hwnd(), *button->button());
    for (const auto& control : form.controls())
        if (control->kind() == ControlKind::Label)
            labels_.push_back(std::make_unique<LabelWindow>(static_cast<Label&>(*control), *this));

    // Buttons are drawn above labels, and lines lie under both; the first
    // button in keyboard order is the first child, as in a dialog.
    HWND after = HWND_TOP;
    for (const auto& button : buttons_) {
        check(SetWindowPos(button->hwnd(), after, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
        after = button->hwnd();
    }
    for (const auto& label : labels_) {
        check(SetWindowPos(label->hwnd(), after, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
        after = label->hwnd();
    }

    applyDpi(windowDpi(hwnd_), true);
    registry().push_back(this);
}

FormWindow::~FormWindow()
{
    accessible_->retire();
    auto& windows = registry();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    detach();
    // No handler may run for a window on its way out.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    labels_.clear();
    buttons_.clear();
    for (auto& entry : fonts_)
        DeleteObject(entry.second);
}

void FormWindow::detach()
{
    form_ = nullptr;
    lines_.clear();
    for (auto& label : labels_)
        label->detach();
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

HWND FormWindow::controlWindow(const Control& control) const
{
    for (const auto& label : labels_)
        if (label->label() == &control)
            return label->hwnd();
    for (const auto& button : buttons_)
        if (button->button() == &control)
            return button->hwnd();
    return nullptr;
}

HFONT FormWindow::font(const FontSpec& wanted)
{
    for (const auto& entry : fonts_)
        if (entry.first == wanted)
            return entry.second;
    HFONT made = createFont(wanted, scale_.dpi);
    fonts_.emplace_back(wanted, made);
    return made;
}

void FormWindow::applyDpi(int dpi, bool resize)
{
    std::vector<std::pair<FontSpec, HFONT>> old;
    old.swap(fonts_);
    scale_.dpi = dpi;
    for (auto& button : buttons_)
        if (button->button() != nullptr)
            button->place(scale_, font(button->button()->font()));
    for (auto& label : labels_)
        if (label->label() != nullptr)
            label->place(scale_, font(label->label()->font()));
    for (auto& entry : old)
        DeleteObject(entry.second);
    if (resize && form_ != nullptr) {
        const SIZE client =
            scale_.client(form_->layout().clientWidth, form_->layout().clientHeight);
        RECT frame{0, 0, client.cx, client.cy};
        adjustWindowRect(frame, kStyle, kExStyle, dpi);
        check(SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    }
    check(InvalidateRect(hwnd_, nullptr, TRUE));
}

void FormWindow::show()
{
    if (!shownBefore_ && form_ != nullptr &&
        form_->layout().startUpPosition == StartUpPosition::CenterScreen) {
        // Centred on the work area of the screen the window is on.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        check(GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor));
        RECT window{};
        check(GetWindowRect(hwnd_, &window));
        const RECT& area = monitor.rcWork;
        const int width = window.right - window.left, height = window.bottom - window.top;
        check(SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - width) / 2,
                           area.top + (area.bottom - area.top - height) / 2, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    }
    const bool first = !shownBefore_;
    shownBefore_ = true;
    // At the first show the focus goes to the first control in keyboard order.
    if (first)
        focus_ = buttons_.empty() ? nullptr : buttons_.front()->hwnd();
    ShowWindow(hwnd_, SW_SHOW);
    accessible_->shown();
    if (first && GetActiveWindow() == hwnd_)
        restoreFocus();
}

void FormWindow::hide()
{
    ShowWindow(hwnd_, SW_HIDE);
    accessible_->hidden();
}

void FormWindow::activate()
{
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
    restoreFocus();
}

void FormWindow::restoreFocus()
{
    SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : hwnd_);
}

void FormWindow::moveFocus(int step)
{
    const int n = static_cast<int>(buttons_.size());
    if (n == 0)
        return;
    int current = -1;
    for (int i = 0; i < n; ++i)
        if (buttons_[static_cast<std::size_t>(i)]->hwnd() == GetFocus())
            current = i;
    const int next = current < 0 ? (step > 0 ? 0 : n - 1) : ((current + step) % n + n) % n;
    focus_ = buttons_[static_cast<std::size_t>(next)]->hwnd();
    SetFocus(focus_);
    // The keyboard is in use: show where the focus is.
    SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool FormWindow::keyboard(const MSG& message)
{
    if (message.message != WM_KEYDOWN)
        return false;
    FormWindow* window = of(message.hwnd);
    if (window == nullptr)
        return false;
    switch (message.wParam) {
    case VK_TAB:
        if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
            return false;
        window->moveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : +1);
        return true;
    case VK_RETURN:
        // Enter presses the button that has the focus, as Space does.
        for (const auto& button : window->buttons_)
            if (button->hwnd() == message.hwnd) {
                button->click();
                return true;
            }
        return false;
    default:
        return false;
    }
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
        paint(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(hwnd_, &ps)) {
            paint(dc);
            EndPaint(hwnd_, &ps);
        }
        return 0;
    }
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
    case WM_GETOBJECT:
        if (const LRESULT object = accessible_->getObject(wParam, lParam))
            return object;
        break;
    case WM_ENDSESSION:
        if (wParam != 0 && !ended()) {
            Form* form = form_;
            dispatch([form] { form->Unload(); });
        }
        return 0;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        applyDpi(HIWORD(wParam), false);
        check(SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE));
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void FormWindow::paint(HDC dc)
{
    RECT client{};
    GetClientRect(hwnd_, &client);
    HBRUSH background = CreateSolidBrush(resolveColor(form_->layout().backColor));
    FillRect(dc, &client, background);
    DeleteObject(background);
    for (const Line* line : lines_) {
        HBRUSH ink = CreateSolidBrush(resolveColor(line->BorderColor()));
        const RECT covered = scale_.line(*line);
        FillRect(dc, &covered, ink);
        DeleteObject(ink);
    }
}

// What the screen readers' bridge asks of the window.

RECT FormWindow::controlBox(const Control& control) const
{
    HWND window = controlWindow(control);
    if (window == nullptr)
        return scale_.rect(control.rect());
    RECT box{};
    GetWindowRect(window, &box);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

RECT FormWindow::lineBox(const Control& label, int line) const
{
    RECT box = controlBox(label);
    const int frame = label.style().border == BorderStyle::FixedSingle ? scale_.thickness() : 0;
    int pitch = 0;
    for (const auto& window : labels_)
        if (window->label() == &label)
            pitch = window->pitch();
    box.top += frame + pitch * line;
    box.bottom = std::min(box.top + pitch, box.bottom - frame);
    InflateRect(&box, -frame, 0);
    return box;
}

const Control* FormWindow::controlAt(POINT point) const
{
    HWND child = ChildWindowFromPointEx(hwnd_, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    for (const auto& label : labels_)
        if (label->hwnd() == child)
            return label->label();
    for (const auto& button : buttons_)
        if (button->hwnd() == child)
            return button->button();
    return nullptr;
}

const Control* FormWindow::focusedControl() const
{
    HWND focus = GetFocus();
    for (const auto& button : buttons_)
        if (focus != nullptr && button->hwnd() == focus)
            return button->button();
    return nullptr;
}

// A button is clicked as the mouse does it, taking the focus; a label's click
// goes to its handler.
void FormWindow::press(Control& control)
{
    if (HWND window = controlWindow(control); control.kind() == ControlKind::CommandButton)
        SendMessageW(window, BM_CLICK, 0, 0);
    else
        dispatch([&control] { control.raiseClick(); });
}

void processEvents()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (FormWindow::keyboard(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace forms::win32

namespace forms {

std::unique_ptr<FormPeer> createFormPeer(Form& form)
{
    return std::make_unique<win32::FormWindow>(form);
}

} // namespace forms
