// Memory over a long session: the main window (offscreen) takes a number of
// randomized clicks, then the help window is opened and closed a number of
// times. Resident memory (VmRSS) and the heap in use (mallinfo2) are read after
// a warm-up, which is the baseline, and at the end of each phase.
//
//   memory_growth [ACTIONS [HELP_CYCLES [SEED]]]   (defaults 1000000 1000 1)
//
// Prints key=value lines; sizes in KiB.
#include "app/program.h"
#include "forms/application.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

long statusKib(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::atol(line.c_str() + prefix.size());
    return -1;
}

long heapKib()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void print(const char* phase)
{
    settle();
    std::printf("%s_rss_kib=%ld\n%s_heap_kib=%ld\n", phase, statusKib("VmRSS"), phase, heapKib());
    std::fflush(stdout);
}

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char** argv)
{
    const long actions = argc > 1 ? std::atol(argv[1]) : 1000000;
    const long helpCycles = argc > 2 ? std::atol(argv[2]) : 1000;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atol(argv[3])) : 1;

    // The offscreen platform warns on every raise() of the help window.
    qInstallMessageHandler(dropMessages);
    forms::Application application(argv[0], marelo::programIdentity());
    ui::MainWindow main;
    main.Show();
    settle();
    print("start");

    static const char* const kButtons[] = {"up_1", "up_2", "up_3", "dn_1", "dn_2", "dn_3", "reset"};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pick(0, 6 + 12);
    auto act = [&] {
        const int choice = pick(random);
        if (choice < 7)
            main.button(kButtons[choice]).raiseClick();
        else
            main.labelArray("org")(choice - 7).raiseClick();
    };
    // Paint as a user would see it: the window repaints between bursts of clicks.
    const long warmUp = actions / 100;
    for (long n = 0; n < warmUp; ++n) {
        act();
        if (n % 100 == 99)
            settle();
    }
    print("actions_baseline");
    for (long n = warmUp; n < actions; ++n) {
        act();
        if (n % 100 == 99)
            settle();
    }
    print("actions_end");

    auto cycle = [&] {
        main.button("help_pb").raiseClick();
        settle();
        // Closed as the user closes it, with the window's close box.
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == QLatin1String("help") && window->isVisible())
                window->close();
        settle();
    };
    const long helpWarmUp = helpCycles / 100 + 1;
    for (long n = 0; n < helpWarmUp; ++n)
        cycle();
    print("help_baseline");
    for (long n = helpWarmUp; n < helpCycles; ++n)
        cycle();
    print("help_end");
    std::printf("peak_kib=%ld\nactions=%ld\nhelp_cycles=%ld\nqt_version=%s\n", statusKib("VmHWM"),
                actions, helpCycles, qVersion());
    return 0;
}
