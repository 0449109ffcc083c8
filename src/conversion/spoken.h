// What a screen reader says for the key table's note cells and shift labels,
// and what it calls marking a note.
#pragma once

#include "forms/controls.h"

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

} // namespace conversion
