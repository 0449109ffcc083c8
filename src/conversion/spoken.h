// What a screen reader says for the key table's note cells and shift labels,
// and what it calls marking a note.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"

#include <string>
#include <string_view>

namespace conversion {

// A note name in words ("C sharp or D flat" for "Ｃ＃（Ｄ♭）"); any other text as it is.
std::u16string spokenNote(std::u16string_view caption);

// A note cell: its note in words, then ", marked" while its row is marked.
std::u16string spokenCell(const forms::Label& cell);

// The default action of an Original cell: "Mark" while its row is unmarked,
// "Unmark" while it is marked.
std::u16string spokenMarkAction(const forms::Label& originalCell);

// A shift label: its column and its count, as "Converted_2 shift -3".
std::u16string spokenShift(std::u16string_view column, const forms::Label& shiftLabel);

// What a mark made or cleared says: "E, marked" or "E, unmarked".
std::u16string spokenMark(const forms::Label& originalCell);

// What a press of Down or Up whose chain starts at `first` (1..3) leaves, read
// from the key-table window `main`: the count of each column it moved, then
// for each marked note what it reads in those columns, as
// "Converted_1 shift 2, Converted_2 shift 2, Converted_3 shift 2. E: F sharp or G flat".
// A note that reads differently in the moved columns names each column:
// "E: F in Converted_2, G in Converted_3".
std::u16string spokenShiftResult(const forms::Form& main, int first);

// The whole state: every count, then the marked notes or "Nothing marked",
// as after RESET: "Converted_1 shift 0, Converted_2 shift 0, Converted_3 shift 0. Nothing marked".
std::u16string spokenState(const forms::Form& main);

// What a button of the key table does, chain included: "Raises Converted_1,
// Converted_2 and Converted_3 by a semitone" for `step` +1 from column 1.
std::u16string spokenShiftAction(const forms::Form& main, int first, int step);

} // namespace conversion
