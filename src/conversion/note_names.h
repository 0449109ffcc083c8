// The twelve note names, by pitch class from C upwards in semitones: fullwidth
// letters, "＃" for sharp and "♭" for flat.
#pragma once

#include <array>
#include <string_view>

namespace conversion {

inline constexpr std::array<std::u16string_view, 12> kNoteNames = {
    u"Ｃ",          u"Ｃ＃（Ｄ♭）", u"Ｄ",          u"Ｄ＃（Ｅ♭）", u"Ｅ",          u"Ｆ",
    u"Ｆ＃（Ｇ♭）", u"Ｇ",          u"Ｇ＃（Ａ♭）", u"Ａ",          u"Ａ＃（Ｂ♭）", u"Ｂ",
};

// The same notes in words, as a screen reader says them.
inline constexpr std::array<std::u16string_view, 12> kSpokenNoteNames = {
    u"C", u"C sharp or D flat", u"D", u"D sharp or E flat", u"E", u"F", u"F sharp or G flat",
    u"G", u"G sharp or A flat", u"A", u"A sharp or B flat", u"B",
};

} // namespace conversion
