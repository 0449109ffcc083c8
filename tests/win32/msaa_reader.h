// What the Windows screen-reader tests share: reading an element through
// IAccessible as a screen reader does, and what each control of the main
// window should say for a state of the key table and where it should stand.
#pragma once

#include "key_table_model.h"

#include "forms/form.h"
#include "forms/geometry.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <ole2.h>
#include <oleacc.h>

#include <doctest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// A box as the tests' messages show it.
namespace doctest {

template <> struct StringMaker<RECT>
{
    static String convert(const RECT& r)
    {
        return ("{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
                std::to_string(r.right) + ", " + std::to_string(r.bottom) + "} (ltrb)")
            .c_str();
    }
};

} // namespace doctest

namespace msaa {

// An element: an object and a child id of it (CHILDID_SELF for the object).
struct Element
{
    IAccessible* object;
    long id;
};

inline VARIANT childId(long id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// A BSTR property, "<HRESULT>" when the call fails and "" when there is none.
template <class Getter> std::u16string text(Getter&& get)
{
    BSTR value = nullptr;
    const HRESULT hr = get(&value);
    if (FAILED(hr)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "<error 0x%08lx>", static_cast<unsigned long>(hr));
        return std::u16string(buffer, buffer + std::strlen(buffer));
    }
    std::u16string result;
    if (value != nullptr)
        result.assign(reinterpret_cast<const char16_t*>(value), SysStringLen(value));
    SysFreeString(value);
    return result;
}

inline std::u16string name(Element e)
{
    return text([&](BSTR* out) { return e.object->get_accName(childId(e.id), out); });
}

inline std::u16string description(Element e)
{
    return text([&](BSTR* out) { return e.object->get_accDescription(childId(e.id), out); });
}

inline std::u16string defaultAction(Element e)
{
    return text([&](BSTR* out) { return e.object->get_accDefaultAction(childId(e.id), out); });
}

// A role or state; -1 when the call fails.
inline long role(Element e)
{
    VARIANT v;
    VariantInit(&v);
    if (FAILED(e.object->get_accRole(childId(e.id), &v)) || v.vt != VT_I4)
        return -1;
    return v.lVal;
}

inline long state(Element e)
{
    VARIANT v;
    VariantInit(&v);
    if (FAILED(e.object->get_accState(childId(e.id), &v)) || v.vt != VT_I4)
        return -1;
    return v.lVal;
}

// The element's box on the screen, as left, top, right, bottom.
inline RECT location(Element e)
{
    LONG x = 0, y = 0, w = 0, h = 0;
    if (FAILED(e.object->accLocation(&x, &y, &w, &h, childId(e.id))))
        return {-1, -1, -1, -1};
    return {x, y, x + w, y + h};
}

inline long childCount(IAccessible* object)
{
    LONG count = -1;
    if (FAILED(object->get_accChildCount(&count)))
        return -1;
    return count;
}

// Waits, running the thread's messages, until `condition` holds or `limit` passes.
template <class Condition>
bool until(Condition&& condition, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (true) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Runs the thread's messages for a while.
inline void runFor(std::chrono::milliseconds time)
{
    until([] { return false; }, time);
}

// The notes in words, by row.
inline const std::u16string kWords[12] = {
    u"C", u"C sharp or D flat", u"D", u"D sharp or E flat", u"E", u"F", u"F sharp or G flat",
    u"G", u"G sharp or A flat", u"A", u"A sharp or B flat", u"B",
};

inline std::u16string number(int n)
{
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

inline std::u16string column(int k)
{
    return u"Converted_" + number(k);
}

// The rows a reader sees, in order: every control of the layout but the lines.
inline std::vector<const forms::ControlRow*> readable(const forms::FormLayout& layout)
{
    std::vector<const forms::ControlRow*> rows;
    for (const forms::ControlRow& row : layout.controls)
        if (row.kind != forms::ControlKind::Line)
            rows.push_back(&row);
    return rows;
}

inline std::u16string displayName(const forms::ControlRow& row)
{
    std::string text(row.name);
    if (row.index != forms::kNoIndex)
        text += "(" + std::to_string(row.index) + ")";
    return std::u16string(text.begin(), text.end());
}

// What a control of the main window says while the key table is in `table`.
inline std::u16string expectedName(const forms::ControlRow& row, const model::KeyTableModel& table)
{
    const std::string_view n = row.name;
    auto cell = [&](int row_, int shown) {
        return kWords[((shown % 12) + 12) % 12] +
               (table.marked[static_cast<std::size_t>(row_)] ? u", marked" : u"");
    };
    if (n == "org")
        return cell(row.index, row.index);
    if (n == "conv") {
        const int k = row.index / 20, r = row.index % 20;
        return cell(r, r + table.counts[static_cast<std::size_t>(k)]);
    }
    if (n == "Label100")
        return u"Original";
    if (n == "Label101")
        return column(row.index + 1);
    if (n == "reset")
        return u"Reset";
    if (n == "help_pb")
        return u"Help";
    const int k = n.back() - '0';
    if (n.starts_with("ud_"))
        return column(k) + u" shift " + number(table.counts[static_cast<std::size_t>(k - 1)]);
    return (n.starts_with("up_") ? u"Up, " : u"Down, ") + column(k);
}

inline bool isButton(const forms::ControlRow& row)
{
    return row.kind == forms::ControlKind::CommandButton;
}

// What a control's description says: what a button does, chain included, and
// the key of an Original note; nothing for the rest, never a layout name.
inline std::u16string expectedDescription(const forms::ControlRow& row)
{
    static const char16_t* const keys[12] = {u"C",       u"Shift+C", u"D",       u"Shift+D",
                                             u"E",       u"F",       u"Shift+F", u"G",
                                             u"Shift+G", u"A",       u"Shift+A", u"B"};
    const std::string_view n = row.name;
    if (n == "org")
        return u"Key " + std::u16string(keys[row.index]);
    if (n == "reset")
        return u"Sets every count to 0 and clears every mark";
    if (n == "help_pb")
        return u"Opens a short usage text";
    if (!isButton(row))
        return u"";
    const int first = n.back() - '0';
    std::u16string text = n.starts_with("up_") ? u"Raises " : u"Lowers ";
    for (int k = first; k <= 3; ++k)
        text += (k == first ? u"" : k == 3 ? u" and " : u", ") + column(k);
    return text + u" by a semitone";
}

// The child of a button by the name its own window's object says.
inline long idOfButtonNamed(const std::vector<const forms::ControlRow*>& rows,
                            std::u16string_view name)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (isButton(*rows[i]) && expectedName(*rows[i], {}) == name)
            return static_cast<long>(i) + 1;
    return 0;
}

// What pressing it is called: buttons "Press", Original cells "Mark" or
// "Unmark", nothing for the rest.
inline std::u16string expectedAction(const forms::ControlRow& row,
                                     const model::KeyTableModel& table)
{
    if (isButton(row))
        return u"Press";
    if (row.name == "org")
        return table.marked[static_cast<std::size_t>(row.index)] ? u"Unmark" : u"Mark";
    return u"";
}

// The layout's box of a control in client pixels at a density.
inline RECT layoutBox(const forms::ControlRow& row, int dpi)
{
    const forms::PixelRect r = forms::Scale{dpi}.box(row.rect);
    return {r.left, r.top, r.right, r.bottom};
}

// Whether a box on the screen stands where the layout puts the control, for a
// window at `dpi` whose client area's top-left corner is at `origin`. A label
// that fits itself to its text keeps its top and the edge (or the middle) its
// alignment names.
inline bool boxFits(const forms::ControlRow& row, RECT box, POINT origin, int dpi)
{
    OffsetRect(&box, -origin.x, -origin.y);
    const RECT want = layoutBox(row, dpi);
    if (!row.style->autoSize)
        return EqualRect(&box, &want) != FALSE;
    if (box.top != want.top || box.right <= box.left || box.bottom <= box.top)
        return false;
    if (row.style->alignment == forms::AlignCenter)
        return std::abs((box.left + box.right) - (want.left + want.right)) <= 1;
    if (row.style->alignment == forms::AlignRight)
        return box.right == want.right;
    return box.left == want.left;
}

} // namespace msaa
