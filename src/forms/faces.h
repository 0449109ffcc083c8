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

// The family to draw a layout's face with, and how much smaller than the
// layout's sizes it is drawn so that its fit texts fit.
struct FacePick
{
    std::u16string family;
    double shrink = 1.0;
};

// The face itself where it suits, else the first stand-in that does, else the
// first installed Japanese family that does. Where none does, the Japanese
// family with every glyph that fits best (a proportional one first), made
// just small enough to fit; with no such family, the face's name as it is,
// for the toolkit's own fallback.
FacePick pickFamily(Desktop& desktop, std::u16string_view face);

// pickFamily on the backend's desktop, decided once per face for the run.
const FacePick& resolveFace(std::u16string_view face);
inline const std::u16string& resolveFamily(std::u16string_view face)
{
    return resolveFace(face).family;
}

// A layout's font at a density; a default font is the platform's.
FontFace resolveFont(const LayoutFont& wanted, const Scale& scale);

// The smallest a caption's font is made to fit its box: below that a text is
// no longer read with ease.
inline constexpr int kLegibleFloorPixels = 9;

// The largest face no larger than `face` in which `text` is at most `width`
// pixels wide, down to `floor` pixels.
FontFace fitted(Desktop& desktop, FontFace face, std::u16string_view text, int width, int floor);

} // namespace forms
