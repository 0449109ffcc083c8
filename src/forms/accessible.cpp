#include "forms/accessible.h"

#include "forms/form.h"
#include "forms/surface.h"

#include <algorithm>
#include <utility>

namespace forms {

namespace {

// A label of several lines is a parent of its lines; one of a single line
// has no children.
long lineCount(const Control& control)
{
    const auto count = static_cast<long>(control.accessibleLines().size());
    return count > 1 ? count : 0;
}

PixelRect joined(PixelRect a, const PixelRect& b)
{
    if (a.empty())
        return b;
    a.left = std::min(a.left, b.left);
    a.top = std::min(a.top, b.top);
    a.right = std::max(a.right, b.right);
    a.bottom = std::max(a.bottom, b.bottom);
    return a;
}

} // namespace

std::optional<TablePlace> AccessibleTree::placeOf(const Control& control) const
{
    const ReaderTable& table = form_.readerTable();
    for (std::size_t column = 0; column < table.columnHeaders.size(); ++column)
        if (table.columnHeaders[column] == &control)
            return TablePlace{-1, static_cast<int>(column)};
    for (std::size_t row = 0; row < table.rows.size(); ++row)
        for (std::size_t column = 0; column < table.rows[row].size(); ++column)
            if (table.rows[row][column] == &control)
                return TablePlace{static_cast<int>(row), static_cast<int>(column)};
    return std::nullopt;
}

Control* AccessibleTree::at(TablePlace place) const
{
    const ReaderTable& table = form_.readerTable();
    const auto column = static_cast<std::size_t>(place.column);
    if (rowCount() == 0 || place.column < 0 || place.row < -1 || place.row >= rowCount())
        return nullptr;
    const std::vector<Control*>& row =
        place.row < 0 ? table.columnHeaders : table.rows[static_cast<std::size_t>(place.row)];
    return column < row.size() ? row[column] : nullptr;
}

long AccessibleTree::rowCount() const
{
    return static_cast<long>(form_.readerTable().rows.size());
}

long AccessibleTree::columnCount() const
{
    return static_cast<long>(form_.readerTable().columnHeaders.size());
}

std::vector<AccessibleElement> AccessibleTree::children(const AccessibleElement& parent) const
{
    std::vector<AccessibleElement> found;
    const ReaderTable& table = form_.readerTable();
    const auto rowOf = [&](int row) {
        for (Control* control :
             row == 0 ? table.columnHeaders : table.rows[static_cast<std::size_t>(row - 1)])
            found.push_back({control});
    };
    if (parent.control != nullptr) {
        if (parent.line < 0)
            for (int line = 0; line < lineCount(*parent.control); ++line)
                found.push_back({parent.control, line});
    } else if (parent.tableRow >= 0) {
        rowOf(parent.tableRow);
    } else if (parent.tableRow == kWholeTable) {
        for (int row = 0; row <= static_cast<int>(table.rows.size()); ++row)
            if (shape_ == TableShape::Rows)
                found.push_back({nullptr, -1, row});
            else
                rowOf(row);
    } else {
        // The table stands where the first of its controls is declared.
        bool tableFound = false;
        for (const auto& control : form_.controls()) {
            if (control->accessibleRole() == AccessibleRole::None)
                continue;
            if (!placeOf(*control))
                found.push_back({control.get()});
            else if (!std::exchange(tableFound, true))
                found.push_back({nullptr, -1, kWholeTable});
        }
    }
    return found;
}

bool AccessibleTree::contains(const AccessibleElement& element, const Control& control) const
{
    if (element.control != nullptr || element.tableRow == kNotTable)
        return element.control == &control;
    const std::optional<TablePlace> place = placeOf(control);
    return place && (element.tableRow == kWholeTable || element.tableRow == place->row + 1);
}

bool AccessibleTree::isParent(const AccessibleElement& element) const
{
    return element.control == nullptr || (element.line < 0 && lineCount(*element.control) > 0);
}

long AccessibleTree::childCount(const AccessibleElement& parent) const
{
    return static_cast<long>(children(parent).size());
}

std::optional<AccessibleElement> AccessibleTree::child(const AccessibleElement& parent,
                                                       long index) const
{
    if (index < 0 && parent == AccessibleElement{}) {
        const auto& all = form_.controls();
        const auto position = static_cast<std::size_t>(-index - 1);
        if (position < all.size() && placeOf(*all[position]))
            return AccessibleElement{all[position].get()};
        return std::nullopt;
    }
    const std::vector<AccessibleElement> all = children(parent);
    if (index < 1 || index > static_cast<long>(all.size()))
        return std::nullopt;
    return all[static_cast<std::size_t>(index - 1)];
}

long AccessibleTree::indexOf(const Control& control) const
{
    if (placeOf(control)) {
        const auto& all = form_.controls();
        const auto found = std::find_if(all.begin(), all.end(),
                                        [&](const auto& each) { return each.get() == &control; });
        return -static_cast<long>(found - all.begin()) - 1;
    }
    const std::vector<AccessibleElement> all = children({});
    const auto found =
        std::find(all.begin(), all.end(), AccessibleElement{const_cast<Control*>(&control)});
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
    const std::vector<AccessibleElement> all = children(parent);
    const auto indexOfChild = [&](auto&& matches) -> long {
        const auto found = std::find_if(all.begin(), all.end(), matches);
        return found == all.end() ? 0 : static_cast<long>(found - all.begin()) + 1;
    };
    if (parent.control != nullptr)
        return indexOfChild(
            [&](const AccessibleElement& line) { return box(line).contains(point.x, point.y); });
    const FormSurface* surface = form_.surface();
    // Buttons are native windows, above everything the window draws.
    if (const long button = indexOfChild([&](const AccessibleElement& each) {
            return each.control != nullptr && each.control->kind() == ControlKind::CommandButton &&
                   surface->box(*each.control).contains(point.x, point.y);
        }))
        return button;
    const Label* label = surface->labelAt(point);
    if (label == nullptr)
        return 0;
    return indexOfChild([&](const AccessibleElement& each) { return contains(each, *label); });
}

std::u16string AccessibleTree::name(const AccessibleElement& element,
                                    std::u16string_view lineBreak) const
{
    if (element.control == nullptr) {
        if (element.tableRow == kWholeTable)
            return form_.readerTable().name;
        if (element.tableRow > 0)
            return name({at({element.tableRow - 1, 0})}, lineBreak);
        return element.tableRow == kNotTable ? std::u16string(form_.layout().caption)
                                             : std::u16string();
    }
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
    if (element.control == nullptr || element.line >= 0)
        return {};
    std::u16string own = element.control->accessibleDescription();
    const std::optional<TablePlace> place = placeOf(*element.control);
    if (!place || place->row < 0)
        return own;
    std::u16string where = name({at({-1, place->column})}, u" ");
    if (place->column > 0)
        where += u", row " + name({at({place->row, 0})}, u" ");
    return own.empty() ? where : where + u". " + own;
}

std::u16string AccessibleTree::action(const AccessibleElement& element) const
{
    return element.control != nullptr && element.line < 0 ? element.control->accessibleAction()
                                                          : std::u16string();
}

AccessibleRole AccessibleTree::role(const AccessibleElement& element) const
{
    if (element.control == nullptr) {
        if (element.tableRow == kNotTable)
            return form_.layout().dialog ? AccessibleRole::Dialog : AccessibleRole::Window;
        return element.tableRow == kWholeTable ? AccessibleRole::Table : AccessibleRole::Row;
    }
    if (element.line >= 0)
        return AccessibleRole::StaticText;
    if (const std::optional<TablePlace> place = placeOf(*element.control))
        return place->row < 0 ? AccessibleRole::ColumnHeader : AccessibleRole::Cell;
    return element.control->accessibleRole();
}

PixelRect AccessibleTree::box(const AccessibleElement& element) const
{
    const FormSurface* surface = form_.surface();
    if (surface == nullptr)
        return {};
    if (element.control == nullptr && element.tableRow != kNotTable) {
        PixelRect all{};
        for (const AccessibleElement& each : children(element))
            all = joined(all, box(each));
        return all;
    }
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

std::u16string AccessibleTree::language(const AccessibleElement& line) const
{
    if (line.control == nullptr || line.line < 0)
        return {};
    // Kana and the ideographs; the full-width space alone is no Japanese.
    const std::u16string text = name(line, u"");
    const bool japanese = std::any_of(text.begin(), text.end(), [](char16_t c) {
        return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF);
    });
    return japanese ? u"ja" : u"";
}

bool AccessibleTree::focusable(const AccessibleElement& element) const
{
    if (element.control == nullptr)
        return element.tableRow == kNotTable;
    return element.line < 0 && element.control->takesFocus();
}

const Control* AccessibleTree::focus() const
{
    const FormSurface* surface = form_.surface();
    return surface != nullptr ? surface->focused() : nullptr;
}

} // namespace forms
