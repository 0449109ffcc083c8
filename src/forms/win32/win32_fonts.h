// Fonts for the Win32 backend: the Japanese faces the layouts name, their
// stand-ins where a face is not installed, and the default GUI font.
#pragma once

#include "forms/win32/win32_system.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace forms::win32 {

// What a face must offer to draw what the layouts write in it.
struct FaceNeeds
{
    std::u16string_view face;                  // as the layouts name it
    bool proportional;                         // a stand-in must be proportional too
    std::u16string_view sample;                // characters every stand-in must hold
    std::vector<std::u16string_view> fitTexts; // each must fit `fitWidth` pixels ...
    int fitPixels = 0;                         // ... at this pixel size
    int fitWeight = 400;                       // ... and weight
    int fitWidth = 0;
    std::vector<std::u16string_view> standIns; // tried in this order after the face itself
};

// The rules for "ＭＳ Ｐゴシック" and "ＭＳ 明朝", or null for another face.
const FaceNeeds* faceNeeds(std::u16string_view face);

// The face to use: the named one if it suits, else the first stand-in that
// does, else any Japanese face that does (in `installed` order), else the
// named face as it is.
std::u16string pickFace(const FaceNeeds& needs, const std::vector<std::u16string>& installed,
                        const std::function<bool(const std::u16string&)>& suits);

// Faces installed for the Japanese character set, without the vertical "@" ones.
std::vector<std::u16string> japaneseFaces();
bool isInstalled(std::u16string_view face, int charset);
// Whether an installed face has every glyph, pitch and width that `needs` asks for.
bool suits(std::u16string_view face, const FaceNeeds& needs);

// The face the backend draws a layout's face with; decided once per face.
std::u16string resolveFace(std::u16string_view face);

// Width in pixels of `text` in a face at a pixel height (as a negative LOGFONT height).
int textWidth(std::u16string_view face, int pixelHeight, int weight, int charset,
              std::u16string_view text);

// A new font for a layout's font at a density; the caller deletes it.
// A default FontSpec is the platform's default GUI font, scaled.
HFONT createFont(const FontSpec& wanted, int dpi);

} // namespace forms::win32
