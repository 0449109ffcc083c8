// Buttons, and labels that a click makes do something, can be pressed; a press
// does what a click does. The press keeps Qt's own action name, which AT-SPI
// clients look for, and says the forms layer's word for it ("Mark", "Press")
// as its localized name and as its description, which is what Qt's AT-SPI
// bridge passes on.
#include "forms/qt/qt_accessible.h"

#include "forms/accessible.h"
#include "forms/application.h"
#include "forms/form.h"
#include "forms/qt/qt_text.h"
#include "forms/qt/qt_widgets.h"
#include "forms/text_lines.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTimer>

#include <map>
#include <vector>

namespace forms::qt {

namespace {

// A text as the core gives it to a reader that takes it whole.
QString spoken(std::u16string_view text)
{
    return toQString(readerText(text));
}

QAccessible::Role roleOf(AccessibleRole role)
{
    switch (role) {
    case AccessibleRole::StaticText:
        return QAccessible::StaticText;
    case AccessibleRole::PushButton:
        return QAccessible::PushButton;
    case AccessibleRole::Window:
        return QAccessible::Window;
    case AccessibleRole::Dialog:
        return QAccessible::Dialog;
    case AccessibleRole::None:
        break;
    }
    return QAccessible::NoRole;
}

// The control's own widget, for a control that is one (a button); null for
// the controls the window draws.
PushButton* widgetOf(FormWidget& window, const Control& control)
{
    return control.kind() == ControlKind::CommandButton
               ? window.widgetOf(static_cast<const CommandButton*>(&control))
               : nullptr;
}

// A control the window draws (a label) is a child without a widget of its own.
class DrawnAccessible final : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    DrawnAccessible(FormWidget* window, Control* control) : window_(window), control_(control) {}

    void retire() { control_ = nullptr; }
    Control* control() const { return control_; }

