// The tests' platform on Linux: Qt Widgets on the offscreen platform. A form's
// window is the top-level widget named as its layout; a button is the child
// widget named as the control, a label the place where the window draws it.
#include "test_platform.h"

#include "forms/application.h"
#include "forms/qt/qt_widgets.h"
#include "forms/surface.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cmath>

#include <vector>

namespace testplatform {

const forms::TableShape kReaderShape = forms::TableShape::Cells;

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

forms::qt::FormWidget* formWidget(const forms::Form& form)
{
    return qobject_cast<forms::qt::FormWidget*>(windowOf(form));
}

// A button's own widget; a label has none.
QWidget* widgetOf(const forms::Control& control)
{
    forms::qt::FormWidget* window = formWidget(control.owner());
    return window != nullptr && control.kind() == forms::ControlKind::CommandButton
               ? window->widgetOf(static_cast<const forms::CommandButton*>(&control))
               : nullptr;
}

// Device pixels of the window and back.
QPoint logical(const QWidget& window, Point at)
{
    const qreal ratio = window.devicePixelRatioF();
    return QPoint(int(at.x / ratio), int(at.y / ratio));
}

Box device(const QWidget& window, const QRect& r)
{
    const qreal ratio = window.devicePixelRatioF();
    return {int(std::lround(r.left() * ratio)), int(std::lround(r.top() * ratio)),
            int(std::lround((r.right() + 1) * ratio)), int(std::lround((r.bottom() + 1) * ratio))};
}

Image imageOf(const QImage& grabbed)
{
    const QImage rgb = grabbed.convertToFormat(QImage::Format_RGB32);
    Image result{rgb.width(), rgb.height(), {}};
    result.pixels.reserve(std::size_t(result.width * result.height));
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            result.pixels.push_back(rgb.pixel(x, y) & 0xFFFFFFu);
    return result;
}

// The mouse at a point of the window (device pixels), as the widget under it gets it.
void sendMouse(const forms::Form& form, QEvent::Type type, Point at)
{
    QWidget* window = windowOf(form);
    const QPoint point = logical(*window, at);
    QWidget* target = window->childAt(point);
    if (target == nullptr)
        target = window;
    const QPointF local = target->mapFrom(window, QPointF(point));
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease
                                      ? Qt::MouseButtons(Qt::NoButton)
                                      : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
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
    forms::processEvents();
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

// Qt hears of a session's end only from a session manager, which the tests
// do not run.
bool endSession(const std::vector<const forms::Form*>&)
{
    return false;
}

Size clientSize(const forms::Form& form)
{
    const QWidget* window = windowOf(form);
    const Box client = device(*window, QRect(QPoint(0, 0), window->size()));
    return {client.width(), client.height()};
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
    if (QWidget* widget = widgetOf(control))
        return device(*windowOf(control.owner()), widget->geometry());
    return control.owner().surface()->box(control);
}

bool takesFocus(const forms::Control& control)
{
    const QWidget* widget = widgetOf(control);
    return widget != nullptr && widget->focusPolicy() != Qt::NoFocus;
}

bool hasFocus(const forms::Control& control)
{
    const QWidget* widget = widgetOf(control);
    return widget != nullptr && widget->hasFocus();
}

void mouse(const forms::Form& form, bool down, Point at)
{
    sendMouse(form, down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, at);
}

Image image(const forms::Form& form)
{
    return imageOf(windowOf(form)->grab().toImage());
}

int dpi(const forms::Form& form)
{
    return int(std::lround(96 * windowOf(form)->devicePixelRatioF()));
}

std::u16string nativeCaption(const forms::CommandButton& button)
{
    const auto* widget = qobject_cast<const QPushButton*>(widgetOf(button));
    return widget != nullptr ? widget->text().toStdU16String() : std::u16string();
}

bool isDefaultButton(const forms::CommandButton& button)
{
    const auto* widget = qobject_cast<const QPushButton*>(widgetOf(button));
    return widget != nullptr && (widget->isDefault() || widget->autoDefault());
}

std::string nativeControlAt(const forms::Form& form, Point point)
{
    QWidget* window = windowOf(form);
    QWidget* child = window->childAt(logical(*window, point));
    return child != nullptr ? child->objectName().toStdString() : std::string();
}

void activate(const forms::Form& form)
{
    QWidget* window = windowOf(form);
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window);
}

std::string focused()
{
    QWidget* widget = QApplication::focusWidget();
    return qobject_cast<forms::qt::PushButton*>(widget) != nullptr
               ? widget->objectName().toStdString()
               : std::string();
}

void pressKey(Key key, bool shift)
{
    static const Qt::Key codes[] = {Qt::Key_Tab,    Qt::Key_Left,   Qt::Key_Right, Qt::Key_Up,
                                    Qt::Key_Down,   Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space,
                                    Qt::Key_Escape, Qt::Key_A};
    Qt::Key code = codes[int(key)];
    if (key == Key::Tab && shift)
        code = Qt::Key_Backtab;
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr)
        target = QApplication::activeWindow();
    if (target != nullptr)
        QTest::keyClick(target, code, shift ? Qt::ShiftModifier : Qt::NoModifier);
    processEvents();
}

void click(const forms::Form& form, Point point, bool twice)
{
    sendMouse(form, QEvent::MouseButtonPress, point);
    sendMouse(form, QEvent::MouseButtonRelease, point);
    if (twice) {
        // The second press of a double-click comes as the double-click itself.
        sendMouse(form, QEvent::MouseButtonDblClick, point);
        sendMouse(form, QEvent::MouseButtonRelease, point);
    }
    processEvents();
}

Box frameOnScreen(const forms::Form& form)
{
    const QRect r = windowOf(form)->frameGeometry();
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

Box workArea(const forms::Form& form)
{
    const QRect r = windowOf(form)->screen()->availableGeometry();
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

void pressAccessibly(const forms::Control& control)
{
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(windowOf(control.owner()));
    QAccessibleInterface* child =
        window != nullptr ? window->child(accessibleChildIndex(control)) : nullptr;
    if (child != nullptr && child->actionInterface() != nullptr)
        child->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

} // namespace testplatform

int main(int argc, char** argv)
{
    return testplatform::programMain(argc, argv);
}
