// What a screen reader finds in a window, the same on every platform: the
// client area, whose children are the controls a reader sees in declaration
// order, a table of the controls the window shows as one, and a label of
// several lines, whose children are its lines. A child is counted from 1, as
// readers count it; 0 stands for the element itself.
#pragma once

#include "forms/controls.h"
#include "forms/geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace forms {

class Form;

// Which part of the window's table an element without a control is.
inline constexpr int kNotTable = -2;
inline constexpr int kWholeTable = -1; // rows count from 0, the headings' row

// The client area, the table, one of its rows, a control, or one line of a
// label's text.
struct AccessibleElement
{
    Control* control = nullptr;
    int line = -1; // from 0; -1 for the control as a whole
    int tableRow = kNotTable;
    friend bool operator==(const AccessibleElement&, const AccessibleElement&) = default;
};

enum class AccessibleStep : std::uint8_t
{
    FirstChild,
    LastChild,
    Next,
    Previous,
};

// How a platform's readers take a table: its cells as its children, the
// headings first (AT-SPI); or rows of cells, the headings' row first (MSAA).
enum class TableShape : std::uint8_t
{
    Cells,
    Rows,
};

// Where a control stands in the window's table: row -1 is the headings'.
struct TablePlace
{
    int row;
    int column;
};

class AccessibleTree
{
public:
    // `client`: the client area as it stands, where the window has been made
    // larger than its layout; empty for the layout's own size.
    explicit AccessibleTree(const Form& form, PixelSize client = {},
                            TableShape shape = TableShape::Cells)
        : form_(form), client_(client), shape_(shape)
    {
    }

    // An element's children, in reading order.
    std::vector<AccessibleElement> children(const AccessibleElement& parent) const;
    // An element with children of its own: the client area, the table and its
    // rows, or a label of several lines. A reader holds such an element as an
    // object of its own.
    bool isParent(const AccessibleElement& element) const;
    long childCount(const AccessibleElement& parent) const;
    // Child `index` of `parent`, or nothing when there is none. The client
    // area also takes the id indexOf gives a control within the table.
    std::optional<AccessibleElement> child(const AccessibleElement& parent, long index) const;
    // A control's index among the client area's children; for a control in
    // the table, a negative id of its own; 0 for none.
    long indexOf(const Control& control) const;
    // From `parent`'s child `from` (0: `parent` itself, for the first and
    // last children) one step on: the child reached, or 0 at either end.
    long step(const AccessibleElement& parent, long from, AccessibleStep step) const;
    // The child of `parent` a point (client pixels) is on: 0 on `parent`
    // but none of its children, nothing outside it. A button stands above
    // anything drawn.
    std::optional<long> hitTest(const AccessibleElement& parent, PixelPoint point) const;

    // What a reader reads: a label of several lines says them all, each
    // break `lineBreak`; a line its own text; a row its heading's.
    std::u16string name(const AccessibleElement& element, std::u16string_view lineBreak) const;
    // A control's own; for a cell of the table its column and row first, for
    // readers that do not follow the headings; a line and the client area
    // have none.
    std::u16string description(const AccessibleElement& element) const;
    std::u16string action(const AccessibleElement& element) const;
    // A window's client area is the window or a dialog, as its layout says;
    // a line is static text.
    AccessibleRole role(const AccessibleElement& element) const;
    // In client pixels: the client area's size, a control's box, a line's;
    // the table's and a row's hold their controls.
    PixelRect box(const AccessibleElement& element) const;
    // The language of a line, for a reader that speaks each in its own
    // voice: "ja" for one in Japanese script, none for the program's English.
    std::u16string language(const AccessibleElement& line) const;
    // A control the keyboard reaches (the client area's focus is the
    // platform's to say).
    bool focusable(const AccessibleElement& element) const;
    // The button with the focus, as the window told the core, or null.
    const Control* focus() const;

    // The control's place in the window's table, or nothing outside it.
    std::optional<TablePlace> placeOf(const Control& control) const;
    // The control at a place; null where there is none.
    Control* at(TablePlace place) const;
    long rowCount() const;
    long columnCount() const;

private:
    bool contains(const AccessibleElement& element, const Control& control) const;

    const Form& form_;
    PixelSize client_;
    TableShape shape_;
};

} // namespace forms
