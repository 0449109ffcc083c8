#include "forms/application.h"
#include "forms/win32/win32_form.h"

#include <algorithm>

namespace forms::win32 {

namespace {

constexpr wchar_t kLabelClass[] = L"MareloLabel";

void registerLabelClass(WNDPROC procedure)
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kLabelClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        failed();
    registered = true;
}

// A caption as the label draws it: a carriage return, with or without a line
// feed, starts a new line.
std::vector<std::wstring> displayLines(std::u16string_view caption)
{
    std::vector<std::wstring> lines(1);
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char16_t c = caption[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < caption.size() && caption[i + 1] == u'\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += static_cast<wchar_t>(c);
        }
    }
    return lines;
}

void fill(HDC dc, const RECT& r, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

} // namespace

LabelWindow::LabelWindow(Label& label, FormWindow& form)
    : label_(&label), form_(form), lines_(displayLines(label.Caption()))
{
    registerLabelClass(&LabelWindow::procedure);
    hwnd_ = CreateWindowExW(0, kLabelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0,
                            0, form.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr)
        failed();
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    label.attach(this);
}

LabelWindow::~LabelWindow()
{
    detach();
    if (IsWindow(hwnd_))
        DestroyWindow(hwnd_);
}

void LabelWindow::detach()
{
    if (label_ != nullptr && label_->peer() == this)
        label_->attach(nullptr);
    label_ = nullptr;
    if (IsWindow(hwnd_))
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

void LabelWindow::place(const Scale& scale, HFONT font)
{
    scale_ = scale;
    font_ = font;
    measureLines();
    const RECT r = box();
    check(SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE));
    check(InvalidateRect(hwnd_, nullptr, FALSE));
}

void LabelWindow::changed(Property property)
{
    if (label_ == nullptr)
        return;
    if (property == Property::Caption) {
        lines_ = displayLines(label_->Caption());
        if (label_->autoSize() && font_ != nullptr) {
            const RECT r = box();
            check(SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               SWP_NOZORDER | SWP_NOACTIVATE));
        }
    }
    check(InvalidateRect(hwnd_, nullptr, FALSE));
    form_.accessible().nameChanged(*label_);
}

// Lines follow each other at the font's pixel size: the line height of the
// Japanese system faces the layouts were made with. A stand-in face with a
// taller line would otherwise push the last lines out of their box.
void LabelWindow::measureLines()
{
    HDC dc = GetDC(hwnd_);
    if (dc == nullptr)
        failed();
    HGDIOBJ old = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    const BOOL measured = GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    check(measured);
    const int lineHeight = static_cast<int>(metrics.tmHeight);
    pitch_ = label_->font().isDefault()
                 ? lineHeight
                 : std::min(lineHeight, scale_.px(fontPixels(label_->font().points)));
}

// A label that fits itself to its text keeps the edge its alignment names
// (the centre, for a centred one) where the layout put it.
RECT LabelWindow::box() const
{
    const RECT layout = scale_.rect(label_->rect());
    if (!label_->autoSize() || font_ == nullptr)
        return layout;

    HDC dc = GetDC(hwnd_);
    if (dc == nullptr)
        failed();
    HGDIOBJ old = SelectObject(dc, font_);
    int width = 0;
    for (const std::wstring& line : lines_) {
        SIZE size{};
        if (!line.empty())
            GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        width = std::max(width, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);

    int height = pitch_ * static_cast<int>(lines_.size());
    if (label_->border() == BorderStyle::FixedSingle) {
        width += 2 * scale_.thickness();
        height += 2 * scale_.thickness();
    }
    int left = layout.left;
    if (label_->Alignment() == AlignRight)
        left = layout.right - width;
    else if (label_->Alignment() == AlignCenter)
        left = layout.left + (layout.right - layout.left - width) / 2;
    return {left, layout.top, left + width, layout.top + height};
}

LRESULT CALLBACK LabelWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* window = reinterpret_cast<LabelWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr || window->label_ == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return window->handle(message, wParam, lParam);
}

LRESULT LabelWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(hwnd_, &ps)) {
            paint(dc);
            EndPaint(hwnd_, &ps);
        }
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(hwnd_);
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        RECT client{};
        GetClientRect(hwnd_, &client);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (wasPressed && PtInRect(&client, at) && label_ != nullptr) {
            Label* label = label_;
            dispatch([label] { label->raiseClick(); });
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void LabelWindow::paint(HDC dc)
{
    RECT client{};
    GetClientRect(hwnd_, &client);
    const Color back =
        label_->style().opaque ? label_->BackColor() : form_.form()->layout().backColor;
    fill(dc, client, resolveColor(back));

    RECT inner = client;
    if (label_->border() == BorderStyle::FixedSingle) {
        const int t = scale_.thickness();
        const COLORREF frame = resolveColor(kSysWindowText);
        fill(dc, {client.left, client.top, client.right, client.top + t}, frame);
        fill(dc, {client.left, client.bottom - t, client.right, client.bottom}, frame);
        fill(dc, {client.left, client.top, client.left + t, client.bottom}, frame);
        fill(dc, {client.right - t, client.top, client.right, client.bottom}, frame);
        InflateRect(&inner, -t, -t);
    }

    UINT format = DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS | DT_NOCLIP;
    switch (label_->Alignment()) {
    case AlignRight:
        format |= DT_RIGHT;
        break;
    case AlignCenter:
        format |= DT_CENTER;
        break;
    default:
        format |= DT_LEFT;
        break;
    }
    if (font_ == nullptr)
        return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    SelectObject(dc, font_);
    SetTextColor(dc, resolveColor(label_->ForeColor()));
    SetBkMode(dc, TRANSPARENT);
    RECT line = inner;
    for (const std::wstring& text : lines_) {
        line.bottom = line.top + pitch_;
        if (!text.empty())
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &line, format);
        line.top += pitch_;
        if (line.top >= inner.bottom)
            break;
    }
    RestoreDC(dc, saved);
}

} // namespace forms::win32
