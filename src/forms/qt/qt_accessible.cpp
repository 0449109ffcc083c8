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

#include <algorithm>
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
    case AccessibleRole::Table:
        return QAccessible::Table;
    case AccessibleRole::Row:
        return QAccessible::Row;
    case AccessibleRole::Cell:
        return QAccessible::Cell;
    case AccessibleRole::ColumnHeader:
        return QAccessible::ColumnHeader;
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

// What each window shows a reader beside its widgets: its drawn labels and
// its table, made once and kept until it retires.
struct DrawnParts
{
    std::vector<QAccessible::Id> labels;
    QAccessible::Id table = 0;
};

std::map<const FormWidget*, DrawnParts>& registry()
{
    static std::map<const FormWidget*, DrawnParts> parts;
    return parts;
}

QAccessibleInterface* drawnInterface(const FormWidget* window, const Control& control);
QAccessibleInterface* tableOf(const FormWidget* window);

// What a reader holds for an element of the core's tree: a button's widget's
// interface, a drawn label's, or the table's.
QAccessibleInterface* interfaceOf(FormWidget& window, const AccessibleElement& element)
{
    if (element.control == nullptr)
        return element.tableRow == kWholeTable ? tableOf(&window)
                                               : QAccessible::queryAccessibleInterface(&window);
    if (PushButton* widget = widgetOf(window, *element.control))
        return QAccessible::queryAccessibleInterface(widget);
    return drawnInterface(&window, *element.control);
}

QAccessibleInterface* interfaceOf(FormWidget& window, const Control& control)
{
    return interfaceOf(window, AccessibleElement{const_cast<Control*>(&control)});
}

// Something the window draws, a reader's own object without a widget: a
// label, or the table its labels make.
class DrawnPart : public QAccessibleInterface
{
public:
    explicit DrawnPart(FormWidget* window) : window_(window) {}

    virtual void retire() = 0;

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_->windowHandle(); }
    QAccessibleInterface* parent() const override
    {
        return isValid() ? interfaceOf(*window_, parentElement()) : nullptr;
    }
    QAccessibleInterface* child(int index) const override
    {
        const auto all = children();
        return index >= 0 && index < static_cast<int>(all.size())
                   ? interfaceOf(*window_, all[static_cast<std::size_t>(index)])
                   : nullptr;
    }
    int childCount() const override { return static_cast<int>(children().size()); }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto all = children();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (interfaceOf(*window_, all[i]) == child)
                return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    // A point in the screen's device pixels, as the boxes are.
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (const AccessibleElement& each : children())
            if (QAccessibleInterface* found = interfaceOf(*window_, each))
                if (found->rect().contains(x, y))
                    return found;
        return nullptr;
    }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || t != QAccessible::Name)
            return {};
        return spoken(tree().name(element(), u"\n"));
    }
    void setText(QAccessible::Text, const QString&) override {}

    // In the screen's device pixels, where a reader's pointer and magnifier
    // are: Qt's bridge passes boxes and points on as they are.
    QRect rect() const override
    {
        return isValid() ? window_->onScreen(tree().box(element())) : QRect();
    }
    QAccessible::Role role() const override
    {
        return isValid() ? roleOf(tree().role(element())) : QAccessible::NoRole;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !window_->isVisible();
        return state;
    }

protected:
    virtual AccessibleElement element() const = 0;
    AccessibleTree tree() const { return AccessibleTree(*window_->form()); }
    FormWidget* formWidget() const { return window_; }

private:
    // The element whose child this one is.
    AccessibleElement parentElement() const
    {
        const AccessibleElement self = element();
        if (self.control != nullptr && tree().placeOf(*self.control))
            return {nullptr, -1, kWholeTable};
        return {};
    }
    // A label's lines are no objects here: its text interface gives them.
    std::vector<AccessibleElement> children() const
    {
        std::vector<AccessibleElement> all;
        if (isValid())
            all = tree().children(element());
        std::erase_if(all, [](const AccessibleElement& each) { return each.line >= 0; });
        return all;
    }

    FormWidget* window_;
};

