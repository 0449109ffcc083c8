// The Win32 windows that draw the forms layer's windows and controls.
#pragma once

#include "forms/form.h"
#include "forms/win32/win32_accessible.h"
#include "forms/win32/win32_system.h"

#include <memory>
#include <string>
#include <vector>

namespace forms::win32 {

class FormWindow;

// A label drawn by the program: background, a one-pixel flat frame, and its
// text from the top of its box, aligned as the label says, in its exact colour.
class LabelWindow final : public ControlPeer
{
public:
    LabelWindow(Label& label, FormWindow& form);
    ~LabelWindow() override;
    LabelWindow(const LabelWindow&) = delete;
    LabelWindow& operator=(const LabelWindow&) = delete;

    void changed(Property property) override;
    // Takes the label to a density, with its font for that density.
    void place(const Scale& scale, HFONT font);
    void detach();

    HWND hwnd() const { return hwnd_; }
    Label* label() const { return label_; }
    int pitch() const { return pitch_; }

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc);
    // The box for the current text: fitted to it where the label says so.
    RECT box() const;
    void measureLines();

    Label* label_;
    FormWindow& form_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr; // owned by the form window
    int pitch_ = 0;        // pixels from one line to the next
    Scale scale_;
    std::vector<std::wstring> lines_; // the caption, broken at each carriage return
    bool pressed_ = false;
};

// A standard push button in the layout's font or the default GUI font.
class ButtonWindow final : public ControlPeer
{
public:
    ButtonWindow(CommandButton& button, FormWindow& form, int id);
    ~ButtonWindow() override;
    ButtonWindow(const ButtonWindow&) = delete;
    ButtonWindow& operator=(const ButtonWindow&) = delete;

    void changed(Property) override {}
    void place(const Scale& scale, HFONT font);
    void detach();
    // A click with the mouse or from the keyboard.
    void click();

    HWND hwnd() const { return hwnd_; }
    int id() const { return id_; }
    CommandButton* button() const { return button_; }

private:
    CommandButton* button_;
    HWND hwnd_ = nullptr;
    int id_;
};

// A top-level window of the program: its client area draws the layout's
// background and lines, and holds the labels and buttons.
class FormWindow final : public FormPeer, public AccessibleHost
{
public:
    explicit FormWindow(Form& form);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    void show() override;
    void hide() override;
    void activate() override;

    HWND hwnd() const override { return hwnd_; }
    Form* form() const override { return form_; }
    const Scale& scale() const { return scale_; }
    AccessibleBridge& accessible() { return *accessible_; }

    // What the screen readers' bridge asks of the window.
    RECT controlBox(const Control& control) const override;
    RECT lineBox(const Control& label, int line) const override;
    const Control* controlAt(POINT point) const override;
    const Control* focusedControl() const override;
    void press(Control& control) override;

    // The window of a control of this form, or null.
    HWND controlWindow(const Control& control) const;
    // The buttons in keyboard order (by tab index).
    const std::vector<std::unique_ptr<ButtonWindow>>& buttons() const { return buttons_; }

    // The program's window that holds `hwnd` (itself or one of its controls), or null.
    static FormWindow* of(HWND hwnd);
    static const std::vector<FormWindow*>& all();

    // Tab, Shift+Tab and Enter for the program's windows; true when the key was used.
    static bool keyboard(const MSG& message);

    static constexpr DWORD kStyle =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    static constexpr DWORD kExStyle = WS_EX_APPWINDOW;

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc);
    // Fonts, controls and (unless `resize` is false) the window, for a density.
    void applyDpi(int dpi, bool resize);
    HFONT font(const FontSpec& wanted);
    void moveFocus(int step);
    void restoreFocus();
    void detach();

    Form* form_;
    HWND hwnd_ = nullptr;
    Scale scale_;
    std::vector<const Line*> lines_;
    std::vector<std::unique_ptr<LabelWindow>> labels_;
    std::vector<std::unique_ptr<ButtonWindow>> buttons_;
    std::vector<std::pair<FontSpec, HFONT>> fonts_;
    HWND focus_ = nullptr; // the control to give the focus back to on activation
    bool shownBefore_ = false;
    std::unique_ptr<AccessibleBridge> accessible_;
};

// Runs what is waiting in the message queue, as the event loop would.
void processEvents();

} // namespace forms::win32
