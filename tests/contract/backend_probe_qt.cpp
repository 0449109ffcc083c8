#include "backend_probe.h"

#include "forms/qt/qt_widgets.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include <cmath>

namespace contract {

namespace {

forms::qt::FormWidget* widgetOf(const forms::Form& form)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<forms::qt::FormWidget*>(widget))
            if (window->form() == &form)
                return window;
    return nullptr;
}

forms::qt::PushButton* buttonOf(const forms::CommandButton& button)
{
    forms::qt::FormWidget* window = widgetOf(button.owner());
    return window != nullptr ? window->widgetOf(&button) : nullptr;
}

QPoint logical(const forms::Form& form, forms::PixelPoint point)
{
    const qreal ratio = widgetOf(form)->devicePixelRatioF();
    return QPoint(static_cast<int>(point.x / ratio), static_cast<int>(point.y / ratio));
}

forms::PixelRect device(const QWidget& widget, const QRect& r)
{
    const qreal ratio = widget.devicePixelRatioF();
    return {static_cast<int>(std::lround(r.left() * ratio)),
            static_cast<int>(std::lround(r.top() * ratio)),
            static_cast<int>(std::lround((r.right() + 1) * ratio)),
            static_cast<int>(std::lround((r.bottom() + 1) * ratio))};
}

} // namespace

Image grab(const forms::Form& form)
{
    const QImage image = widgetOf(form)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    Image out{image.width(), image.height(), {}};
    out.pixels.reserve(static_cast<std::size_t>(out.width * out.height));
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const QRgb p = image.pixel(x, y);
            out.pixels.push_back(static_cast<forms::Color>(qRed(p)) |
                                 static_cast<forms::Color>(qGreen(p)) << 8 |
                                 static_cast<forms::Color>(qBlue(p)) << 16);
        }
    return out;
}

std::u16string title(const forms::Form& form)
{
    return widgetOf(form)->windowTitle().toStdU16String();
}

forms::PixelSize clientSize(const forms::Form& form)
{
    const QWidget* window = widgetOf(form);
    const forms::PixelRect r = device(*window, QRect(QPoint(0, 0), window->size()));
    return {r.width(), r.height()};
}

bool minimiseOrMaximiseBox(const forms::Form& form)
{
    const Qt::WindowFlags flags = widgetOf(form)->windowFlags();
    return flags.testFlag(Qt::WindowMinimizeButtonHint) ||
           flags.testFlag(Qt::WindowMaximizeButtonHint);
}

bool owned(const forms::Form& form)
{
    return widgetOf(form)->parentWidget() != nullptr;
}

forms::PixelRect nativeBox(const forms::CommandButton& button)
{
    const QWidget* widget = buttonOf(button);
    return widget != nullptr ? device(*widget, widget->geometry()) : forms::PixelRect{};
}

std::u16string nativeCaption(const forms::CommandButton& button)
{
    const QPushButton* widget = buttonOf(button);
    return widget != nullptr ? widget->text().toStdU16String() : std::u16string();
}

bool isDefaultButton(const forms::CommandButton& button)
{
    const QPushButton* widget = buttonOf(button);
    return widget != nullptr && (widget->isDefault() || widget->autoDefault());
}

std::string nativeControlAt(const forms::Form& form, forms::PixelPoint point)
{
    QWidget* child = widgetOf(form)->childAt(logical(form, point));
    return child != nullptr ? child->objectName().toStdString() : std::string();
}

void activate(const forms::Form& form)
{
    QWidget* window = widgetOf(form);
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window);
}

std::string focused()
{
    QWidget* widget = QApplication::focusWidget();
    return widget != nullptr && qobject_cast<forms::qt::PushButton*>(widget) != nullptr
               ? widget->objectName().toStdString()
               : std::string();
}

void press(Key key, bool shift)
{
    static const Qt::Key keys[] = {Qt::Key_Tab,    Qt::Key_Left,   Qt::Key_Right, Qt::Key_Up,
                                   Qt::Key_Down,   Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space,
                                   Qt::Key_Escape, Qt::Key_A};
    Qt::Key code = keys[static_cast<int>(key)];
    if (key == Key::Tab && shift)
        code = Qt::Key_Backtab;
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr)
        target = QApplication::activeWindow();
    if (target != nullptr)
        QTest::keyClick(target, code, shift ? Qt::ShiftModifier : Qt::NoModifier);
    settle();
}

void click(const forms::Form& form, forms::PixelPoint point, bool twice)
{
    QWidget* window = widgetOf(form);
    const QPoint at = logical(form, point);
    QWidget* target = window->childAt(at);
    if (target == nullptr)
        target = window;
    const QPoint local = target->mapFrom(window, at);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, local);
    if (twice) {
        // As the windowing system reports a double-click: press, release, the
        // double-click in place of the second press, release.
        QMouseEvent dbl(QEvent::MouseButtonDblClick, local, target->mapToGlobal(local),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dbl);
        QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, local);
    }
    settle();
}

forms::PixelRect frameOnScreen(const forms::Form& form)
{
    const QRect r = widgetOf(form)->frameGeometry();
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

forms::PixelRect workArea(const forms::Form& form)
{
    const QRect r = widgetOf(form)->screen()->availableGeometry();
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

int dpi(const forms::Form& form)
{
    return static_cast<int>(std::lround(96 * widgetOf(form)->devicePixelRatioF()));
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace contract
