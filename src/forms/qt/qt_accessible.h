// What a screen reader finds in the windows, through Qt's accessibility.
#pragma once

#include "forms/controls.h"

#include <QWidget>

namespace forms::qt {

class FormWidget;

// Puts the program's accessibility in Qt's hands before any widget exists:
// Qt 6.8 makes a widget's interface as the widget is made, and keeps it.
void installAccessibility();
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
// Whether this Qt has an announcement event that its AT-SPI bridge passes
// on (6.8 and later).
bool hasAnnouncements();
// Tells a screen reader the text now, as an announcement of the control's.
void announced(FormWidget& window, const Control& source, std::u16string_view text);
// The window retires: its children go from the accessibility tree.
void forgetWindow(FormWidget& window);

} // namespace forms::qt
