// What a screen reader finds in the windows, through Qt's accessibility.
#pragma once

#include "forms/controls.h"

#include <QWidget>

namespace forms::qt {

class FormWidget;

// Every control the core shows a screen reader becomes a child of the
// window, in declaration order: the native buttons, and the controls the
// window draws.
void describeWindow(FormWidget& window);
// The names and descriptions of a native button.
void describe(QWidget& widget, const Control& control);
// The control's name has changed: tells a screen reader.
void nameChanged(FormWidget& window, const Control& control);
// A control's description is to be told to a screen reader now.
void descriptionChanged(FormWidget& window, const Control& control);
// The window retires: its children go from the accessibility tree.
void forgetWindow(FormWidget& window);

} // namespace forms::qt
