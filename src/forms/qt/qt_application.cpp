#include "forms/application.h"
#include "forms/backend.h"
#include "forms/qt/qt_accessible.h"
#include "forms/qt/qt_desktop.h"
#include "forms/qt/qt_text.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace forms {

namespace detail {
extern Identity currentIdentity;
extern bool programEnded;
} // namespace detail

namespace {

// The program's X connection and the display it goes to.
struct XLink
{
    xcb_connection_t* connection = nullptr;
    std::string display;
};

// Read by the message handler, which Qt may call on any of its threads.
std::atomic<const XLink*> watchedLink{nullptr};
QtMessageHandler previousHandler = nullptr;

void endIfLinkBroken()
{
    const XLink* link = watchedLink.load();
    if (link != nullptr && xcb_connection_has_error(link->connection) != 0)
        displayLost(link->display);
}

// When its X connection breaks, Qt's X11 platform warns and calls exit() from
// inside the event loop, which would run the destructors of static objects
// under the running loop and the live windows. The warning passes here first,
// and the program ends here instead.
void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    endIfLinkBroken();
    previousHandler(type, context, text);
}

// The same exit() when logging rules have silenced that warning. Registered
// once the application object exists, this runs before the destructors of
// the statics made until then.
void onExit()
{
    endIfLinkBroken();
}

// In a Wayland session the program asks Qt for X, through the session's
// XWayland, unless the user has named a platform. Under Wayland a program may
// not place its own window, so the chart could not come up centred, and Qt
// draws its own title bar there, with the minimise and maximise boxes the
// windows must not have; through XWayland the window is placed and framed as
// on any X desktop. A session without XWayland then gets the no-display line,
// never Qt's abort for a missing Wayland plugin.
void preferX11InWaylandSessions()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland")
        qputenv("QT_QPA_PLATFORM", "xcb");
}

// Qt's choice of platform as far as this program decides on it: true when Qt
// will try X11 and nothing else. Any other platform the user names is Qt's to
// start or to fail.
bool onlyX11()
{
    const QByteArray named = qgetenv("QT_QPA_PLATFORM");
    if (!named.isEmpty())
        return named == "xcb" || named.startsWith("xcb:");
    return true;
}

bool xServerAnswers()
{
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(probe) == 0;
    xcb_disconnect(probe);
    return answers;
}

} // namespace

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
    XLink link;
};

Application::Platform::Platform(const char* programPath)
    : path(programPath != nullptr ? programPath : "marelo")
{
    if (QApplication::instance() == nullptr)
        application.emplace(argc, argv);
    qt::installAccessibility();
    // Other platforms may answer for X11 too (offscreen does, without a connection).
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    link.connection = x11->connection();
    link.display = qgetenv("DISPLAY").toStdString();
    watchedLink.store(&link);
    previousHandler = qInstallMessageHandler(onMessage);
    [[maybe_unused]] static const bool exitWatched = std::atexit(onExit) == 0;
}

Application::Platform::~Platform()
{
    if (watchedLink.load() == &link) {
        watchedLink.store(nullptr);
        qInstallMessageHandler(previousHandler);
    }
    // Windows retired inside their own events are deleted here at the latest,
    // and no font outlives the application object.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    qt::qtDesktop().forget();
}

Application::Application(const char* programPath, const Identity& identity)
{
    detail::currentIdentity = identity;
    detail::programEnded = false;
    if (QApplication::instance() == nullptr)
        preferX11InWaylandSessions();
    // Without a display Qt would abort, with advice to reinstall.
    if (QApplication::instance() == nullptr && onlyX11() && !xServerAnswers()) {
        const QByteArray display = qgetenv("DISPLAY");
        noDisplay(std::string_view(display.constData(), static_cast<std::size_t>(display.size())));
    }
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

int runEventLoop()
{
    const int status = QApplication::exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}

void processEvents()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
