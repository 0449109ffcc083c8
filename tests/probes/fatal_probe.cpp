// Starts the real program's windows and injects one of the faults of
// faults.h, named by the argument, or closes the main window or ends the
// session with help open.
// What the fatal error report showed is printed on standard output, and the
// box is dismissed as a user would.
#include "app/program.h"
#include "faults.h"
#include "forms/application.h"
#include "forms/backend.h"
#include "forms/form.h"
#include "test_platform.h"
#include "ui/main_window.h"
#include "utf8.h"

#include <cstdio>
#include <memory>
#include <string_view>

// The link wraps the forms layer's createFormPeer (--wrap in the tests'
// CMakeLists.txt), so that the probe can make one window fail as a windowing
// system that refuses a window would. The backend's own function stays as it is.
namespace refusing {

// The window that may not be made: 1 for the first window created, 0 for none.
inline int failingWindow = 0;
inline int windowsMade = 0;

} // namespace refusing

std::unique_ptr<forms::FormPeer>
realCreateFormPeer(forms::Form& form) __asm__("__real__ZN5forms14createFormPeerERNS_4FormE");
std::unique_ptr<forms::FormPeer>
wrappedCreateFormPeer(forms::Form& form) __asm__("__wrap__ZN5forms14createFormPeerERNS_4FormE");
std::unique_ptr<forms::FormPeer> wrappedCreateFormPeer(forms::Form& form)
{
    if (++refusing::windowsMade == refusing::failingWindow)
        return nullptr;
    return realCreateFormPeer(form);
}

int testplatform::programMain(int argc, char** argv)
{
    const std::string_view mode = argc > 1 ? argv[1] : "";
    const faults::Fault* fault = nullptr;
    for (const faults::Fault& f : faults::kFaults)
        if (f.mode == mode)
            fault = &f;
    if (fault != nullptr)
        refusing::failingWindow = fault->failingWindow;
    forms::Application application(argv[0], marelo::programIdentity());
    ui::MainWindow main;

    testplatform::every(10, [] {
        if (const auto box = testplatform::answerMessageBox()) {
            std::printf("title: %s\ntext: %s\n", testing::utf8(box->title).c_str(),
                        testing::utf8(box->text).c_str());
            std::fflush(stdout);
        }
    });
    testplatform::later([&] {
        if (fault != nullptr && fault->inject != nullptr) {
            forms::dispatch([&] { fault->inject(main); });
        } else if (mode == faults::kCloseWithHelp) {
            forms::dispatch([&] { main.help_pb_Click(); });
            testplatform::closeBox(main);
        } else if (mode == faults::kEndSessionWithHelp) {
            forms::dispatch([&] { main.help_pb_Click(); });
            if (!testplatform::endSession({&main, main.helpWindow()})) {
                std::printf("no session end here\n");
                forms::End();
            }
        }
    });
    const int status = application.run(main);
    std::printf("ended: status %d, counts %s %s %s, help %s\n", status,
                testing::utf8(main.label("ud_1").Caption()).c_str(),
                testing::utf8(main.label("ud_2").Caption()).c_str(),
                testing::utf8(main.label("ud_3").Caption()).c_str(),
                main.helpWindow() && main.helpWindow()->loaded() ? "still loaded" : "unloaded");
    return status;
}
