// A small self-contained test harness for the Windows tests:
//
//   TEST(name) { CHECK(condition); CHECK_EQ(actual, expected); }
//   CHECK_MAIN()
//
// The program runs every test (or those whose names are given on the command
// line), prints each failure with its place, ends with "N passed, N failed"
// and returns nonzero when any test failed.
#pragma once

#include "forms/error.h"

#include <cstdio>
#include <exception>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace check {

struct Case
{
    const char* name;
    void (*run)();
};

inline std::vector<Case>& cases()
{
    static std::vector<Case> all;
    return all;
}

struct Registrar
{
    Registrar(const char* name, void (*run)()) { cases().push_back({name, run}); }
};

inline int& failuresInCase()
{
    static int count = 0;
    return count;
}

inline std::string utf8(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// How a value reads in a failure message.
template <class T> std::string show(const T& value)
{
    using V = std::decay_t<T>;
    if constexpr (std::is_same_v<V, std::u16string> || std::is_same_v<V, std::u16string_view> ||
                  std::is_same_v<V, const char16_t*>) {
        return "u\"" + utf8(value) + "\"";
    } else if constexpr (std::is_same_v<V, std::string> || std::is_same_v<V, std::string_view> ||
                         std::is_same_v<V, const char*>) {
        return "\"" + std::string(value) + "\"";
    } else if constexpr (requires(const V& v) { v.left + v.top + v.right + v.bottom; }) {
        return "{" + std::to_string(value.left) + ", " + std::to_string(value.top) + ", " +
               std::to_string(value.right) + ", " + std::to_string(value.bottom) + "} (ltrb)";
    } else if constexpr (requires(const V& v) { v.left + v.top + v.width + v.height; }) {
        return "{" + std::to_string(value.left) + ", " + std::to_string(value.top) + ", " +
               std::to_string(value.width) + ", " + std::to_string(value.height) + "} (ltwh)";
    } else if constexpr (requires(const V& v) { v.cx + v.cy; }) {
        return std::to_string(value.cx) + " x " + std::to_string(value.cy);
    } else if constexpr (std::is_enum_v<V>) {
        return std::to_string(static_cast<long long>(value));
    } else if constexpr (std::is_same_v<V, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_pointer_v<V>) {
        std::ostringstream out;
        out << static_cast<const void*>(value);
        return out.str();
    } else if constexpr (std::is_arithmetic_v<V>) {
        std::ostringstream out;
        out.precision(17);
        out << value;
        return out.str();
    } else {
        return "(value)";
    }
}

inline void fail(const char* file, int line, const std::string& what)
{
    ++failuresInCase();
    std::printf("  %s:%d: %s\n", file, line, what.c_str());
    std::fflush(stdout);
}

template <class A, class B>
bool equal(const A& actual, const B& expected, const char* file, int line, const char* text)
{
    if (actual == expected)
        return true;
    fail(file, line, std::string(text) + ": got " + show(actual) + ", expected " + show(expected));
    return false;
}

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

inline int runAll(int argc, wchar_t** argv)
{
    int passed = 0, failed = 0;
    for (const Case& c : cases()) {
        if (argc > 1) {
            bool wanted = false;
            for (int i = 1; i < argc; ++i) {
                std::string name;
                for (const wchar_t* p = argv[i]; *p; ++p)
                    name += static_cast<char>(*p);
                wanted = wanted || name == c.name;
            }
            if (!wanted)
                continue;
        }
        failuresInCase() = 0;
        try {
            c.run();
        } catch (const forms::RuntimeError& e) {
            fail(c.name, 0, "run-time error " + std::to_string(static_cast<int>(e.number())));
        } catch (const std::exception& e) {
            fail(c.name, 0, std::string("exception: ") + e.what());
        }
        if (failuresInCase() == 0) {
            ++passed;
        } else {
            ++failed;
            std::printf("FAIL %s\n", c.name);
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

} // namespace check

#define CHECK_CONCAT2(a, b) a##b
#define CHECK_CONCAT(a, b) CHECK_CONCAT2(a, b)

#define TEST(name)                                                                                 \
    static void name();                                                                            \
    static const ::check::Registrar CHECK_CONCAT(name, _registrar)(#name, &name);                  \
    static void name()

#define CHECK(condition)                                                                           \
    ((condition) ? true : (::check::fail(__FILE__, __LINE__, "CHECK(" #condition ")"), false))

#define CHECK_EQ(actual, expected)                                                                 \
    ::check::equal((actual), (expected), __FILE__, __LINE__, #actual " == " #expected)

#define CHECK_MAIN()                                                                               \
    int wmain(int argc, wchar_t** argv)                                                            \
    {                                                                                              \
        return ::check::runAll(argc, argv);                                                        \
    }
