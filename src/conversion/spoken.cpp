#include "conversion/spoken.h"

#include "conversion/note_names.h"

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

} // namespace conversion
