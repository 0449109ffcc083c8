#include "conversion/spoken.h"

#include "conversion/note_names.h"

#include <algorithm>
#include <string>
#include <vector>

namespace conversion {

std::u16string spokenNote(std::u16string_view caption)
{
    for (std::size_t i = 0; i < kNoteNames.size(); ++i)
        if (kNoteNames[i] == caption)
            return std::u16string(kSpokenNoteNames[i]);
    return std::u16string(caption);
}

namespace {

// A mark is the red text of the row's cells; black, or the layout's system
// colour before the first reset, is no mark.
bool marked(const forms::Label& cell)
{
    const forms::Color color = cell.ForeColor();
    return color != forms::kBlack && !forms::isSystemColor(color);
}

} // namespace

std::u16string spokenCell(const forms::Label& cell)
{
    std::u16string text = spokenNote(cell.Caption());
    if (marked(cell))
        text += u", marked";
    return text;
}

std::u16string spokenMarkAction(const forms::Label& originalCell)
{
    return marked(originalCell) ? u"Unmark" : u"Mark";
}

std::u16string spokenShift(std::u16string_view column, const forms::Label& shiftLabel)
{
    return std::u16string(column) + u" shift " + shiftLabel.Caption();
}

namespace {

// The controls of the key table, by their layout names.
std::u16string heading(const forms::Form& main, int column)
{
    return main.labelArray("Label101")(column - 1).Caption();
}

const forms::Label& shiftLabel(const forms::Form& main, int column)
{
    return main.label("ud_" + std::to_string(column));
}

// What the converted cell of `row` in `column` reads.
std::u16string reading(const forms::Form& main, int column, int row)
{
    return spokenNote(main.labelArray("conv")(20 * (column - 1) + row).Caption());
}

// Columns that say the same, in the order each first says it.
struct Group
{
    std::u16string said;
    std::vector<int> columns;
};

template <class Say> std::vector<Group> grouped(int first, Say say)
{
    std::vector<Group> groups;
    for (int column = first; column <= 3; ++column) {
        std::u16string said = say(column);
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const Group& group) { return group.said == said; });
        if (it == groups.end())
            groups.push_back({std::move(said), {column}});
        else
            it->columns.push_back(column);
    }
    return groups;
}

// "a", "a and b", "a, b and c".
std::u16string listed(const std::vector<std::u16string>& items)
{
    std::u16string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? u" and " : u", ";
        text += items[i];
    }
    return text;
}

// Columns named in full: "Converted_2 and Converted_3".
std::u16string fullNames(const forms::Form& main, const std::vector<int>& columns)
{
    std::vector<std::u16string> names;
    for (int column : columns)
        names.push_back(heading(main, column));
    return listed(names);
}

// Columns named by the first one's heading and the others' numbers, said
// quicker: "Converted_1 and 3"; next to each other, "Converted_2 to 3" where
// `range`; all of them, "All three".
std::u16string shortNames(const forms::Form& main, const std::vector<int>& columns,
                          bool range = false)
{
    if (columns.size() == 3)
        return u"All three";
    std::vector<std::u16string> names;
    for (int column : columns) {
        std::u16string name = heading(main, column);
        const std::size_t number = name.rfind(u'_');
        if (!names.empty() && number != std::u16string::npos)
            name.erase(0, number + 1);
        names.push_back(std::move(name));
    }
    if (range && columns.size() == 2 && columns[1] == columns[0] + 1)
        return names[0] + u" to " + names[1];
    return listed(names);
}

// "All three shift 2", or "Converted_1 shift 1; Converted_2 to 3 shift 2",
// for columns first..3: each count once, said as a count label says it.
std::u16string counts(const forms::Form& main, int first)
{
    std::u16string text;
    for (const Group& group :
         grouped(first, [&](int column) { return shiftLabel(main, column).Caption(); })) {
        if (!text.empty())
            text += u"; ";
        text +=
            spokenShift(shortNames(main, group.columns, true), shiftLabel(main, group.columns[0]));
    }
    return text;
}

// What the note of `row` reads in columns first..3, each reading with the
// columns named by `names`: "F in Converted_2, F sharp or G flat in
// Converted_3"; `alike` alone where all of them agree.
template <class Names>
std::u16string readings(const forms::Form& main, int row, int first, Names names,
                        std::u16string_view alike)
{
    const std::vector<Group> groups =
        grouped(first, [&](int column) { return reading(main, column, row); });
    if (groups.size() == 1)
        return groups.front().said + std::u16string(alike);
    std::u16string text;
    for (std::size_t i = 0; i < groups.size(); ++i)
        text += (i > 0 ? u", " : u"") + groups[i].said + u" in " + names(main, groups[i].columns);
    return text;
}

// ". E: F sharp or G flat" for each marked note, in columns first..3, the
// columns said short where its readings differ.
std::u16string markedReadings(const forms::Form& main, int first)
{
    const forms::LabelArray& org = main.labelArray("org");
    std::u16string text;
    for (int row = 0; row < 12; ++row) {
        if (!marked(org(row)))
            continue;
        text += u". " + spokenNote(org(row).Caption()) + u": " +
                readings(
                    main, row, first,
                    [](const forms::Form& form, const std::vector<int>& columns) {
                        return shortNames(form, columns);
                    },
                    u"");
    }
    return text;
}

} // namespace

std::u16string spokenMark(const forms::Form& main, int row)
{
    const forms::Label& cell = main.labelArray("org")(row);
    const std::u16string note = spokenNote(cell.Caption());
    if (!marked(cell))
        return note + u", unmarked";
    return note + u", marked: " + readings(main, row, 1, fullNames, u" in all three");
}

std::u16string spokenShiftResult(const forms::Form& main, int first)
{
    return counts(main, first) + markedReadings(main, first);
}

std::u16string spokenState(const forms::Form& main)
{
    const forms::LabelArray& org = main.labelArray("org");
    std::u16string text = counts(main, 1);
    std::vector<std::u16string> marks;
    for (int row = 0; row < 12; ++row)
        if (marked(org(row)))
            marks.push_back(spokenNote(org(row).Caption()));
    return text + u". " + (marks.empty() ? u"Nothing marked" : u"Marked: " + listed(marks));
}

std::u16string spokenShiftAction(const forms::Form& main, int first, int step)
{
    std::u16string text = step > 0 ? u"Raises " : u"Lowers ";
    for (int column = first; column <= 3; ++column) {
        if (column > first)
            text += column == 3 ? u" and " : u", ";
        text += heading(main, column);
    }
    return text + u" by a semitone";
}

} // namespace conversion
