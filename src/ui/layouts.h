// The layouts of the program's two windows.
#pragma once

#include "forms/form.h"

namespace ui {

extern const forms::FormLayout kMainLayout;
extern const forms::FormLayout kHelpLayout;

} // namespace ui
