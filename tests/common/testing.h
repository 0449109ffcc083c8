// What every test source includes: doctest, UTF-16 text and lists readable in
// its messages, and the run-time error a call raises.
#pragma once

#include "forms/error.h"
#include "test_platform.h"
#include "utf8.h"

#include <doctest.h>

#include <string>
#include <string_view>
#include <vector>

namespace doctest {

template <> struct StringMaker<std::u16string_view>
{
    static String convert(std::u16string_view text)
    {
        return ("u\"" + testing::utf8(text) + "\"").c_str();
    }
};

template <> struct StringMaker<std::u16string>
{
    static String convert(const std::u16string& text)
    {
        return StringMaker<std::u16string_view>::convert(text);
    }
};

template <class T> struct StringMaker<std::vector<T>>
{
    static String convert(const std::vector<T>& items)
    {
        String out = "{";
        for (std::size_t i = 0; i < items.size(); ++i)
            out += (i > 0 ? ", " : "") + toString(items[i]);
        return out + "}";
    }
};

template <> struct StringMaker<testplatform::Size>
{
    static String convert(const testplatform::Size& s)
    {
        return (std::to_string(s.width) + " x " + std::to_string(s.height)).c_str();
    }
};

template <> struct StringMaker<testplatform::Point>
{
    static String convert(const testplatform::Point& p)
    {
        return ("(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")").c_str();
    }
};

template <> struct StringMaker<testplatform::Box>
{
    static String convert(const testplatform::Box& b)
    {
        return ("{" + std::to_string(b.left) + ", " + std::to_string(b.top) + ", " +
                std::to_string(b.right) + ", " + std::to_string(b.bottom) + "} (ltrb)")
            .c_str();
    }
};

} // namespace doctest

namespace testing {

// The number of the run-time error a call raises, 0 when it raises none.
template <class F> int errorOf(F&& f)
{
    try {
        f();
    } catch (const forms::RuntimeError& e) {
        return static_cast<int>(e.number());
    }
    return 0;
}

} // namespace testing
