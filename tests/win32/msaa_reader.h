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

// An event as a reader gets it, with what it reads of the element then.
struct Heard
{
    DWORD event;
    HWND root; // the top-level window of the event's window
    HWND hwnd;
    LONG object;
    LONG child;
    std::u16string name; // as read when the event came
    std::u16string description;
    long role;
};

inline std::vector<Heard>* listening = nullptr;

inline void CALLBACK hear(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                          DWORD)
{
    if (listening == nullptr)
        return;
    std::u16string name, description;
    long role = -1;
    IAccessible* found = nullptr;
    VARIANT id;
    VariantInit(&id);
    if (SUCCEEDED(AccessibleObjectFromEvent(hwnd, static_cast<DWORD>(object),
                                            static_cast<DWORD>(child), &found, &id)) &&
        found != nullptr) {
        const Element element{found, id.vt == VT_I4 ? id.lVal : CHILDID_SELF};
        name = msaa::name(element);
        description = msaa::description(element);
        role = msaa::role(element);
        found->Release();
    }
    listening->push_back(
        {event, GetAncestor(hwnd, GA_ROOT), hwnd, object, child, name, description, role});
}

// What a reader hears from a process (this one unless told) while it lives.
class Listener
{
public:
    // Out of context, events come after the handler that raised them, as a
    // screen reader gets them; in context (this process only), at once.
    explicit Listener(DWORD context = WINEVENT_OUTOFCONTEXT, DWORD process = GetCurrentProcessId())
        : hook_(SetWinEventHook(EVENT_MIN, EVENT_MAX,
                                context == WINEVENT_INCONTEXT ? GetModuleHandleW(nullptr) : nullptr,
                                &hear, process, 0, context))
    {
        listening = &heard;
    }
    ~Listener()
    {
        UnhookWinEvent(hook_);
        listening = nullptr;
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    bool hooked() const { return hook_ != nullptr; }

    // The events a reader acts on, of a window's or its controls' client areas.
    std::vector<Heard> told(HWND window) const
    {
        std::vector<Heard> found;
        for (const Heard& h : heard)
            if ((h.hwnd == window || h.root == window) && h.object == OBJID_CLIENT &&
                (h.event == EVENT_OBJECT_FOCUS || h.event == EVENT_OBJECT_NAMECHANGE ||
                 h.event == EVENT_OBJECT_DESCRIPTIONCHANGE || h.event == EVENT_OBJECT_SHOW ||
                 h.event == EVENT_OBJECT_HIDE))
                found.push_back(h);
        return found;
    }

    // Runs the messages until nothing new has come for a while.
    void settle()
    {
        std::size_t seen = heard.size();
        int quiet = 0;
        until([&] {
            quiet = heard.size() == seen ? quiet + 1 : 0;
            seen = heard.size();
            return quiet >= 15;
        });
    }

    std::vector<Heard> heard;

private:
    HWINEVENTHOOK hook_;
};

inline std::string eventName(DWORD event)
{
    switch (event) {
    case EVENT_OBJECT_FOCUS:
        return "EVENT_OBJECT_FOCUS";
    case EVENT_OBJECT_NAMECHANGE:
        return "EVENT_OBJECT_NAMECHANGE";
    case EVENT_OBJECT_DESCRIPTIONCHANGE:
        return "EVENT_OBJECT_DESCRIPTIONCHANGE";
    case EVENT_OBJECT_SHOW:
        return "EVENT_OBJECT_SHOW";
    case EVENT_OBJECT_HIDE:
        return "EVENT_OBJECT_HIDE";
    case EVENT_OBJECT_STATECHANGE:
        return "EVENT_OBJECT_STATECHANGE";
    case EVENT_SYSTEM_FOREGROUND:
        return "EVENT_SYSTEM_FOREGROUND";
    case EVENT_SYSTEM_CAPTURESTART:
        return "EVENT_SYSTEM_CAPTURESTART";
    case EVENT_SYSTEM_CAPTUREEND:
        return "EVENT_SYSTEM_CAPTUREEND";
    default:
        return "another event";
    }
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
        return column(row.index + 1) + u", shift " +
               number(table.counts[static_cast<std::size_t>(row.index)]);
    if (n == "reset")
        return u"Reset";
    if (n == "help_pb")
        return u"Help";
    const int k = n.back() - '0';
    if (n.starts_with("ud_"))
        return column(k) + u" shift " + number(table.counts[static_cast<std::size_t>(k - 1)]);
    return (n.starts_with("up_") ? u"Up, " : u"Down, ") + column(k);
}

// What a control of the main window says it does: a button its action with
// its chain, an Original cell its column and the key that marks it, a
// converted cell its column and row, nothing for the rest.
inline std::u16string expectedDescription(const forms::ControlRow& row,
                                          const model::KeyTableModel& table)
{
    const std::string_view n = row.name;
    if (n == "org") {
        static const char16_t* const kKeys[12] = {u"C",       u"Shift+C", u"D",       u"Shift+D",
                                                  u"E",       u"F",       u"Shift+F", u"G",
                                                  u"Shift+G", u"A",       u"Shift+A", u"B"};
        return u"Original. Key " + std::u16string(kKeys[row.index]);
    }
    if (n == "conv") {
        const int k = row.index / 20, r = row.index % 20;
        const bool marked = table.marked[static_cast<std::size_t>(r)];
        return column(k + 1) + u", shift " + number(table.counts[static_cast<std::size_t>(k)]) +
               u", row " + kWords[r] + (marked ? u", marked" : u"");
    }
    if (n == "reset")
        return u"Sets every count to 0 and clears every mark";
    if (n == "help_pb")
        return u"Opens a short usage text";
    if (!n.starts_with("up_") && !n.starts_with("dn_"))
        return u"";
    static const char16_t* const kChains[3] = {u"Converted_1, Converted_2 and Converted_3",
                                               u"Converted_2 and Converted_3", u"Converted_3"};
    return (n.starts_with("up_") ? u"Raises " : u"Lowers ") +
           std::u16string(kChains[n.back() - '1']) + u" by a semitone";
}

inline bool isButton(const forms::ControlRow& row)
{
    return row.kind == forms::ControlKind::CommandButton;
}

// What a reader takes it for: the chart's cells and headings as a table's.
inline long expectedRole(const forms::ControlRow& row)
{
    if (isButton(row))
        return ROLE_SYSTEM_PUSHBUTTON;
    if (row.name == "org" || row.name == "conv")
        return ROLE_SYSTEM_CELL;
    return row.name.starts_with("Label") ? ROLE_SYSTEM_COLUMNHEADER : ROLE_SYSTEM_STATICTEXT;
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
