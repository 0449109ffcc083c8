// Run-time errors: what a failed control operation, an index outside a
// control array or a text that is not a number raise. Nothing in the program
// catches them; the event boundary turns them into the fatal error report.
#pragma once

#include <stdexcept>
#include <string>

namespace forms {

enum class ErrorNumber : int
{
    InvalidCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    TypeMismatch = 13,
    InvalidPropertyValue = 380,
    ObjectNotLoaded = 364,
    WindowOperationFailed = 1000,
};

class RuntimeError : public std::runtime_error
{
public:
    explicit RuntimeError(ErrorNumber number);

    ErrorNumber number() const { return number_; }
    // The description in the program's language (Japanese).
    std::u16string description() const;

private:
    ErrorNumber number_;
};

[[noreturn]] void raise(ErrorNumber number);

std::u16string describe(ErrorNumber number);

// The text of the fatal error report: number and description.
std::u16string reportText(const RuntimeError& error);

} // namespace forms
