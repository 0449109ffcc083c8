#include "forms/application.h"
#include "forms/qt/qt_desktop.h"
#include "forms/qt/qt_text.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace forms {

namespace detail {
extern Identity currentIdentity;
extern bool programEnded;
} // namespace detail

namespace {

int qtArgc = 1;
char* qtArgv[2] = {nullptr, nullptr};
std::unique_ptr<QApplication> ownedApplication;

} // namespace

Application::Application(const char* programPath, const Identity& identity)
{
    detail::currentIdentity = identity;
    detail::programEnded = false;
    if (QApplication::instance() == nullptr) {
        static std::string path = programPath != nullptr ? programPath : "marelo";
        qtArgv[0] = path.data();
        ownedApplication = std::make_unique<QApplication>(qtArgc, qtArgv);
    }
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QCoreApplication::setApplicationName(qt::toQString(identity.title));
    QCoreApplication::setApplicationVersion(qt::toQString(identity.version));
    QCoreApplication::setOrganizationName(qt::toQString(identity.organisation));
    // No display name: Qt would add it to every window's title ("HELP — Marelo").
    QGuiApplication::setDesktopFileName(qt::toQString(identity.desktopId));
    if (identity.iconXpm != nullptr)
        QApplication::setWindowIcon(QIcon(QPixmap(identity.iconXpm)));
}

Application::~Application()
{
    // Windows retired inside their own events are deleted here at the latest.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    qt::qtDesktop().forget();
    ownedApplication.reset();
}

int Application::run(Form& startup)
{
    // Loading the start-up window runs its Form_Load: a run-time error there is
    // as fatal as in any handler.
    dispatch([&] { startup.Show(); });
    if (ended())
        return 0;
    const int status = QApplication::exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}

void End()
{
    if (detail::programEnded)
        return;
    detail::programEnded = true;
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

void fatal(const RuntimeError& error)
{
    detail::programEnded = true; // no handler runs from here on
    const QString text = qt::toQString(reportText(error));
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        QMessageBox box(QMessageBox::Critical, qt::toQString(identity().title), text,
                        QMessageBox::Ok);
        box.exec();
    } else {
        std::fputs(text.toLocal8Bit().constData(), stderr);
        std::fputc('\n', stderr);
    }
    // Straight out: no destructor or handler of the failed program runs any more.
    std::fflush(nullptr);
    std::_Exit(kFatalExitStatus);
}

} // namespace forms
