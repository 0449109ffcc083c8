#include "conversion/spoken.h"

#include "conversion/note_names.h"

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

std::u16string spokenMark(const forms::Label& originalCell)
{
    return spokenNote(originalCell.Caption()) +
           (marked(originalCell) ? u", marked" : u", unmarked");
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

// "Converted_1 shift 2, Converted_2 shift 2" for columns first..3.
std::u16string counts(const forms::Form& main, int first)
{
    std::u16string text;
    for (int column = first; column <= 3; ++column) {
        if (!text.empty())
            text += u", ";
        text += spokenShift(heading(main, column), shiftLabel(main, column));
    }
    return text;
}

// ". E: F sharp or G flat" for each marked note, in columns first..3.
std::u16string markedReadings(const forms::Form& main, int first)
{
    const forms::LabelArray& org = main.labelArray("org");
    const forms::LabelArray& conv = main.labelArray("conv");
    std::u16string text;
    for (int row = 0; row < 12; ++row) {
        if (!marked(org(row)))
            continue;
        std::vector<std::u16string> readings;
        bool same = true;
        for (int column = first; column <= 3; ++column) {
            readings.push_back(spokenNote(conv(20 * (column - 1) + row).Caption()));
            same = same && readings.back() == readings.front();
        }
        text += u". " + spokenNote(org(row).Caption()) + u": ";
        if (same) {
            text += readings.front();
            continue;
        }
        for (int column = first; column <= 3; ++column) {
            if (column > first)
                text += u", ";
            text += readings[static_cast<std::size_t>(column - first)] + u" in " +
                    heading(main, column);
        }
    }
    return text;
}

} // namespace

std::u16string spokenShiftResult(const forms::Form& main, int first)
{
    return counts(main, first) + markedReadings(main, first);
}

std::u16string spokenState(const forms::Form& main)
{
    const forms::LabelArray& org = main.labelArray("org");
    std::u16string text = counts(main, 1);
    std::u16string marks;
    for (int row = 0; row < 12; ++row)
        if (marked(org(row)))
            marks += (marks.empty() ? u"" : u", ") + spokenNote(org(row).Caption());
    return text + u". " + (marks.empty() ? u"Nothing marked" : u"Marked: " + marks);
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
