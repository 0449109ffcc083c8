// System colours as the standard scheme gives them, and how legible a text
// colour is on its ground.
#pragma once

#include "forms/types.h"

namespace forms {

// The system colour with this index (0..24) in Windows' standard scheme:
// window background white, window and button text black.
Color standardSystemColor(int index);

// WCAG 2 contrast ratio of two plain colours, from 1 (none) to 21.
double contrastRatio(Color a, Color b);

// Body text needs 4.5:1 to be read with ease.
inline constexpr double kLegibleContrast = 4.5;

} // namespace forms
