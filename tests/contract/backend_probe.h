// How the contract suite looks at a backend from outside the forms layer: the
// pixels a window shows, its native buttons, the focus, and real input. One
// implementation per backend (backend_probe_qt.cpp, backend_probe_win32.cpp);
// the suite itself is written once.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"
#include "forms/geometry.h"

#include <string>
#include <vector>

namespace contract {

// A window's client area as drawn, in device pixels; colours 0x00BBGGRR.
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<forms::Color> pixels;

    forms::Color at(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height
                   ? pixels[static_cast<std::size_t>(y * width + x)]
                   : 0xFFFFFFFFu;
    }
};

Image grab(const forms::Form& form);

// The window as the windowing system has it: title, client area in device
// pixels, whether its title bar has a minimise or maximise box, whether it
// has an owner window.
std::u16string title(const forms::Form& form);
forms::PixelSize clientSize(const forms::Form& form);
bool minimiseOrMaximiseBox(const forms::Form& form);
bool owned(const forms::Form& form);

// Where the native button stands in its window's client area, in device pixels.
forms::PixelRect nativeBox(const forms::CommandButton& button);
// The caption the native button shows.
std::u16string nativeCaption(const forms::CommandButton& button);
// Whether the toolkit made it a default button (pressed by Return anywhere).
bool isDefaultButton(const forms::CommandButton& button);
// The native control at a client point, by its display name, or "" for the
// window's own client area.
std::string nativeControlAt(const forms::Form& form, forms::PixelPoint point);

// Makes the window the active one and waits until it is.
void activate(const forms::Form& form);
// The control with the keyboard focus, by display name; "" for none.
std::string focused();

enum class Key
{
    Tab,
    Left,
    Right,
    Up,
    Down,
    Return,
    Enter,
    Space,
    Escape,
    Letter
};
// A key pressed and released where the focus is.
void press(Key key, bool shift = false);
// The left button pressed and released at a client point; a second time at
// once for a double-click.
void click(const forms::Form& form, forms::PixelPoint point, bool twice = false);

// The whole window, frame included, on the screen; and the screen's work area.
forms::PixelRect frameOnScreen(const forms::Form& form);
forms::PixelRect workArea(const forms::Form& form);
// The window's density, in dots per inch.
int dpi(const forms::Form& form);

// Runs what the event loop has waiting.
void settle();

} // namespace contract
