#include "forms/number_text.h"

#include "forms/error.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

namespace {

// The fewest significant decimal digits that read back as `magnitude` (> 0),
// with the power of ten of the first. Whole numbers are counted out directly;
// the rest asks printf for one more digit until the text reads back the same.
// (std::to_chars would do this too, but would bring its tables for every
// floating-point type into the Windows program: about 170 KB.)
void shortestDigits(double magnitude, std::string& digits, int& exponent)
{
    if (magnitude < 1e15 && magnitude == std::floor(magnitude)) {
        digits = std::to_string(static_cast<long long>(magnitude));
        exponent = static_cast<int>(digits.size()) - 1;
        while (digits.size() > 1 && digits.back() == '0')
            digits.pop_back();
        return;
    }
    const char point = *std::localeconv()->decimal_point;
    char buffer[40];
    for (int precision = 0; precision <= 16; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*e", precision, magnitude);
        std::string text = buffer;
        if (point != '.' && text.find(point) != std::string::npos)
            text[text.find(point)] = '.';
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        if (back == magnitude || precision == 16) {
            const std::size_t e = text.find('e');
            digits.clear();
            for (std::size_t i = 0; i < e; ++i)
                if (text[i] != '.')
                    digits += text[i];
            exponent = std::atoi(text.c_str() + e + 1);
            return;
        }
    }
}

} // namespace

// As printf would write it in fixed or in scientific notation, whichever is
// shorter (fixed on a tie), with the fewest digits that read back the same.
std::u16string toText(double value)
{
    if (value == 0)
        return u"0"; // no "-0"
    if (!std::isfinite(value))
        raise(ErrorNumber::Overflow);
    std::string digits;
    int exponent = 0;
    shortestDigits(std::fabs(value), digits, exponent);
    const int count = static_cast<int>(digits.size());

    std::string scientific(1, digits[0]);
    if (count > 1)
        scientific += "." + digits.substr(1);
    scientific += exponent < 0 ? "E-" : "E+";
    if (std::abs(exponent) < 10)
        scientific += '0';
    scientific += std::to_string(std::abs(exponent));

    std::string fixed;
    if (exponent < 0) {
        fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (exponent + 1 < count) {
        fixed = digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
                digits.substr(static_cast<std::size_t>(exponent + 1));
    } else if (exponent < 24) {
        // A whole number written out in full: every digit of its exact value.
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(value));
        fixed = buffer;
    }
    const std::string& shorter =
        !fixed.empty() && fixed.size() <= scientific.size() ? fixed : scientific;

    std::u16string text;
    text.reserve(shorter.size() + 1);
    if (value < 0)
        text += u'-';
    for (char c : shorter)
        text += static_cast<char16_t>(c);
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
