// Starts the real program's windows and injects a fault that no user action can
// reach (an index outside a control array, a shift label without a number or
// without a whole number, a window the windowing system does not make), or
// closes the main window with help open. What the fatal error report
// showed is printed on standard output, and the box is dismissed as a user would.
#include "app/program.h"
#include "forms/application.h"
#include "refusing_window.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "main-window-fails") == 0)
        refusing::failingWindow = 1;
    else if (std::strcmp(mode, "help-window-fails") == 0)
        refusing::failingWindow = 2;
    forms::Application application(argv[0], marelo::programIdentity());
    ui::MainWindow main;

    QTimer reporter;
    QObject::connect(&reporter, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::printf("title: %s\ntext: %s\n", box->windowTitle().toUtf8().constData(),
                        box->text().toUtf8().constData());
            std::fflush(stdout);
            box->accept();
        }
    });
    reporter.start(10);

    QTimer::singleShot(0, [&] {
        if (std::strcmp(mode, "index") == 0) {
            forms::dispatch([&] { main.keyTable().org_Click(12); });
        } else if (std::strcmp(mode, "text") == 0) {
            forms::dispatch([&] { main.label("ud_2").setCaption(u"abc"); });
        } else if (std::strcmp(mode, "shift-text") == 0) {
            // A shift label that somehow holds no number, then a click on its Up.
            forms::dispatch([&] {
                main.label("ud_3").Change = nullptr;
                main.label("ud_3").setCaption(u"x");
                main.button("up_2").raiseClick();
            });
        } else if (std::strcmp(mode, "conv-gap") == 0) {
            // Between the first and the second converted column there is no cell.
            forms::dispatch([&] { main.labelArray("conv")(12).setCaption(u"x"); });
        } else if (std::strcmp(mode, "conv-past-end") == 0) {
            forms::dispatch([&] { (void)main.labelArray("conv")(52).Caption(); });
        } else if (std::strcmp(mode, "fraction-count") == 0) {
            // A count that is no whole number, -0.6, makes the fill of row 0
            // read org(-1).
            forms::dispatch([&] {
                forms::Label& ud = main.label("ud_1");
                auto change = ud.Change;
                ud.Change = nullptr;
                ud.setCaption(u"-0.6");
                ud.Change = change;
                ud.setCaption(u"-0.6");
            });
        } else if (std::strcmp(mode, "help-window-fails") == 0) {
            forms::dispatch([&] { main.button("help_pb").raiseClick(); });
        } else if (std::strcmp(mode, "close-with-help") == 0) {
            forms::dispatch([&] { main.help_pb_Click(); });
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "main")
                    w->close();
        }
    });
    const int status = application.run(main);
    std::printf("ended: status %d, counts %s %s %s, help %s\n", status,
                QString::fromStdU16String(main.label("ud_1").Caption()).toUtf8().constData(),
                QString::fromStdU16String(main.label("ud_2").Caption()).toUtf8().constData(),
                QString::fromStdU16String(main.label("ud_3").Caption()).toUtf8().constData(),
                main.helpWindow() && main.helpWindow()->loaded() ? "still loaded" : "unloaded");
    return status;
}
