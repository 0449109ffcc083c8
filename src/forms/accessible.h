// What a screen reader finds in a window, the same on every platform: the
// client area, whose children are the controls a reader sees in declaration
// order, and a label of several lines, whose children are its lines. A child
// is counted from 1, as readers count it; 0 stands for the element itself.
#pragma once

#include "forms/controls.h"
#include "forms/geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace forms {

class Form;

// The client area (no control), a control, or one line of a label's text.
struct AccessibleElement
{
    Control* control = nullptr;
    int line = -1; // from 0; -1 for the control as a whole
    friend bool operator==(const AccessibleElement&, const AccessibleElement&) = default;
};

enum class AccessibleStep : std::uint8_t
{
    FirstChild,
    LastChild,
    Next,
    Previous,
};

class AccessibleTree
{
public:
    // `client`: the client area as it stands, where the window has been made
    // larger than its layout; empty for the layout's own size.
    explicit AccessibleTree(const Form& form, PixelSize client = {}) : form_(form), client_(client)
    {
    }

    // The client area's children: every control but the lines.
    std::vector<Control*> controls() const;
    // An element with children of its own: the client area, or a label of
    // several lines. A reader holds such an element as an object of its own.
    bool isParent(const AccessibleElement& element) const;
    long childCount(const AccessibleElement& parent) const;
    // Child `index` of `parent`, or nothing when there is none.
    std::optional<AccessibleElement> child(const AccessibleElement& parent, long index) const;
    // A control's index among the client area's children; 0 for none.
    long indexOf(const Control& control) const;
    // From `parent`'s child `from` (0: `parent` itself, for the first and
    // last children) one step on: the child reached, or 0 at either end.
    long step(const AccessibleElement& parent, long from, AccessibleStep step) const;
    // The child of `parent` a point (client pixels) is on: 0 on `parent`
    // but none of its children, nothing outside it. A button stands above
    // anything drawn.
    std::optional<long> hitTest(const AccessibleElement& parent, PixelPoint point) const;

    // What a reader reads: a label of several lines says them all, each
    // break `lineBreak`; a line its own text.
    std::u16string name(const AccessibleElement& element, std::u16string_view lineBreak) const;
    // A control's own; a line and the client area have none.
    std::u16string description(const AccessibleElement& element) const;
    std::u16string action(const AccessibleElement& element) const;
    // A window's client area is the window or a dialog, as its layout says;
    // a line is static text.
    AccessibleRole role(const AccessibleElement& element) const;
    // In client pixels: the client area's size, a control's box, a line's.
    PixelRect box(const AccessibleElement& element) const;
    // A control the keyboard reaches (the client area's focus is the
    // platform's to say).
    bool focusable(const AccessibleElement& element) const;
    // The button with the focus, as the window told the core, or null.
    const Control* focus() const;

private:
    const Form& form_;
    PixelSize client_;
};

} // namespace forms
