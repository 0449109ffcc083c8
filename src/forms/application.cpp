// The platform-free half of the application: its identity, whether it has
// ended, and what it says when it has no display.
#include "forms/application.h"

#include "forms/backend.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace forms {

namespace detail {
Identity currentIdentity;
bool programEnded = false;
} // namespace detail

const Identity& identity()
{
    return detail::currentIdentity;
}

bool ended()
{
    return detail::programEnded;
}

int Application::run(Form& startup)
{
    // Loading the start-up window runs its Form_Load: a run-time error there is
    // as fatal as in any handler.
    dispatch([&] { startup.Show(); });
    if (ended())
        return 0;
    return runEventLoop();
}

namespace {

[[noreturn]] void endWithoutDisplay(const std::string& what)
{
    const std::string line = std::string(identity().command) + ": " + what + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    std::_Exit(kNoDisplayExitStatus);
}

} // namespace

void displayLost(std::string_view display)
{
    endWithoutDisplay("lost the connection to display " + std::string(display));
}

void noDisplay(std::string_view display)
{
    const std::string where = display.empty() ? std::string(": DISPLAY is not set")
                                              : " at \"" + std::string(display) + "\"";
    endWithoutDisplay("no display could be opened" + where +
                      "; set DISPLAY to a running X server, e.g. DISPLAY=:0");
}

} // namespace forms
