// What a screen reader finds in the windows: every label and button with the
// name and description the forms layer gives it. Buttons, and labels that a
// click makes do something, can be pressed; a press clicks at once. The press
// keeps Qt's own action name, which AT-SPI clients look for, and says the
// forms layer's word for it ("Mark", "Press") as its localized name and as
// its description, which is what Qt's AT-SPI bridge passes on.
#include "forms/qt/qt_fonts.h"
#include "forms/qt/qt_widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace forms::qt {

namespace {

// A label is static text; one that reacts to clicks can also be pressed.
class LabelAccessible final : public QAccessibleWidget
{
public:
    explicit LabelAccessible(LabelWidget* widget)
        : QAccessibleWidget(widget, QAccessible::StaticText)
    {
    }

    QStringList actionNames() const override
    {
        return labelWidget()->clickable() ? QStringList{pressAction()} : QStringList{};
    }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction() && labelWidget()->clickable())
            labelWidget()->click();
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    QString localizedActionName(const QString& actionName) const override
    {
        const Label* label = labelWidget()->label();
        if (actionName == pressAction() && label != nullptr)
            return toQString(label->accessibleAction());
        return QAccessibleWidget::localizedActionName(actionName);
    }
    QString localizedActionDescription(const QString& actionName) const override
    {
        return localizedActionName(actionName);
    }

private:
    LabelWidget* labelWidget() const { return static_cast<LabelWidget*>(widget()); }
};

class ButtonAccessible final : public QAccessibleWidget
{
public:
    explicit ButtonAccessible(PushButton* widget)
        : QAccessibleWidget(widget, QAccessible::PushButton)
    {
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
    if (auto* label = qobject_cast<LabelWidget*>(object))
        return new LabelAccessible(label);
    if (auto* button = qobject_cast<PushButton*>(object))
        return new ButtonAccessible(button);
    if (auto* window = qobject_cast<FormWidget*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

} // namespace

void describe(QWidget& widget, const Control& control)
{
    static const bool installed = (QAccessible::installFactory(accessibleFor), true);
    (void)installed;
    widget.setAccessibleDescription(toQString(control.accessibleDescription()));
    widget.setAccessibleName(displayText(control.accessibleName()));
}

void updateAccessibleName(QWidget& widget, const Control& control)
{
    const QString name = displayText(control.accessibleName());
    if (name == widget.accessibleName())
        return;
    // Qt tells a screen reader with a NameChanged event.
    widget.setAccessibleName(name);
}

} // namespace forms::qt
