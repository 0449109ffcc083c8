// Buttons, and labels that a click makes do something, can be pressed; a press
// does what a click does. The press keeps Qt's own action name, which AT-SPI
// clients look for, and says the forms layer's word for it ("Mark", "Press")
// as its localized name and as its description, which is what Qt's AT-SPI
// bridge passes on.
#include "forms/qt/qt_accessible.h"

#include "forms/application.h"
#include "forms/form.h"
#include "forms/qt/qt_text.h"
#include "forms/qt/qt_widgets.h"

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

// A caption's breaks as a screen reader expects them.
QString spoken(std::u16string_view text)
{
    QString name = toQString(text);
    name.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    name.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return name;
}

// A label is drawn by the window, so it is a child without a widget of its own.
class LabelAccessible final : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    LabelAccessible(FormWidget* window, Label* label)
        : window_(window), label_(label), name_(spoken(label->accessibleName()))
    {
    }

    void retire() { label_ = nullptr; }
    Label* label() const { return label_; }

    // The name anew; true when it has changed.
    bool refresh()
    {
        if (label_ == nullptr)
            return false;
        QString name = spoken(label_->accessibleName());
        if (name == name_)
            return false;
        name_ = std::move(name);
        return true;
    }

    bool isValid() const override { return label_ != nullptr && window_->form() != nullptr; }
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
        if (label_ == nullptr)
            return {};
        switch (t) {
        case QAccessible::Name:
            return name_;
        case QAccessible::Description:
            return spoken(label_->accessibleDescription());
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect box = window_->toLogical(window_->surface()->box(*label_));
        return box.translated(window_->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
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
            Label* label = label_;
            dispatch([label] { label->raiseClick(); });
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    QString localizedActionName(const QString& actionName) const override
    {
        if (actionName == pressAction() && label_ != nullptr)
            return toQString(label_->accessibleAction());
        return QAccessibleActionInterface::localizedActionName(actionName);
    }
    QString localizedActionDescription(const QString& actionName) const override
    {
        return localizedActionName(actionName);
    }

private:
    // The core says whether a click on the label does something.
    bool clickable() const { return label_ != nullptr && !label_->accessibleAction().empty(); }

    FormWidget* window_;
    Label* label_;
    QString name_;
};

// The labels' interfaces of each window, made once and kept until it retires.
std::map<const FormWidget*, std::vector<QAccessible::Id>>& registry()
{
    static std::map<const FormWidget*, std::vector<QAccessible::Id>> labels;
    return labels;
}

LabelAccessible* labelInterface(const FormWidget* window, const Control& control)
{
    auto it = registry().find(window);
    if (it == registry().end())
        return nullptr;
    for (QAccessible::Id id : it->second) {
        auto* label = static_cast<LabelAccessible*>(QAccessible::accessibleInterface(id));
        if (label != nullptr && label->label() == &control)
            return label;
    }
    return nullptr;
}

// The window's children: every label and button, in declaration order.
class WindowAccessible final : public QAccessibleWidget
{
public:
    // A dialog's text is what a reader reads when the dialog comes up.
    explicit WindowAccessible(FormWidget* window)
        : QAccessibleWidget(window, window->form() != nullptr && window->form()->layout().dialog
                                        ? QAccessible::Dialog
                                        : QAccessible::Window)
    {
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
        for (const auto& control : window->form()->controls()) {
            if (control->kind() == ControlKind::Label) {
                if (QAccessibleInterface* label = labelInterface(window, *control))
                    list.push_back(label);
            } else if (control->kind() == ControlKind::CommandButton) {
                auto* button = static_cast<const CommandButton*>(control.get());
                if (PushButton* widget = window->widgetOf(button))
                    list.push_back(QAccessible::queryAccessibleInterface(widget));
            }
        }
        return list;
    }
};

class ButtonAccessible final : public QAccessibleWidget
{
public:
    explicit ButtonAccessible(PushButton* widget)
        : QAccessibleWidget(widget, QAccessible::PushButton)
    {
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

void installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFor);
        static BridgeWatch watch;
        QAccessible::installActivationObserver(&watch);
        return true;
    }();
    (void)installed;
}

} // namespace

void describeWindow(FormWidget& window)
{
    installFactory();
    std::vector<QAccessible::Id>& ids = registry()[&window];
    for (const auto& control : window.form()->controls()) {
        if (control->kind() == ControlKind::Label)
            ids.push_back(QAccessible::registerAccessibleInterface(
                new LabelAccessible(&window, static_cast<Label*>(control.get()))));
        else if (control->kind() == ControlKind::CommandButton)
            if (PushButton* widget = window.widgetOf(static_cast<CommandButton*>(control.get())))
                describe(*widget, *control);
    }
}

void describe(QWidget& widget, const Control& control)
{
    installFactory();
    widget.setAccessibleName(spoken(control.accessibleName()));
}

void controlChanged(FormWidget& window, const Control& control)
{
    LabelAccessible* label = labelInterface(&window, control);
    if (label == nullptr || !label->refresh() || !QAccessible::isActive())
        return;
    QAccessibleEvent event(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

// Qt's bridge (6.4) passes no description change on to AT-SPI: the event goes
// out here, as the bridge sends its own, on its connection to the
// accessibility bus and from the path it gives the object. Sent every time,
// the same text included: a repeated announcement is heard again.
void descriptionChanged(FormWidget& window, const Control& control)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* target = nullptr;
    if (control.kind() == ControlKind::CommandButton) {
        if (PushButton* widget = window.widgetOf(static_cast<const CommandButton*>(&control)))
            target = QAccessible::queryAccessibleInterface(widget);
    } else {
        target = labelInterface(&window, control);
    }
    if (target == nullptr)
        return;
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
}

void forgetWindow(FormWidget& window)
{
    auto it = registry().find(&window);
    if (it == registry().end())
        return;
    for (QAccessible::Id id : it->second) {
        if (auto* label = static_cast<LabelAccessible*>(QAccessible::accessibleInterface(id)))
            label->retire();
        QAccessible::deleteAccessibleInterface(id);
    }
    registry().erase(it);
}

} // namespace forms::qt
