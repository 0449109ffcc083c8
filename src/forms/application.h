// Start and end of the program, its identity, and the event boundary where an
// uncaught run-time error becomes the fatal error report.
#pragma once

#include "forms/error.h"
#include "forms/form.h"

#include <memory>
#include <new>
#include <string_view>

namespace forms {

struct Identity
{
    std::u16string_view title;   // caption of the fatal error report
    std::u16string_view version; // "2.00"
    std::u16string_view organisation;
    std::u16string_view author;
    std::u16string_view homePage;
    std::u16string_view desktopId;        // desktop entry / application id
    const char* const* iconXpm = nullptr; // the icon of every window
    std::string_view command;             // starts each line the program writes on stderr
};

// Exit status of a program ended by the fatal error report.
inline constexpr int kFatalExitStatus = 1;
// Exit status of a program whose display went away or could not be opened.
inline constexpr int kNoDisplayExitStatus = 3;

class Application
{
public:
    // The command line is not read: only the program's own path is kept.
    Application(const char* programPath, const Identity& identity);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Loads and shows the start-up window, then runs the event loop until End().
    int run(Form& startup);

private:
    // What the backend keeps for the run. It goes with the Application, from
    // main's stack, and never with the static objects at exit.
    struct Platform;
    std::unique_ptr<Platform> platform_;
};

const Identity& identity();

// Runs what the event loop has waiting and returns: each event as the
// program's own loop delivers it, deferred deletions included. The tests
// pump the loop through it.
void processEvents();

// Ends the program at once: every window goes, no further handler runs, and
// the exit status is 0.
void End();
bool ended();

// Shows the fatal error report and ends the program with kFatalExitStatus.
[[noreturn]] void fatal(const RuntimeError& error);

// The display `display` has gone: says so in one line on stderr and ends the
// program at once with kNoDisplayExitStatus. No window or destructor can run
// any more without it.
[[noreturn]] void displayLost(std::string_view display);
// No display could be opened at the start (`display` is empty when none was
// named): says so in one line on stderr, with how to name one, and ends the
// program with kNoDisplayExitStatus.
[[noreturn]] void noDisplay(std::string_view display);

// The boundary of every event: a handler's uncaught run-time error is fatal.
template <class Handler> void dispatch(Handler&& handler) noexcept
{
    if (ended())
        return;
    try {
        handler();
    } catch (const RuntimeError& error) {
        fatal(error);
    } catch (const std::bad_alloc&) {
        fatal(RuntimeError(ErrorNumber::OutOfMemory));
    }
}

} // namespace forms
