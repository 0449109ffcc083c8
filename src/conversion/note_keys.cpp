#include "conversion/note_keys.h"

#include "forms/form.h"

#include <array>

namespace conversion {

namespace {

// By row: the letter, and whether Shift goes with it.
struct NoteKey
{
    char16_t letter;
    bool shift;
};

constexpr std::array<NoteKey, 12> kNoteKeys = {{
    {u'C', false},
    {u'C', true},
    {u'D', false},
    {u'D', true},
    {u'E', false},
    {u'F', false},
    {u'F', true},
    {u'G', false},
    {u'G', true},
    {u'A', false},
    {u'A', true},
    {u'B', false},
}};

} // namespace

int noteOfKey(std::int16_t keyCode, std::int16_t shift)
{
    if ((shift & (forms::kCtrlMask | forms::kAltMask)) != 0)
        return -1;
    const bool shifted = (shift & forms::kShiftMask) != 0;
    for (std::size_t row = 0; row < kNoteKeys.size(); ++row)
        if (kNoteKeys[row].letter == keyCode && kNoteKeys[row].shift == shifted)
            return static_cast<int>(row);
    return -1;
}

std::u16string keyOfNote(int row)
{
    if (row < 0 || row >= static_cast<int>(kNoteKeys.size()))
        return {};
    const NoteKey& key = kNoteKeys[static_cast<std::size_t>(row)];
    return (key.shift ? u"Shift+" : u"") + std::u16string(1, key.letter);
}

} // namespace conversion
