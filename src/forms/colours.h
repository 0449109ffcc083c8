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

// Two grounds this far apart tell a row from its neighbours at a glance.
inline constexpr double kDistinctGrounds = 1.5;

// The colours of the user's scheme a sheet is drawn in while the desktop's
// high contrast is on.
struct ContrastScheme
{
    Color window;     // the system window colour
    Color windowText; // the system window-text colour
    Color highlight;  // the system highlight pair
    Color highlightText;
};

struct InkOnGround
{
    Color ink;
    Color ground;
    friend bool operator==(const InkOnGround&, const InkOnGround&) = default;
};

// The scheme's pair for a text in a colour of its own (a mark): the highlight
// pair where it reads at 4.5:1 and its ground stands apart from the window's;
// otherwise the window's pair the other way round.
InkOnGround emphasisPair(const ContrastScheme& scheme);

// Whether a text colour, as the standard scheme draws it, is something other
// than the window-text colour: a colour the program gave a text to set it apart.
bool isEmphasis(Color textColor);

} // namespace forms
