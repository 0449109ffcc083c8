#include "forms/accessible.h"

#include "forms/form.h"
#include "forms/surface.h"

#include <algorithm>

namespace forms {

namespace {

// A label of several lines is a parent of its lines; one of a single line
// has no children.
long lineCount(const Control& control)
{
    const auto count = static_cast<long>(control.accessibleLines().size());
    return count > 1 ? count : 0;
}

} // namespace

std::vector<Control*> AccessibleTree::controls() const
{
    std::vector<Control*> found;
    for (const auto& control : form_.controls())
        if (control->accessibleRole() != AccessibleRole::None)
            found.push_back(control.get());
    return found;
}

bool AccessibleTree::isParent(const AccessibleElement& element) const
{
    return element.control == nullptr || (element.line < 0 && lineCount(*element.control) > 0);
}

long AccessibleTree::childCount(const AccessibleElement& parent) const
{
    if (parent.control == nullptr)
        return static_cast<long>(controls().size());
    return parent.line < 0 ? lineCount(*parent.control) : 0;
}

std::optional<AccessibleElement> AccessibleTree::child(const AccessibleElement& parent,
                                                       long index) const
{
    if (index < 1 || index > childCount(parent))
        return std::nullopt;
    if (parent.control != nullptr)
        return AccessibleElement{parent.control, static_cast<int>(index) - 1};
    return AccessibleElement{controls()[static_cast<std::size_t>(index - 1)]};
}

long AccessibleTree::indexOf(const Control& control) const
{
    const std::vector<Control*> all = controls();
    const auto found = std::find(all.begin(), all.end(), &control);
    return found == all.end() ? 0 : static_cast<long>(found - all.begin()) + 1;
}

long AccessibleTree::step(const AccessibleElement& parent, long from, AccessibleStep step) const
{
    const long count = childCount(parent);
    long to = 0;
    switch (step) {
    case AccessibleStep::FirstChild:
        to = 1;
        break;
    case AccessibleStep::LastChild:
        to = count;
        break;
    case AccessibleStep::Next:
        to = from + 1;
        break;
    case AccessibleStep::Previous:
        to = from - 1;
        break;
    }
    return to >= 1 && to <= count ? to : 0;
}

std::optional<long> AccessibleTree::hitTest(const AccessibleElement& parent, PixelPoint point) const
{
    if (!box(parent).contains(point.x, point.y))
        return std::nullopt;
    if (parent.control == nullptr) {
        const FormSurface* surface = form_.surface();
        // Buttons are native windows, above everything the window draws.
        for (const auto& control : form_.controls())
            if (control->kind() == ControlKind::CommandButton &&
                surface->box(*control).contains(point.x, point.y))
                return indexOf(*control);
        const Label* label = surface->labelAt(point);
        return label != nullptr ? indexOf(*label) : 0;
    }
    for (long line = 1; line <= childCount(parent); ++line)
        if (box(*child(parent, line)).contains(point.x, point.y))
            return line;
    return 0;
}

std::u16string AccessibleTree::name(const AccessibleElement& element,
                                    std::u16string_view lineBreak) const
{
    if (element.control == nullptr)
        return std::u16string(form_.layout().caption);
    const std::vector<std::u16string> lines = element.control->accessibleLines();
    if (element.line >= 0)
        return lines.at(static_cast<std::size_t>(element.line));
    if (lines.size() < 2)
        return element.control->accessibleName();
    std::u16string joined = lines[0];
    for (std::size_t i = 1; i < lines.size(); ++i)
        joined.append(lineBreak).append(lines[i]);
    return joined;
}

std::u16string AccessibleTree::description(const AccessibleElement& element) const
{
    return element.control != nullptr && element.line < 0 ? element.control->accessibleDescription()
                                                          : std::u16string();
}

std::u16string AccessibleTree::action(const AccessibleElement& element) const
{
    return element.control != nullptr && element.line < 0 ? element.control->accessibleAction()
                                                          : std::u16string();
}

AccessibleRole AccessibleTree::role(const AccessibleElement& element) const
{
    if (element.control == nullptr)
        return form_.layout().dialog ? AccessibleRole::Dialog : AccessibleRole::Window;
    return element.line < 0 ? element.control->accessibleRole() : AccessibleRole::StaticText;
}

PixelRect AccessibleTree::box(const AccessibleElement& element) const
{
    const FormSurface* surface = form_.surface();
    if (surface == nullptr)
        return {};
    if (element.control == nullptr) {
        const PixelSize size = client_ != PixelSize{} ? client_ : surface->clientSize();
        return {0, 0, size.width, size.height};
    }
    if (element.line < 0)
        return surface->box(*element.control);
    if (element.control->kind() != ControlKind::Label)
        return {};
    return surface->lineBox(static_cast<const Label&>(*element.control), element.line);
}

bool AccessibleTree::focusable(const AccessibleElement& element) const
{
    return element.control == nullptr || (element.line < 0 && element.control->takesFocus());
}

const Control* AccessibleTree::focus() const
{
    const FormSurface* surface = form_.surface();
    return surface != nullptr ? surface->focused() : nullptr;
}

} // namespace forms
