// Starts the real program's windows and injects a fault that no user action can
// reach, or closes the main window with help open. What the fatal error report
// showed is printed on standard output, and the box is dismissed as a user would.
#include "app/program.h"
#include "forms/application.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
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
