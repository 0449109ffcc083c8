#include "forms/application.h"
#include "forms/qt/qt_fonts.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace forms {

namespace detail {
extern Identity currentIdentity;
extern bool programEnded;
} // namespace detail

// The toolkit's side of the run. The arguments are declared first: the
// application object keeps references to them to the end.
struct Application::Platform
{
    explicit Platform(const char* programPath);
    ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    std::string path;
    int argc = 1;
    char* argv[2] = {path.data(), nullptr};
    // Unless the process already has one (a test's).
    std::optional<QApplication> application;
};

Application::Platform::Platform(const char* programPath)
    : path(programPath != nullptr ? programPath : "marelo")
{
    if (QApplication::instance() == nullptr)
        application.emplace(argc, argv);
}

Application::Platform::~Platform()
{
    // Windows retired inside their own events are deleted here at the latest.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Application::Application(const char* programPath, const Identity& identity)
{
    detail::currentIdentity = identity;
    detail::programEnded = false;
    platform_ = std::make_unique<Platform>(programPath);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QCoreApplication::setApplicationName(qt::toQString(identity.title));
    QCoreApplication::setApplicationVersion(qt::toQString(identity.version));
    QCoreApplication::setOrganizationName(qt::toQString(identity.organisation));
    // No display name: Qt would add it to every window's title ("HELP — Marelo").
    QGuiApplication::setDesktopFileName(qt::toQString(identity.desktopId));
    if (identity.iconXpm != nullptr)
        QApplication::setWindowIcon(QIcon(QPixmap(identity.iconXpm)));
}

// The windows, on main's stack too, have gone before this.
Application::~Application() = default;

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