// A control the window draws (a label), and in the table one of its cells.
class DrawnAccessible final : public DrawnPart,
                              public QAccessibleActionInterface,
                              public QAccessibleTableCellInterface,
                              public QAccessibleTextInterface
{
public:
    DrawnAccessible(FormWidget* window, Control* control) : DrawnPart(window), control_(control) {}

    void retire() override { control_ = nullptr; }
    Control* control() const { return control_; }

    bool isValid() const override { return control_ != nullptr && formWidget()->form() != nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (control_ == nullptr)
            return {};
        if (t == QAccessible::Description)
            return spoken(control_->accessibleDescription());
        return t == QAccessible::Name ? spoken(control_->accessibleName()) : QString();
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        // A text of several lines, which a reader goes through line by line.
        if (type == QAccessible::TextInterface && lineCount() > 0)
            return static_cast<QAccessibleTextInterface*>(this);
        // A heading is no cell: Qt's bridge tells its column itself.
        if (type == QAccessible::TableCellInterface && place() && place()->row >= 0)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
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

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        return headerAt({-1, columnIndex()});
    }
    // The first column heads its rows, its own cells included: Qt's bridge
    // asks a row's first cell for the row's header.
    QList<QAccessibleInterface*> rowHeaderCells() const override
    {
        return headerAt({rowIndex(), 0});
    }
    int columnIndex() const override { return place() ? place()->column : -1; }
    int rowIndex() const override { return place() ? place()->row : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return tableOf(formWidget()); }

    // The text is the name, a line feed after each line; nothing in it is
    // selected, and it has no caret.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return whole().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(whole().size()); }
    // Each character as its line's box: the window draws the text line by line.
    QRect characterRect(int offset) const override
    {
        const int line = lineAt(offset);
        return line >= 0 ? formWidget()->onScreen(tree().box({control_, line})) : QRect();
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        for (int line = 0; line < lineCount(); ++line)
            if (characterRect(lineStart(line)).contains(point))
                return lineStart(line);
        return -1;
    }
    void scrollToSubstring(int, int) override {}
    // Each line's language, as "language:ja;" over the whole line.
    QString attributes(int offset, int* start, int* end) const override
    {
        const int line = lineAt(offset);
        *start = line >= 0 ? lineStart(line) : 0;
        *end = line >= 0 ? lineStart(line + 1) : characterCount();
        const std::u16string language = line >= 0 ? tree().language({control_, line}) : u"";
        return language.empty() ? QString()
                                : QStringLiteral("language:%1;").arg(toQString(language));
    }

protected:
    AccessibleElement element() const override { return {control_}; }

private:
    // The core says whether a click on the control does something.
    bool clickable() const { return control_ != nullptr && !control_->accessibleAction().empty(); }
    QString whole() const
    {
        return control_ != nullptr ? spoken(control_->accessibleName()) : QString();
    }
    int lineCount() const
    {
        return isValid() ? static_cast<int>(tree().childCount({control_})) : 0;
    }
    // Where a line starts in the text, each line ended by a line feed; past
    // the last, the text's end.
    int lineStart(int line) const
    {
        int at = 0;
        for (int i = 0; i < line && i < lineCount(); ++i)
            at += static_cast<int>(tree().name({control_, i}, u"").size()) + 1;
        return std::min(at, characterCount());
    }
    int lineAt(int offset) const
    {
        for (int line = lineCount() - 1; line >= 0; --line)
            if (offset >= lineStart(line))
                return offset < characterCount() ? line : -1;
        return -1;
    }
    std::optional<TablePlace> place() const
    {
        return isValid() ? tree().placeOf(*control_) : std::nullopt;
    }
    QList<QAccessibleInterface*> headerAt(TablePlace at) const
    {
        Control* header = isValid() ? tree().at(at) : nullptr;
        QAccessibleInterface* found =
            header != nullptr ? interfaceOf(*formWidget(), *header) : nullptr;
        return found != nullptr ? QList<QAccessibleInterface*>{found}
                                : QList<QAccessibleInterface*>{};
    }

    Control* control_;
};

// The controls the window shows as one table, its headings first.
class TableAccessible final : public DrawnPart, public QAccessibleTableInterface
{
public:
    explicit TableAccessible(FormWidget* window) : DrawnPart(window) {}

    void retire() override { retired_ = true; }
    bool isValid() const override { return !retired_ && formWidget()->form() != nullptr; }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                   : nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override
    {
        Control* cell = isValid() ? tree().at({row, column}) : nullptr;
        return cell != nullptr ? interfaceOf(*formWidget(), *cell) : nullptr;
    }
    int columnCount() const override
    {
        return isValid() ? static_cast<int>(tree().columnCount()) : 0;
    }
    int rowCount() const override { return isValid() ? static_cast<int>(tree().rowCount()) : 0; }
    QString columnDescription(int column) const override { return nameAt({-1, column}); }
    QString rowDescription(int row) const override { return nameAt({row, 0}); }

    // Nothing in the table is selected.
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

protected:
    AccessibleElement element() const override { return {nullptr, -1, kWholeTable}; }

private:
    QString nameAt(TablePlace place) const
    {
        Control* control = isValid() ? tree().at(place) : nullptr;
        return control != nullptr ? spoken(tree().name({control}, u" ")) : QString();
    }

    bool retired_ = false;
};

QAccessibleInterface* drawnInterface(const FormWidget* window, const Control& control)
{
    auto it = registry().find(window);
    if (it == registry().end())
        return nullptr;
    for (QAccessible::Id id : it->second.labels) {
        auto* drawn = static_cast<DrawnAccessible*>(QAccessible::accessibleInterface(id));
        if (drawn != nullptr && drawn->control() == &control)
            return drawn;
    }
    return nullptr;
}

QAccessibleInterface* tableOf(const FormWidget* window)
{
    auto it = registry().find(window);
    return it != registry().end() && it->second.table != 0
               ? QAccessible::accessibleInterface(it->second.table)
               : nullptr;
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
        for (const AccessibleElement& element : AccessibleTree(*window->form()).children({}))
            if (QAccessibleInterface* child = interfaceOf(*window, element))
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
    DrawnParts& parts = registry()[&window];
    const AccessibleTree tree(*window.form());
    for (const auto& control : window.form()->controls()) {
        if (control->accessibleRole() == AccessibleRole::None)
            continue;
        if (PushButton* widget = widgetOf(window, *control))
            describe(*widget, *control);
        else
            parts.labels.push_back(QAccessible::registerAccessibleInterface(
                new DrawnAccessible(&window, control.get())));
    }
    if (tree.rowCount() > 0)
        parts.table = QAccessible::registerAccessibleInterface(new TableAccessible(&window));
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
    QAccessibleInterface* drawn = drawnInterface(&window, control);
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
    std::vector<QAccessible::Id> ids = it->second.labels;
    if (it->second.table != 0)
        ids.push_back(it->second.table);
    for (QAccessible::Id id : ids) {
        if (auto* drawn = static_cast<DrawnPart*>(QAccessible::accessibleInterface(id)))
            drawn->retire();
        QAccessible::deleteAccessibleInterface(id);
    }
    registry().erase(it);
}

} // namespace forms::qt
