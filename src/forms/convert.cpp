#include "forms/convert.h"

#include "forms/error.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace forms {

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

double toDouble(std::u16string_view text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;

    // Counts are short whole numbers: read those at once. Up to 15 digits the
    // value is exact, the same that from_chars gives.
    {
        std::size_t j = begin;
        const bool minus = j < end && text[j] == u'-';
        if (j < end && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < end && end - j <= 15 &&
            std::all_of(text.begin() + static_cast<std::ptrdiff_t>(j),
                        text.begin() + static_cast<std::ptrdiff_t>(end), isDigit)) {
            std::int64_t whole = 0;
            for (; j < end; ++j)
                whole = whole * 10 + (text[j] - u'0');
            const double value = static_cast<double>(whole);
            return minus ? -value : value;
        }
    }

    // Validate the grammar on the UTF-16 text and copy it to ASCII for from_chars,
    // noting the power of ten of the first significant digit to tell an overflow
    // from an underflow.
    std::string ascii;
    ascii.reserve(end - begin);
    std::size_t i = begin;
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::size_t digits = 0;
    long magnitude = 0;
    bool significant = false;
    while (i < end && isDigit(text[i])) {
        significant = significant || text[i] != u'0';
        if (significant)
            ++magnitude;
        ascii += static_cast<char>(text[i++]);
        ++digits;
    }
    if (i < end && text[i] == u'.') {
        ascii += '.';
        ++i;
        while (i < end && isDigit(text[i])) {
            if (!significant && text[i] != u'0')
                significant = true;
            else if (!significant)
                --magnitude;
            ascii += static_cast<char>(text[i++]);
            ++digits;
        }
    }
    if (digits == 0)
        raise(ErrorNumber::TypeMismatch);
    if (i < end && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        ascii += 'e';
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            ascii += static_cast<char>(text[i++]);
        }
        std::size_t expDigits = 0;
        long exponent = 0;
        while (i < end && isDigit(text[i])) {
            exponent = std::min(exponent * 10 + (text[i] - u'0'), 100000L);
            ascii += static_cast<char>(text[i++]);
            ++expDigits;
        }
        if (expDigits == 0)
            raise(ErrorNumber::TypeMismatch);
        magnitude += negativeExponent ? -exponent : exponent;
    }
    if (i != end)
        raise(ErrorNumber::TypeMismatch);

    double value = 0;
    auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec == std::errc::result_out_of_range) {
        if (magnitude > 0)
            raise(ErrorNumber::Overflow);
        value = 0; // too small to hold: it is zero
    } else if (ec != std::errc() || ptr != ascii.data() + ascii.size()) {
        raise(ErrorNumber::TypeMismatch);
    }
    return negative ? -value : value;
}

std::u16string toText(double value)
{
    if (value == 0)
        return u"0"; // no "-0"
    char buffer[32];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc())
        raise(ErrorNumber::Overflow);
    std::u16string text;
    text.reserve(static_cast<std::size_t>(ptr - buffer));
    for (const char* p = buffer; p != ptr; ++p)
        text += static_cast<char16_t>(*p == 'e' ? 'E' : *p);
    return text;
}

void raiseForFloatStatus(int flags)
{
    if (flags & FE_DIVBYZERO)
        raise(ErrorNumber::DivisionByZero);
    if (flags & (FE_INVALID | FE_OVERFLOW))
        raise(ErrorNumber::Overflow);
}

double checkedAdd(double a, double b)
{
    std::feclearexcept(FE_ALL_EXCEPT);
    // volatile keeps the addition between the clear and the test.
    volatile double sum = a + b;
    raiseForFloatStatus(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW));
    // An infinite operand raises no flag but is no count either.
    if (!std::isfinite(sum))
        raise(ErrorNumber::Overflow);
    return sum;
}

int toIndex(double value)
{
    if (!(value >= std::numeric_limits<std::int16_t>::min() - 0.5 &&
          value < std::numeric_limits<std::int16_t>::max() + 0.5))
        raise(ErrorNumber::Overflow);
    return static_cast<int>(std::nearbyint(value)); // the default rounding is half to even
}

std::u16string chr(int code)
{
    if (code < 0 || code > 0xFFFF)
        raise(ErrorNumber::InvalidCall);
    return std::u16string(1, static_cast<char16_t>(code));
}

} // namespace forms
