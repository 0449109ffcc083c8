// The keys that mark notes from the keyboard: the letter of a natural note,
// and Shift with C, D, F, G or A for the sharp above it (C♯/D♭ and so on).
#pragma once

#include <cstdint>
#include <string>

namespace conversion {

// The row of the Original column that the key toggles, or -1: `keyCode` is a
// KeyDown code ('A'..'Z' = 65..90) and `shift` its modifier mask.
int noteOfKey(std::int16_t keyCode, std::int16_t shift);

// The key of a row in words: "C", "Shift+C".
std::u16string keyOfNote(int row);

} // namespace conversion
