// The controls of a window: labels, push buttons and lines. They hold their
// properties in plain C++; a backend peer draws them and hears of changes.
#pragma once

#include "forms/types.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

class Form;
class Control;

enum class ControlKind : std::uint8_t
{
    Label,
    CommandButton,
    Line
};

// What a control, or a window's client area, is to a screen reader.
enum class AccessibleRole : std::uint8_t
{
    None, // not shown to a screen reader at all
    StaticText,
    PushButton,
    Window,
    Dialog, // its text is read when it comes up
    Table,  // controls shown together as rows and columns
    Row,
    Cell,
    ColumnHeader,
};

enum class Property : std::uint8_t
{
    Caption,
    ForeColor,
    Alignment
};

// Told of every property write, whether or not the value changed.
class WriteObserver
{
public:
    virtual ~WriteObserver() = default;
    virtual void written(const Control& control, Property property) = 0;
};

// Told when a value a control shows has changed; the window's surface is
// every label's peer.
class ControlPeer
{
public:
    virtual ~ControlPeer() = default;
    virtual void changed(Control& control, Property property) = 0;
};

// What a group of controls looks like; the layouts name one per control.
struct ControlStyle
{
    LayoutFont font;
    Color foreColor = kSysButtonText;
    Color backColor = kSysButtonFace;
    bool opaque = true;
    BorderStyle border = BorderStyle::None;
    Alignment alignment = AlignLeft;
    bool autoSize = false;
};

inline constexpr std::int16_t kNoIndex = -1;

// One control of a window layout: a box for labels and buttons, two ends for
// a line.
struct ControlRow
{
    ControlKind kind;
    std::string_view name;
    std::int16_t index; // kNoIndex for a control outside an array
    Rect rect;          // empty for a line
    LineEnds ends;      // empty for a label or a button
    const ControlStyle* style;
    std::int16_t tabIndex; // -1 for a control without one (lines)
    std::u16string_view caption;
};

class Control
{
public:
    Control(Form& owner, const ControlRow& row);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlRow& row() const { return row_; }
    ControlKind kind() const { return row_.kind; }
    std::string_view name() const { return row_.name; }
    std::int16_t index() const { return row_.index; }
    const Rect& rect() const { return row_.rect; }
    std::int16_t tabIndex() const { return row_.tabIndex; }
    const ControlStyle& style() const { return *row_.style; }
    Form& owner() const { return owner_; }

    // Name with its index, as "org(3)" or "reset".
    std::string displayName() const;

    // What a screen reader says for the control. Unset, a label or a button
    // says its caption. The backend asks again whenever a property changes.
    std::function<std::u16string()> AccessibleName;
    std::u16string accessibleName() const;
    // The name also says something of `source` (a count, say): a change of
    // `source` renames this control too, and a reader is told.
    void setNameSource(const Control* source) { nameSource_ = source; }
    const Control* nameSource() const { return nameSource_; }
    // What a screen reader says after the name: what the control does, for
    // example. Unset, nothing. While the control carries an announcement of
    // its window (Form::announce), the announcement instead.
    std::function<std::u16string()> AccessibleDescription;
    std::u16string accessibleDescription() const;
    // The name line by line, for a reader that goes through a long text one
    // line at a time; a closing line break adds no line.
    std::vector<std::u16string> accessibleLines() const;

    AccessibleRole accessibleRole() const;
    // Only buttons take the keyboard focus.
    bool takesFocus() const { return kind() == ControlKind::CommandButton; }

    // What a screen reader calls the control's default action, the one that
    // clicks it. Unset, a button says "Press", a label that handles clicks
    // too, and any other control has none (an empty name).
    std::function<std::u16string()> AccessibleAction;
    std::u16string accessibleAction() const;

    // Runs the control's Click handler, if it has one: what a click on it does.
    virtual void raiseClick() {}

    void attach(ControlPeer* peer) { peer_ = peer; }
    ControlPeer* peer() const { return peer_; }

protected:
    void wrote(Property property, bool changed);
    virtual std::u16string_view defaultAccessibleName() const { return {}; }
    virtual bool clickable() const { return false; }

private:
    Form& owner_;
    const ControlRow& row_;
    ControlPeer* peer_ = nullptr;
    const Control* nameSource_ = nullptr;
};

class Label final : public Control
{
public:
    Label(Form& owner, const ControlRow& row);

    const std::u16string& Caption() const { return caption_; }
    // Raises Change synchronously, inside the assignment, on every write.
    void setCaption(std::u16string_view text);

    Color ForeColor() const { return foreColor_; }
    void setForeColor(Color color);

    std::int16_t Alignment() const { return alignment_; }
    void setAlignment(std::int16_t alignment);

    Color BackColor() const { return style().backColor; }
    BorderStyle border() const { return style().border; }
    bool autoSize() const { return style().autoSize; }
    const LayoutFont& font() const { return style().font; }

    std::function<void()> Click;
    std::function<void()> Change;
    // Raised by the second press of a double-click, after the Click of the first.
    std::function<void()> DblClick;

    void raiseClick() override;
    void raiseDblClick();

protected:
    std::u16string_view defaultAccessibleName() const override { return caption_; }
    bool clickable() const override { return static_cast<bool>(Click); }

private:
    std::u16string caption_;
    Color foreColor_;
    std::int16_t alignment_;
};

class CommandButton final : public Control
{
public:
    CommandButton(Form& owner, const ControlRow& row) : Control(owner, row) {}

    std::u16string_view Caption() const { return row().caption; }
    const LayoutFont& font() const { return style().font; }

    std::function<void()> Click;
    void raiseClick() override;

protected:
    std::u16string_view defaultAccessibleName() const override { return Caption(); }
    bool clickable() const override { return true; }
};

class Line final : public Control
{
public:
    Line(Form& owner, const ControlRow& row) : Control(owner, row) {}

    const LineEnds& ends() const { return row().ends; }
    int X1() const { return ends().x1; }
    int Y1() const { return ends().y1; }
    int X2() const { return ends().x2; }
    int Y2() const { return ends().y2; }
    Color BorderColor() const { return style().foreColor; }
};

// A control array of labels: members by index, possibly with gaps.
class LabelArray
{
public:
    explicit LabelArray(std::string_view name) : name_(name) {}

    std::string_view name() const { return name_; }

    // The member with this index; an index that does not exist raises SubscriptOutOfRange.
    // Inline: the handlers take a member for nearly every property they touch.
    Label& operator()(int index) const
    {
        Label* member = find(index);
        if (member == nullptr)
            outOfRange();
        return *member;
    }
    bool contains(int index) const { return find(index) != nullptr; }
    std::size_t count() const { return count_; }
    int lowerBound() const { return lower_; }
    int upperBound() const { return lower_ + static_cast<int>(slots_.size()) - 1; }

    void add(Label& member);

private:
    Label* find(int index) const
    {
        // A slot before the first wraps round to a huge one.
        const auto slot = static_cast<std::size_t>(static_cast<long>(index) - lower_);
        return slot < slots_.size() ? slots_[slot] : nullptr;
    }
    [[noreturn]] static void outOfRange();

    std::string_view name_;
    int lower_ = 0;
    std::vector<Label*> slots_;
    std::size_t count_ = 0;
};

} // namespace forms
