// Numbers travel as text: conversions between captions and numbers with the
// run-time errors the program relies on.
#pragma once

#include <string>
#include <string_view>

namespace forms {

// A caption to a double. Blanks around the number, a sign, a decimal point and
// an exponent are accepted; anything else raises TypeMismatch, a value beyond
// the double range raises Overflow.
double toDouble(std::u16string_view text);

// A number back to text as its shortest decimal ("12", "-1", "0").
std::u16string toText(double value);

// a + b, raising the arithmetic run-time error if the floating-point status
// shows an invalid operation, a division by zero or an overflow.
double checkedAdd(double a, double b);

// Raises the arithmetic run-time error for the given floating-point exception flags, if any.
void raiseForFloatStatus(int fenvFlags);

// A number used as a control-array index: rounded half to even; beyond the
// 16-bit index range it raises Overflow.
int toIndex(double value);

// The one-character string for a character code.
std::u16string chr(int code);

} // namespace forms
