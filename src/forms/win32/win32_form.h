// The Win32 windows that carry the forms layer's windows: a top-level window
// whose client area the core paints, and native push buttons on it.
#pragma once

#include "forms/backend.h"
#include "forms/form.h"
#include "forms/surface.h"
#include "forms/win32/win32_accessible.h"
#include "forms/win32/win32_system.h"

#include <memory>
#include <vector>

namespace forms::win32 {

class FormWindow;

// A standard push button in the core's face for it.
class ButtonWindow final
{
public:
    ButtonWindow(CommandButton& button, FormWindow& form, int id);
    ~ButtonWindow();
    ButtonWindow(const ButtonWindow&) = delete;
    ButtonWindow& operator=(const ButtonWindow&) = delete;

    // To the box and face the surface gives it at the window's density.
    void place(const FormSurface& surface);
    void detach() { button_ = nullptr; }
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

// A top-level window of the program.
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
    void invalidate(const PixelRect& area) override;
    void refit() override;
    void renamed(const Control& control) override;
    void described(const Control& control) override;

    HWND hwnd() const override { return hwnd_; }
    Form* form() const override { return form_; }
    FormSurface* surface() const { return form_ != nullptr ? form_->surface() : nullptr; }
    // The window of a button of this form, or null.
    HWND buttonWindow(const Control& control) const;
    // The button that has the keyboard focus, or null.
    CommandButton* focusedButton() const;

    // A press a screen reader asked for.
    void press(Control& control) override;

    // The program's window that holds `hwnd` (itself or one of its buttons), or null.
    static FormWindow* of(HWND hwnd);
    static const std::vector<FormWindow*>& all();

    // Keys for the program's windows, as the surface answers them; true when used.
    static bool keyboard(const MSG& message);

    static constexpr DWORD kStyle =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    static constexpr DWORD kExStyle = WS_EX_APPWINDOW;

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc);
    // The desktop changed under the window: the core measures it again at
    // this density, and refit() follows where anything changed.
    void desktopChanged(int dpi);
    // The window and its buttons painted again, in the colours of now.
    void redrawAll();
    // The screens changed: the window goes where the core keeps it whole.
    void keepOnScreens();
    // Onto the work area the core keeps it whole on, shown or not.
    void placeWhole();
    ButtonWindow* windowOf(const CommandButton* button) const;
    void giveFocus(CommandButton* button);
    void restoreFocus();
    void detach();

    Form* form_;
    HWND hwnd_ = nullptr;
    std::vector<std::unique_ptr<ButtonWindow>> buttons_;
    HWND focus_ = nullptr; // the control to give the focus back to on activation
    bool shownBefore_ = false;
    std::unique_ptr<AccessibleBridge> accessible_;
};

} // namespace forms::win32
