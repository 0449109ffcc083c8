// The tests' platform on Linux: Qt Widgets on the offscreen platform. A form's
// window is the top-level widget named as its layout, a control the child
// widget named as the control.
#include "test_platform.h"

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace testplatform {

namespace {

// The offscreen platform says on every raise() that it cannot raise a window.
QtMessageHandler forwardMessage = nullptr;
void dropRaiseWarning(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!text.contains(QLatin1String("does not support raise()")) && forwardMessage != nullptr)
        forwardMessage(type, context, text);
}

QString objectName(const forms::Form& form)
{
    return QString::fromUtf8(form.name().data(), qsizetype(form.name().size()));
}

// The form's window: the shown one where a closed one waits for deletion.
QWidget* windowOf(const forms::Form& form)
{
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName(form) && (found == nullptr || w->isVisible()))
            found = w;
    return found;
}

QWidget* widgetOf(const forms::Control& control)
{
    QWidget* window = windowOf(control.owner());
    return window != nullptr
               ? window->findChild<QWidget*>(QString::fromStdString(control.displayName()))
               : nullptr;
}

void sendMouse(const forms::Control& control, QEvent::Type type, Point at)
{
    QWidget* widget = widgetOf(control);
    const QPointF local(at.x, at.y);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonPress ? Qt::MouseButtons(Qt::LeftButton) : Qt::NoButton;
    QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

struct Toolkit::State
{
    int argc = 1;
    std::string path;
    char* argv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> application;
};

Toolkit::Toolkit(const char* programPath) : state_(std::make_unique<State>())
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The test's own arguments are doctest's: Qt sees none of them.
    state_->path = programPath;
    state_->argv[0] = state_->path.data();
    state_->application = std::make_unique<QApplication>(state_->argc, state_->argv);
    forwardMessage = qInstallMessageHandler(dropRaiseWarning);
}

Toolkit::~Toolkit()
{
    processEvents();
    qInstallMessageHandler(forwardMessage);
}

void startRun() {}

void processEvents()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void later(std::function<void()> once)
{
    QTimer::singleShot(0, std::move(once));
}

void every(int milliseconds, std::function<void()> tick)
{
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, std::move(tick));
    timer->start(milliseconds);
}

std::optional<MessageBoxText> answerMessageBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr)
        return std::nullopt;
    MessageBoxText shownText{box->windowTitle().toStdU16String(), box->text().toStdU16String()};
    box->accept();
    return shownText;
}

Process runProgram(const std::string& path, const std::vector<std::string>& arguments,
                   int timeoutMs)
{
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QString::fromStdString(path), list);
    Process run;
    run.started = process.waitForStarted();
    if (!run.started)
        return run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.crashed = run.finished && process.exitStatus() == QProcess::CrashExit;
    run.status = process.exitCode();
    run.output = process.readAllStandardOutput().toStdString();
    return run;
}

bool shown(const forms::Form& form)
{
    QWidget* window = windowOf(form);
    return window != nullptr && window->isVisible();
}

int shownWindows(const forms::Form& form)
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += w->objectName() == objectName(form) && w->isVisible();
    return count;
}

int nativeWindows()
{
    return int(QApplication::allWidgets().size());
}

void closeBox(const forms::Form& form)
{
    windowOf(form)->close();
}

bool acceptsInput(const forms::Form& form)
{
    QWidget* window = windowOf(form);
    QWidget* modal = QApplication::activeModalWidget();
    return window->isEnabled() && (modal == nullptr || modal == window);
}

Size clientSize(const forms::Form& form)
{
    const QSize size = windowOf(form)->size();
    return {size.width(), size.height()};
}

Point position(const forms::Form& form)
{
    const QPoint at = windowOf(form)->pos();
    return {at.x(), at.y()};
}

void move(const forms::Form& form, Point topLeft)
{
    windowOf(form)->move(topLeft.x, topLeft.y);
}

WindowTraits traits(const forms::Form& form)
{
    QWidget* window = windowOf(form);
    const Qt::WindowFlags flags = window->windowFlags();
    return {.title = window->windowTitle().toStdU16String(),
            .topLevel = window->isWindow(),
            .ownerless = window->parentWidget() == nullptr,
            .taskBarEntry = window->windowType() == Qt::Window,
            .alwaysOnTop = flags.testFlag(Qt::WindowStaysOnTopHint),
            .minimizeBox = flags.testFlag(Qt::WindowMinimizeButtonHint),
            .maximizeBox = flags.testFlag(Qt::WindowMaximizeButtonHint),
            .closeBox = flags.testFlag(Qt::WindowCloseButtonHint),
            .sizable = window->minimumSize() != window->maximumSize()};
}

Box box(const forms::Control& control)
{
    const QRect r = widgetOf(control)->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool takesFocus(const forms::Control& control)
{
    return widgetOf(control)->focusPolicy() != Qt::NoFocus;
}

bool hasFocus(const forms::Control& control)
{
    return widgetOf(control)->hasFocus();
}

void press(const forms::Control& control, Point at)
{
    sendMouse(control, QEvent::MouseButtonPress, at);
}

void release(const forms::Control& control, Point at)
{
    sendMouse(control, QEvent::MouseButtonRelease, at);
}

Image image(const forms::Control& control)
{
    const QImage grabbed =
        widgetOf(control)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    Image result{grabbed.width(), grabbed.height(), {}};
    result.pixels.reserve(std::size_t(result.width * result.height));
    for (int y = 0; y < grabbed.height(); ++y)
        for (int x = 0; x < grabbed.width(); ++x)
            result.pixels.push_back(grabbed.pixel(x, y) & 0xFFFFFFu);
    return result;
}

} // namespace testplatform

int main(int argc, char** argv)
{
    return testplatform::programMain(argc, argv);
}
