// Text and number conversions, and the run-time errors they raise, as the
// Windows build compiles them.
#include "check.h"

#include "forms/error.h"
#include "forms/number_text.h"

#include <cfenv>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

using check::errorOf;
using forms::ErrorNumber;

namespace {

constexpr int kTypeMismatch = static_cast<int>(ErrorNumber::TypeMismatch);
constexpr int kOverflow = static_cast<int>(ErrorNumber::Overflow);

} // namespace

TEST(toDoubleAcceptsNumbers)
{
    const struct
    {
        std::u16string_view text;
        double value;
    } cases[] = {
        {u"0", 0.0},
        {u"11", 11.0},
        {u"-11", -11.0},
        {u"+3", 3.0},
        {u"  7 ", 7.0},
        {u"\u30005", 5.0},
        {u"2.5", 2.5},
        {u".5", 0.5},
        {u"1E3", 1000.0},
        {u"25e-1", 2.5},
        {u"1D2", 100.0},
        {u"1e-400", 0.0},
        {u"1.7976931348623157e308", DBL_MAX},
    };
    for (const auto& c : cases)
        if (!CHECK_EQ(forms::toDouble(c.text), c.value))
            std::printf("    for %s\n", check::show(c.text).c_str());
}

TEST(toDoubleRejectsWhatIsNoNumber)
{
    const std::u16string nines(400, u'9');
    const struct
    {
        std::u16string_view text;
        int error;
    } cases[] = {
        {u"", kTypeMismatch},    {u"   ", kTypeMismatch},  {u"abc", kTypeMismatch},
        {u"12x", kTypeMismatch}, {u"-", kTypeMismatch},    {u".", kTypeMismatch},
        {u"--1", kTypeMismatch}, {u"1 2", kTypeMismatch},  {u"1e", kTypeMismatch},
        {u"Ｃ", kTypeMismatch},  {u"１", kTypeMismatch},   {u"nan", kTypeMismatch},
        {u"inf", kTypeMismatch}, {u"0x10", kTypeMismatch}, {u"1e309", kOverflow},
        {nines, kOverflow},
    };
    for (const auto& c : cases)
        if (!CHECK_EQ(errorOf([&] { forms::toDouble(c.text); }), c.error))
            std::printf("    for %s\n", check::show(c.text).c_str());
}

TEST(toTextIsTheShortestDecimal)
{
    const struct
    {
        double value;
        std::u16string_view text;
    } cases[] = {
        {0.0, u"0"},     {-0.0, u"0"},  {12.0, u"12"}, {-1.0, u"-1"},
        {-12.0, u"-12"}, {0.5, u"0.5"}, {0.1, u"0.1"}, {1e21, u"1E+21"},
    };
    for (const auto& c : cases)
        CHECK_EQ(forms::toText(c.value), c.text);
    for (int n = -12; n <= 12; ++n)
        CHECK_EQ(forms::toDouble(forms::toText(n)), double(n));
}

TEST(toTextIsTheShortestThatReadsBack)
{
    // Against the standard library's shortest form, over values of every size:
    // the program's own way goes through this C library's printf.
    std::mt19937_64 random(20261208);
    int mismatches = 0;
    for (int i = 0; i < 50000 && mismatches < 5; ++i) {
        double value;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (i % 3 == 0)
            value =
                double(std::int64_t(random() % 2000001) - 1000000) / double(1 + random() % 1000);
        if (!std::isfinite(value) || value == 0)
            continue;
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        std::u16string expected;
        for (const char* c = buffer; c != end; ++c)
            expected += char16_t(*c == 'e' ? 'E' : *c);
        if (!CHECK_EQ(forms::toText(value), expected))
            ++mismatches;
    }
}

TEST(checkedAddRaisesOnOverflow)
{
    CHECK_EQ(forms::checkedAdd(11, 1), 12.0);
    CHECK_EQ(forms::checkedAdd(-11, -1), -12.0);
    CHECK_EQ(errorOf([] { forms::checkedAdd(DBL_MAX, DBL_MAX); }), kOverflow);
    CHECK_EQ(errorOf([] { forms::checkedAdd(INFINITY, -INFINITY); }), kOverflow);
    CHECK_EQ(errorOf([] { forms::checkedAdd(INFINITY, 1); }), kOverflow);
    // A flag left over from earlier work does not count against this addition.
    std::feraiseexcept(FE_OVERFLOW);
    CHECK_EQ(forms::checkedAdd(1, 1), 2.0);
}

TEST(floatStatusFlags)
{
    CHECK_EQ(errorOf([] { forms::raiseForFloatStatus(0); }), 0);
    CHECK_EQ(errorOf([] { forms::raiseForFloatStatus(FE_INEXACT); }), 0);
    CHECK_EQ(errorOf([] { forms::raiseForFloatStatus(FE_INVALID); }), kOverflow);
    CHECK_EQ(errorOf([] { forms::raiseForFloatStatus(FE_OVERFLOW); }), kOverflow);
    CHECK_EQ(errorOf([] { forms::raiseForFloatStatus(FE_DIVBYZERO); }),
             int(ErrorNumber::DivisionByZero));
}

TEST(toIndexRoundsHalfToEven)
{
    CHECK_EQ(forms::toIndex(7.0), 7);
    CHECK_EQ(forms::toIndex(2.5), 2);
    CHECK_EQ(forms::toIndex(3.5), 4);
    CHECK_EQ(forms::toIndex(-1.0), -1);
    CHECK_EQ(errorOf([] { forms::toIndex(40000.0); }), kOverflow);
    CHECK_EQ(errorOf([] { forms::toIndex(NAN); }), kOverflow);
}

TEST(chrMakesOneCharacter)
{
    CHECK_EQ(forms::chr(13), std::u16string(u"\r"));
    CHECK_EQ(errorOf([] { forms::chr(-1); }), int(ErrorNumber::InvalidCall));
}

TEST(reportTextInJapanese)
{
    using forms::RuntimeError;
    CHECK_EQ(forms::reportText(RuntimeError(ErrorNumber::TypeMismatch)),
             std::u16string(u"実行時エラー '13':\n\n型が一致しません。"));
    CHECK_EQ(forms::reportText(RuntimeError(ErrorNumber::SubscriptOutOfRange)),
             std::u16string(u"実行時エラー '9':\n\nインデックスが有効範囲にありません。"));
    CHECK_EQ(forms::reportText(RuntimeError(ErrorNumber::Overflow)),
             std::u16string(u"実行時エラー '6':\n\nオーバーフローしました。"));
}

CHECK_MAIN()
