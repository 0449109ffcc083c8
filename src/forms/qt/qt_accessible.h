// What a screen reader finds in the windows, through Qt's accessibility.
#pragma once

#include "forms/controls.h"

#include <QWidget>

namespace forms::qt {

class FormWidget;

// Every control of the window becomes a child a screen reader reads, in
// declaration order: the labels the core paints, and the native buttons.
void describeWindow(FormWidget& window);
// The names and descriptions of a native button.
void describe(QWidget& widget, const Control& control);
// What a control shows has changed: tells a screen reader when its name has.
void controlChanged(FormWidget& window, const Control& control);
// A control's description is to be told to a screen reader now.
void descriptionChanged(FormWidget& window, const Control& control);
// The window retires: its children go from the accessibility tree.
void forgetWindow(FormWidget& window);

} // namespace forms::qt
