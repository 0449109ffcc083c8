// What the tests and the fault probe ask of the platform they run on: the
// toolkit, its event loop, other processes, and what the windowing system
// shows of a window. One implementation per backend: platform_qt.cpp and
// platform_win32.cpp; what follows from those for both, test_platform.cpp.
// Everything else in the tests is written once.
#pragma once

#include "forms/accessible.h"
#include "forms/controls.h"
#include "forms/form.h"
#include "forms/geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testplatform {

// The program's start: the platform's entry point (main, or wmain on Windows)
// calls it with the arguments in UTF-8. The test runner and the probe each
// define it.
int programMain(int argc, char** argv);

// The toolkit, up for the whole run: a headless QApplication on Linux.
class Toolkit
{
public:
    explicit Toolkit(const char* programPath);
    ~Toolkit();
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Before each test case: clears what an ended run may have left for the
// event loop (on Windows, its quit message).
void startRun();
// Runs what the event loop has waiting, deferred deletions included.
void processEvents();
// Calls `once` from the event loop when it runs.
void later(std::function<void()> once);
// Calls `tick` every so many milliseconds from any event loop that runs, a
// message box's included.
void every(int milliseconds, std::function<void()> tick);

struct MessageBoxText
{
    std::u16string title;
    std::u16string text;
};
// The message box on screen, if any: what it says. It is then dismissed with OK.
std::optional<MessageBoxText> answerMessageBox();

struct Process
{
    bool started = false;
    bool finished = false; // false: still running at the deadline, and killed
    bool crashed = false;
    int status = -1;
    std::string output; // its standard output, lines ending in "\n"; errors pass through
};
// Runs a program and waits for it up to timeoutMs.
Process runProgram(const std::string& path, const std::vector<std::string>& arguments,
                   int timeoutMs);

// Whether the windowing system shows the form's window.
bool shown(const forms::Form& form);
// How many windows like this one are on screen.
int shownWindows(const forms::Form& form);
// Every window and widget of the program, shown or not.
int nativeWindows();
// The user closes the window with its close box.
void closeBox(const forms::Form& form);
// Whether the window takes input from the mouse and the keyboard.
bool acceptsInput(const forms::Form& form);
// The user's session ends (a log-off) and the system tells the windows, in
// this order; false where the platform has no such message for a program.
bool endSession(const std::vector<const forms::Form*>& windows);

// Pixels of a window's client area: device pixels where the window is scaled.
using Size = forms::PixelSize;
using Point = forms::PixelPoint;
using Box = forms::PixelRect;

Size clientSize(const forms::Form& form);
Point position(const forms::Form& form);
void move(const forms::Form& form, Point topLeft);

struct WindowTraits
{
    std::u16string title;
    bool topLevel;     // no parent window
    bool ownerless;    // not owned by another window
    bool taskBarEntry; // a task-bar entry of its own
    bool alwaysOnTop;
    bool minimizeBox;
    bool maximizeBox;
    bool closeBox;
    bool sizable;
};
WindowTraits traits(const forms::Form& form);

// A control's box in its window's client area: a button's native window, a
// label's place where the window draws it.
Box box(const forms::Control& control);
// Whether the toolkit can give the control the keyboard focus, and has.
bool takesFocus(const forms::Control& control);
bool hasFocus(const forms::Control& control);
// The left mouse button goes down or up at a point of the window's client
// area, as the window or the native control under it gets it.
void mouse(const forms::Form& form, bool down, Point at);
// The same at a point in the control's own pixels.
void press(const forms::Control& control, Point at);
void release(const forms::Control& control, Point at);

// Pixels as drawn, 0xRRGGBB by row; outside, 0xFFFFFFFF.
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height ? pixels[std::size_t(y * width + x)]
                                                           : 0xFFFFFFFFu;
    }
};
// A control as its window draws it.
Image image(const forms::Control& control);
// The window's whole client area as drawn, native buttons where the toolkit
// draws them into it.
Image image(const forms::Form& form);

// What the backend contract suite looks at besides: the window's density, its
// native buttons, the focus, real input, and where the window stands.
int dpi(const forms::Form& form);
std::u16string nativeCaption(const forms::CommandButton& button);
// Whether the toolkit made it a default button (pressed by Return anywhere).
bool isDefaultButton(const forms::CommandButton& button);
// The native control at a client point, by display name; "" for the window's
// own client area.
std::string nativeControlAt(const forms::Form& form, Point point);
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
void pressKey(Key key, bool shift = false);
// The left button clicked at a client point; a second time at once for a
// double-click, as the windowing system reports one.
void click(const forms::Form& form, Point point, bool twice = false);
// The whole window, frame included, on the screen; the screen's work area.
Box frameOnScreen(const forms::Form& form);
Box workArea(const forms::Form& form);
// A screen reader presses the control through the platform's accessibility
// interface, as a user of one would: the window's child in the place the
// control has among them, as the core's reader tree has it.
void pressAccessibly(const forms::Control& control);
// That place, from 0; -1 for a control a reader does not see as a child of the window.
// The platform's bridge shows readers the window's table so.
extern const forms::TableShape kReaderShape;
int accessibleChildIndex(const forms::Control& control);

} // namespace testplatform