    bool isValid() const override { return control_ != nullptr && window_->form() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_->windowHandle(); }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(window_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (control_ == nullptr)
            return {};
        switch (t) {
        case QAccessible::Name:
            return spoken(control_->accessibleName());
        case QAccessible::Description:
            return spoken(control_->accessibleDescription());
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    // In the screen's device pixels, where a reader's pointer and magnifier
    // are: Qt's bridge passes boxes and points on as they are.
    QRect rect() const override
    {
        if (!isValid())
            return {};
        return window_->onScreen(window_->surface()->box(*control_));
    }
    QAccessible::Role role() const override
    {
        return control_ != nullptr ? roleOf(control_->accessibleRole()) : QAccessible::NoRole;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !window_->isVisible();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override
    {
        return clickable() ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction() && clickable()) {
            Control* target = control_;
            dispatch([target] { target->raiseClick(); });
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    QString localizedActionName(const QString& actionName) const override
    {
        if (actionName == pressAction() && control_ != nullptr)
            return toQString(control_->accessibleAction());
        return QAccessibleActionInterface::localizedActionName(actionName);
    }
    QString localizedActionDescription(const QString& actionName) const override
    {
        return localizedActionName(actionName);
    }

private:
    // The core says whether a click on the control does something.
    bool clickable() const { return control_ != nullptr && !control_->accessibleAction().empty(); }

    FormWidget* window_;
    Control* control_;
};

// The labels' interfaces of each window, made once and kept until it retires.
std::map<const FormWidget*, std::vector<QAccessible::Id>>& registry()
{
    static std::map<const FormWidget*, std::vector<QAccessible::Id>> labels;
    return labels;
}

DrawnAccessible* drawnInterface(const FormWidget* window, const Control& control)
{
    auto it = registry().find(window);
    if (it == registry().end())
        return nullptr;
    for (QAccessible::Id id : it->second) {
        auto* drawn = static_cast<DrawnAccessible*>(QAccessible::accessibleInterface(id));
        if (drawn != nullptr && drawn->control() == &control)
            return drawn;
    }
    return nullptr;
}

// What a reader holds for a control: its widget's interface, or the drawn one.
QAccessibleInterface* interfaceOf(FormWidget& window, const Control& control)
{
    if (PushButton* widget = widgetOf(window, control))
        return QAccessible::queryAccessibleInterface(widget);
    return drawnInterface(&window, control);
}

// The window's children: every label and button, in declaration order.
class WindowAccessible final : public QAccessibleWidget
{
public:
    explicit WindowAccessible(FormWidget* window)
        : QAccessibleWidget(window, window->form() != nullptr
                                        ? roleOf(AccessibleTree(*window->form()).role({}))
                                        : QAccessible::Window)
    {
    }

    // The client area in device pixels, as its children's boxes are.
    QRect rect() const override
    {
        const FormWidget* window = formWidget();
        const qreal ratio = window->devicePixelRatioF();
        return window->onScreen(
            {0, 0, qRound(window->width() * ratio), qRound(window->height() * ratio)});
    }

    int childCount() const override { return static_cast<int>(children().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const auto list = children();
        return index >= 0 && index < static_cast<int>(list.size())
                   ? list[static_cast<std::size_t>(index)]
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto list = children();
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == child)
                return static_cast<int>(i);
        return -1;
    }

private:
    FormWidget* formWidget() const { return static_cast<FormWidget*>(widget()); }

    std::vector<QAccessibleInterface*> children() const
    {
        std::vector<QAccessibleInterface*> list;
        FormWidget* window = formWidget();
        if (window->form() == nullptr)
            return list;
        for (Control* control : AccessibleTree(*window->form()).controls())
            if (QAccessibleInterface* child = interfaceOf(*window, *control))
                list.push_back(child);
        return list;
    }
};

class ButtonAccessible final : public QAccessibleWidget
{
public:
    explicit ButtonAccessible(PushButton* widget)
        : QAccessibleWidget(widget, widget->button() != nullptr
                                        ? roleOf(widget->button()->accessibleRole())
                                        : QAccessible::PushButton)
    {
    }

    // Where the core placed the button, in device pixels, as the window's
    // drawn children are.
    QRect rect() const override
    {
        auto* widget = static_cast<PushButton*>(this->widget());
        auto* window = qobject_cast<FormWidget*>(widget->window());
        if (widget->button() == nullptr || window == nullptr || window->surface() == nullptr)
            return QAccessibleWidget::rect();
        return window->onScreen(window->surface()->box(*widget->button()));
    }

    // The description is the core's at every moment: an announcement while
    // the button carries one.
    QString text(QAccessible::Text t) const override
    {
        const CommandButton* button = static_cast<PushButton*>(widget())->button();
        if (t == QAccessible::Description)
            return button != nullptr ? spoken(button->accessibleDescription()) : QString();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction())
            static_cast<PushButton*>(widget())->click();
        else
            QAccessibleWidget::doAction(actionName);
    }

    QString localizedActionName(const QString& actionName) const override
    {
        const CommandButton* button = static_cast<PushButton*>(widget())->button();
        if (actionName == pressAction() && button != nullptr)
            return toQString(button->accessibleAction());
        return QAccessibleWidget::localizedActionName(actionName);
    }
    QString localizedActionDescription(const QString& actionName) const override
    {
        if (actionName == pressAction())
            return localizedActionName(actionName);
        return QAccessibleWidget::localizedActionDescription(actionName);
    }
};

QAccessibleInterface* accessibleFor(const QString&, QObject* object)
{
    if (auto* button = qobject_cast<PushButton*>(object))
        return new ButtonAccessible(button);
    if (auto* window = qobject_cast<FormWidget*>(object))
        return new WindowAccessible(window);
    return nullptr;
}

// The active window and its focus, told again.
void tellActiveWindow()
{
    auto* window = qobject_cast<FormWidget*>(QApplication::activeWindow());
    if (window == nullptr || window->form() == nullptr || !QAccessible::isActive())
        return;
    QAccessible::State active;
    active.active = true;
    QAccessibleStateChangeEvent activated(window, active);
    QAccessible::updateAccessibility(&activated);
    if (QWidget* focus = window->focusWidget()) {
        QAccessibleEvent event(focus, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

// Qt's bridge reaches the accessibility bus a moment after the program
// starts; a window that became active before is never told to a reader that
// was already running, which then says nothing of the program. Once the
// bridge is up, the active window and its focus are told again; a reader
// that had heard them takes them as the focus it already has.
class BridgeWatch final : public QAccessible::ActivationObserver
{
public:
    void accessibilityActiveChanged(bool active) override
    {
        // The bridge finishes setting itself up after telling its observers.
        if (active)
            QTimer::singleShot(0, qApp, &tellActiveWindow);
    }
};

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFor);
        static BridgeWatch watch;
        QAccessible::installActivationObserver(&watch);
        return true;
    }();
    (void)installed;
}

void describeWindow(FormWidget& window)
{
    installAccessibility();
    std::vector<QAccessible::Id>& ids = registry()[&window];
    for (Control* control : AccessibleTree(*window.form()).controls()) {
        if (PushButton* widget = widgetOf(window, *control))
            describe(*widget, *control);
        else
            ids.push_back(
                QAccessible::registerAccessibleInterface(new DrawnAccessible(&window, control)));
    }
}

void describe(QWidget& widget, const Control& control)
{
    installAccessibility();
    widget.setAccessibleName(spoken(control.accessibleName()));
}

void nameChanged(FormWidget& window, const Control& control)
{
    // A widget's interface tells of its own new name.
    if (PushButton* widget = widgetOf(window, control)) {
        describe(*widget, control);
        return;
    }
    DrawnAccessible* drawn = drawnInterface(&window, control);
    if (drawn == nullptr || !QAccessible::isActive())
        return;
    QAccessibleEvent event(drawn, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void descriptionChanged(FormWidget& window, const Control& control)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* target = interfaceOf(window, control);
    if (target == nullptr)
        return;
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    // Qt 6.4's bridge passes no description change on to AT-SPI: the event
    // goes out here, as the bridge sends its own, on its connection to the
    // accessibility bus and from the path it gives the object. Sent every
    // time, the same text included: a repeated announcement is heard again.
    QDBusConnection bus(QStringLiteral("a11y"));
    if (!bus.isConnected()) {
        // No such connection: a bridge of another kind, which may pass the change on itself.
        QAccessibleEvent event(target, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
        return;
    }
    const QString path = QStringLiteral("/org/a11y/atspi/accessible/") +
                         QString::number(QAccessible::uniqueId(target));
    QDBusMessage event = QDBusMessage::createSignal(
        path, QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("PropertyChange"));
    event.setArguments({QStringLiteral("accessible-description"), 0, 0,
                        QVariant::fromValue(QDBusVariant(target->text(QAccessible::Description))),
                        QVariant::fromValue(QVariantMap())});
    bus.send(event);
#else
    QAccessibleEvent event(target, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
#endif
}

bool hasAnnouncements()
{
    return QT_VERSION >= QT_VERSION_CHECK(6, 8, 0);
}

void announced(FormWidget& window, const Control& source, std::u16string_view text)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleInterface* target = interfaceOf(window, source);
    if (target == nullptr || !QAccessible::isActive())
        return;
    // Assertive: the result of the key just pressed goes before anything queued.
    QAccessibleAnnouncementEvent event(target, spoken(text));
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Assertive);
    QAccessible::updateAccessibility(&event);
#else
    (void)window;
    (void)source;
    (void)text;
#endif
}

void forgetWindow(FormWidget& window)
{
    auto it = registry().find(&window);
    if (it == registry().end())
        return;
    for (QAccessible::Id id : it->second) {
        if (auto* drawn = static_cast<DrawnAccessible*>(QAccessible::accessibleInterface(id)))
            drawn->retire();
        QAccessible::deleteAccessibleInterface(id);
    }
    registry().erase(it);
}

} // namespace forms::qt
