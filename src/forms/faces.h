// The faces the layouts name, and the stand-ins where they are not installed.
#pragma once

#include "forms/backend.h"
#include "forms/types.h"

#include <span>
#include <string>
#include <string_view>

namespace forms {

// What a face must offer to draw what the windows write in it.
struct FaceRule
{
    std::u16string_view face;                 // as the layouts name it
    bool proportional;                        // a stand-in must be proportional too
    std::u16string_view sample;               // characters it must have glyphs for
    std::span<const std::u16string_view> fit; // each must fit `fitWidth` pixels ...
    int fitPixels;                            // ... at this size (96 dpi) ...
    int fitWeight;                            // ... and weight
    int fitWidth;
    std::span<const std::u16string_view> standIns; // tried in this order after the face itself
};

// The rule for "ＭＳ Ｐゴシック" or "ＭＳ 明朝", or null for any other face.
const FaceRule* faceRule(std::u16string_view face);

// Whether an installed family meets a rule: Japanese, every glyph of the
// sample, proportional where asked, and every fit text inside its width.
bool suits(Desktop& desktop, const FaceRule& rule, std::u16string_view family);

// The family to draw a layout's face with: the face itself where it suits,
// else the first stand-in that does, else the first installed Japanese family
// that does, else the face's name as it is (the toolkit's own fallback).
std::u16string pickFamily(Desktop& desktop, std::u16string_view face);

// pickFamily on the backend's desktop, decided once per face for the run.
const std::u16string& resolveFamily(std::u16string_view face);

// A layout's font at a density; a default font is the platform's.
FontFace resolveFont(const FontSpec& spec, const Scale& scale);

} // namespace forms
