// The twelve note names, by pitch class from C upwards in semitones: fullwidth
// letters, "＃" for sharp and "♭" for flat.
#pragma once

#include <array>
#include <string_view>

namespace conversion {

inline constexpr std::array<std::u16string_view, 12> kNoteNames = {
    u"Ｃ",  u"Ｃ＃（Ｄ♭）", u"Ｄ",  u"Ｄ＃（Ｅ♭）", u"Ｅ",  u"Ｆ",
    u"Ｆ＃（Ｇ♭）", u"Ｇ", u"Ｇ＃（Ａ♭）", u"Ａ", u"Ａ＃（Ｂ♭）", u"Ｂ",
};

} // namespace conversion
