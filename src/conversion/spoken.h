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

// What marking the note of `row` in the key-table window `main` says: the
// note, then what it reads in each converted column, columns that agree said
// together: "E, marked: F sharp or G flat in all three", "E, marked: F in
// Converted_1, F sharp or G flat in Converted_2 and Converted_3". Unmarking
// says "E, unmarked".
std::u16string spokenMark(const forms::Form& main, int row);

// What a press of Down or Up whose chain starts at `first` (1..3) leaves, read
// from `main`: the counts of the columns it moved, columns with the same count
// said together, then for each marked note what it reads in those columns:
// "All three shift 2. E: F sharp or G flat";
// "Converted_2 shift 1; Converted_3 shift 2. E: F in Converted_2,
// F sharp or G flat in Converted_3".
std::u16string spokenShiftResult(const forms::Form& main, int first);

// The whole state: every count, then the marked notes or "Nothing marked",
// as after RESET: "All three shift 0. Nothing marked".
std::u16string spokenState(const forms::Form& main);

// What a button of the key table does, chain included: "Raises Converted_1,
// Converted_2 and Converted_3 by a semitone" for `step` +1 from column 1.
std::u16string spokenShiftAction(const forms::Form& main, int first, int step);

} // namespace conversion
