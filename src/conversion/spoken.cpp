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

std::u16string spokenCell(const forms::Label& cell)
{
    std::u16string text = spokenNote(cell.Caption());
    // A mark is the red text of the row's cells; black, or the layout's system
    // colour before the first reset, is no mark.
    const forms::Color color = cell.ForeColor();
    if (color != forms::kBlack && !forms::isSystemColor(color))
        text += u", marked";
    return text;
}

std::u16string spokenShift(std::u16string_view column, const forms::Label& shiftLabel)
{
    return std::u16string(column) + u" shift " + shiftLabel.Caption();
}

} // namespace conversion
