// Text and number conversions, and the run-time errors they raise.
#include "testing.h"

#include "forms/error.h"
#include "forms/number_text.h"

#include <cfenv>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

using forms::ErrorNumber;
using testing::errorOf;

namespace {

constexpr int kTypeMismatch = static_cast<int>(ErrorNumber::TypeMismatch);
constexpr int kOverflow = static_cast<int>(ErrorNumber::Overflow);

} // namespace

TEST_CASE("toDouble reads numbers")
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
        {u"\u30005", 5.0}, // an ideographic blank
        {u"2.5", 2.5},
        {u".5", 0.5},
        {u"1E3", 1000.0},
        {u"25e-1", 2.5},
        {u"1D2", 100.0},
        {u"1e-400", 0.0}, // too small to hold: zero
        {u"1.7976931348623157e308", DBL_MAX},
        // Whole numbers are read without from_chars up to 15 digits; both ways agree.
        {u"007", 7.0},
        {u"-999999999999999", -999999999999999.0},
        {u"1234567890123456", 1234567890123456.0},
        {u"12345678901234567890", 12345678901234567890.0},
        {u"-0", -0.0},
    };
    for (const auto& c : cases) {
        CAPTURE(c.text);
        const double read = forms::toDouble(c.text);
        CHECK(read == c.value);
        CHECK(std::signbit(read) == std::signbit(c.value));
    }
}

TEST_CASE("toDouble rejects what is no number")
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
    for (const auto& c : cases) {
        CAPTURE(c.text);
        CHECK(errorOf([&] { forms::toDouble(c.text); }) == c.error);
    }
}

TEST_CASE("toText writes the shortest decimal")
{
    const struct
    {
        double value;
        std::u16string_view text;
    } cases[] = {
        {0.0, u"0"},     {-0.0, u"0"},  {12.0, u"12"}, {-1.0, u"-1"},
        {-12.0, u"-12"}, {0.5, u"0.5"}, {0.1, u"0.1"}, {1e21, u"1E+21"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.value);
        CHECK(forms::toText(c.value) == c.text);
    }
}

TEST_CASE("toText is the shortest text that reads back")
{
    // Against the standard library's shortest form, over values of every size:
    // the program's own way goes through this C library's printf.
    std::mt19937_64 random(20261208);
    int compared = 0, mismatches = 0;
    std::string firstMismatch;
    for (int i = 0; i < 200000; ++i) {
        double value;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (i % 3 == 0)
            value =
                double(std::int64_t(random() % 2000001) - 1000000) / double(1 + random() % 1000);
        if (!std::isfinite(value))
            continue;
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        std::u16string expected;
        for (const char* c = buffer; c != end; ++c)
            expected += char16_t(*c == 'e' ? 'E' : *c);
        if (expected == u"-0")
            expected.erase(0, 1); // no "-0"
        const std::u16string text = forms::toText(value);
        if (text != expected || forms::toDouble(text) != (value == 0 ? 0.0 : value)) {
            if (mismatches++ == 0)
                firstMismatch = std::string(buffer, end) + " written " + testing::utf8(text);
        }
        ++compared;
    }
    INFO("first mismatch: " << firstMismatch);
    CHECK(mismatches == 0);
    CHECK(compared > 150000);
}

TEST_CASE("counts read back as themselves")
{
    for (int n = -12; n <= 12; ++n)
        CHECK(forms::toDouble(forms::toText(n)) == double(n));
}

TEST_CASE("checkedAdd raises on overflow")
{
    CHECK(forms::checkedAdd(11, 1) == 12.0);
    CHECK(forms::checkedAdd(-11, -1) == -12.0);
    CHECK(errorOf([] { forms::checkedAdd(DBL_MAX, DBL_MAX); }) == kOverflow);
    CHECK(errorOf([] { forms::checkedAdd(INFINITY, -INFINITY); }) == kOverflow);
    CHECK(errorOf([] { forms::checkedAdd(INFINITY, 1); }) == kOverflow);
    // A flag left over from earlier work does not count against this addition.
    std::feraiseexcept(FE_OVERFLOW);
    CHECK(forms::checkedAdd(1, 1) == 2.0);
}

TEST_CASE("floating-point status flags")
{
    const struct
    {
        int flags;
        int error;
    } cases[] = {
        {0, 0},
        {FE_INEXACT, 0},
        {FE_INVALID, kOverflow},
        {FE_OVERFLOW, kOverflow},
        {FE_DIVBYZERO, int(ErrorNumber::DivisionByZero)},
    };
    for (const auto& c : cases) {
        CAPTURE(c.flags);
        CHECK(errorOf([&] { forms::raiseForFloatStatus(c.flags); }) == c.error);
    }
}

TEST_CASE("toIndex rounds half to even")
{
    const struct
    {
        double value;
        int index;
        int error;
    } cases[] = {
        {7.0, 7, 0},
        {2.5, 2, 0},
        {3.5, 4, 0},
        {-1.0, -1, 0},
        {40000.0, 0, kOverflow}, // beyond 16 bits
        {NAN, 0, kOverflow},
    };
    for (const auto& c : cases) {
        CAPTURE(c.value);
        int got = 0;
        CHECK(errorOf([&] { got = forms::toIndex(c.value); }) == c.error);
        if (c.error == 0)
            CHECK(got == c.index);
    }
}

TEST_CASE("chr makes one character")
{
    CHECK(forms::chr(13) == std::u16string(u"\r"));
    CHECK(errorOf([] { forms::chr(-1); }) == int(ErrorNumber::InvalidCall));
}

TEST_CASE("the report of a run-time error, in Japanese")
{
    const struct
    {
        ErrorNumber error;
        std::u16string_view text;
    } cases[] = {
        {ErrorNumber::TypeMismatch, u"実行時エラー '13':\n\n型が一致しません。"},
        {ErrorNumber::SubscriptOutOfRange,
         u"実行時エラー '9':\n\nインデックスが有効範囲にありません。"},
        {ErrorNumber::Overflow, u"実行時エラー '6':\n\nオーバーフローしました。"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.text);
        CHECK(forms::reportText(forms::RuntimeError(c.error)) == c.text);
    }
}
