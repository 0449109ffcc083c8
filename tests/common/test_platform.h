// What the tests and the fault probe ask of the platform they run on: the
// toolkit, its event loop, other processes, and what the windowing system
// shows of a window. One implementation per backend: platform_qt.cpp and
// platform_win32.cpp. Everything else in the tests is written once.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"

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

struct Size
{
    int width;
    int height;
    bool operator==(const Size&) const = default;
};
struct Point
{
    int x;
    int y;
    bool operator==(const Point&) const = default;
};
struct Box
{
    int left;
    int top;
    int right;
    int bottom;
    bool operator==(const Box&) const = default;
};

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

// A control's box in pixels in its window's client area.
Box box(const forms::Control& control);
bool takesFocus(const forms::Control& control);
bool hasFocus(const forms::Control& control);
// The left mouse button goes down or up at a point in the control's own pixels.
void press(const forms::Control& control, Point at);
void release(const forms::Control& control, Point at);

// A control as it draws itself, 0xRRGGBB by row.
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y * width + x)]; }
};
Image image(const forms::Control& control);

} // namespace testplatform
