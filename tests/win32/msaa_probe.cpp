// MARELO.exe as a screen reader finds it: from another process, through
// Microsoft Active Accessibility. Starts the program, reads the tree of its
// main window (every name, description, role, state, action and box), presses
// controls through their default action and follows the names, reads the help
// window line by line, and checks that objects of a closed window fail
// cleanly. The cases share one run of the program and go in the order they
// are written.
//   msaa_probe PATH-OF-MARELO.exe [doctest options]
#define DOCTEST_CONFIG_IMPLEMENT
#include "help_text_expected.h"
#include "msaa_reader.h"
#include "testing.h"

#include "forms/win32/win32_system.h"
#include "ui/layouts.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using msaa::Element;

inline bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

namespace {

std::wstring programPath;

std::string utf8(std::wstring_view text)
{
    return testing::utf8({reinterpret_cast<const char16_t*>(text.data()), text.size()});
}

std::string hex(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lx", static_cast<unsigned long>(hr));
    return buffer;
}

struct Session
{
    PROCESS_INFORMATION process{};
    HWND main = nullptr;
    IAccessible* root = nullptr;
    model::KeyTableModel table;
    const std::vector<const forms::ControlRow*> rows = msaa::readable(ui::kMainLayout);
    // Where a reader finds each of `rows`: a child of the client area, or of
    // one of the chart's rows; and the objects of the chart and its rows.
    std::vector<msaa::Element> at;
    std::vector<IAccessible*> objects;
    // What a reader hears of the program from its very start.
    std::unique_ptr<msaa::Listener> reader;
    std::vector<msaa::Heard> heardAtStart;

    // Lets go of the program, ending it if a failed test left it running.
    void finish()
    {
        reader.reset();
        for (IAccessible* object : objects)
            object->Release();
        objects.clear();
        at.clear();
        if (root != nullptr)
            root->Release();
        root = nullptr;
        if (process.hProcess != nullptr) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
            process = {};
        }
    }

    msaa::Element element(std::string_view name, int index = forms::kNoIndex) const
    {
        for (std::size_t i = 0; i < rows.size() && i < at.size(); ++i)
            if (rows[i]->name == name && rows[i]->index == index)
                return at[i];
        return {root, 0};
    }
};

Session& session()
{
    static Session s;
    return s;
}

// Under Wine the program's path comes as a Unix path; Wine names its DOS twin.
std::wstring dosPath(const std::wstring& path)
{
    using ToDos = LPWSTR(CDECL*)(LPCSTR);
    auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_dos_file_name")));
    if (toDos == nullptr || path.empty() || path[0] != L'/')
        return path;
    char unix[MAX_PATH * 4] = {};
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, unix, sizeof unix, nullptr, nullptr);
    LPWSTR dos = toDos(unix);
    if (dos == nullptr)
        return path;
    std::wstring result = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

// The program's visible top-level window with this title.
HWND windowTitled(const wchar_t* title)
{
    struct Search
    {
        const wchar_t* title;
        DWORD pid;
        HWND found;
    } search{title, session().process.dwProcessId, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            wchar_t text[64] = {};
            GetWindowTextW(hwnd, text, 64);
            if (pid == s.pid && IsWindowVisible(hwnd) && std::wstring(text) == s.title) {
                s.found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

IAccessible* clientObject(HWND hwnd)
{
    IAccessible* object = nullptr;
    const HRESULT hr =
        AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&object));
    if (FAILED(hr)) {
        MESSAGE("AccessibleObjectFromWindow failed: ", hex(hr));
        return nullptr;
    }
    return object;
}

// The screen's density as the program draws at it. Wine 8 gives another
// process's window as 96 dpi whatever it is drawn at; the screen's own is
// the system's, which the program follows.
int screenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

POINT clientOrigin(HWND hwnd)
{
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    return origin;
}

// The main window's controls in the order a reader goes through them: the
// chart stands where its first control is declared, its headings first,
// then row by row.
std::vector<std::pair<std::string_view, int>> readingOrder()
{
    std::vector<std::pair<std::string_view, int>> order{{"help_pb", forms::kNoIndex},
                                                        {"up_1", forms::kNoIndex},
                                                        {"dn_1", forms::kNoIndex},
                                                        {"Label100", forms::kNoIndex},
                                                        {"Label101", 0},
                                                        {"Label101", 1},
                                                        {"Label101", 2}};
    for (int r = 0; r < 12; ++r)
        for (int column : {-1, 0, 20, 40})
            order.emplace_back(column < 0 ? "org" : "conv", column < 0 ? r : column + r);
    for (std::string_view rest : {"ud_1", "up_2", "dn_2", "dn_3", "up_3", "ud_2", "ud_3", "reset"})
        order.emplace_back(rest, forms::kNoIndex);
    return order;
}

// Every simple element under `parent`, in order, as a reader walks the tree;
// the objects met on the way are kept.
void collect(IAccessible* parent, std::vector<msaa::Element>& found,
             std::vector<IAccessible*>& objects)
{
    std::vector<VARIANT> children(static_cast<std::size_t>(msaa::childCount(parent)));
    LONG got = 0;
    AccessibleChildren(parent, 0, static_cast<LONG>(children.size()), children.data(), &got);
    for (LONG i = 0; i < got; ++i) {
        VARIANT& child = children[static_cast<std::size_t>(i)];
        if (child.vt == VT_I4) {
            found.push_back({parent, child.lVal});
            continue;
        }
        IAccessible* object = nullptr;
        if (child.vt == VT_DISPATCH && child.pdispVal != nullptr)
            child.pdispVal->QueryInterface(__uuidof(IAccessible),
                                           reinterpret_cast<void**>(&object));
        VariantClear(&child);
        if (object != nullptr) {
            objects.push_back(object);
            collect(object, found, objects);
        }
    }
}

// The element a reader reaches at a point of the screen, going down from
// the client area through the objects the hit tests give.
msaa::Element hitAt(IAccessible* root, POINT at, std::vector<IAccessible*>& objects)
{
    IAccessible* object = root;
    for (;;) {
        VARIANT hit;
        VariantInit(&hit);
        if (object->accHitTest(at.x, at.y, &hit) != S_OK)
            return {object, -1};
        if (hit.vt == VT_I4)
            return {object, hit.lVal};
        IAccessible* inner = nullptr;
        if (hit.vt == VT_DISPATCH && hit.pdispVal != nullptr)
            hit.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&inner));
        VariantClear(&hit);
        if (inner == nullptr)
            return {object, -1};
        objects.push_back(inner);
        object = inner;
    }
}

// A control of the help window's layout.
const forms::ControlRow& helpRow(std::string_view name)
{
    const auto& rows = ui::kHelpLayout.controls;
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [&](const forms::ControlRow& row) { return row.name == name; });
    REQUIRE(found != rows.end());
    return *found;
}

// The first few names of the main window that differ from what the model
// says, one a line; empty when every name is as it says.
std::string namesUnlikeTheModel()
{
    Session& s = session();
    std::string unlike;
    int shown = 0;
    for (std::size_t i = 0; i < s.rows.size() && i < s.at.size() && shown < 5; ++i) {
        const std::u16string got = msaa::name(s.at[i]);
        const std::u16string want = msaa::expectedName(*s.rows[i], s.table);
        if (got != want) {
            ++shown;
            unlike += testing::utf8(msaa::displayName(*s.rows[i])) + " says \"" +
                      testing::utf8(got) + "\", expected \"" + testing::utf8(want) + "\"\n";
        }
    }
    return unlike;
}

std::vector<std::string> toldOfFocus(const std::vector<msaa::Heard>& heard);

// Presses a control through its default action, then waits for every name to
// follow and, when given, for the element with the focus to tell `announced`.
void pressAndFollow(std::string_view name, int index, model::Step step,
                    const std::string& announced = "")
{
    Session& s = session();
    s.reader->heard.clear();
    INFO("pressing ", std::string(name),
         index != forms::kNoIndex ? "(" + std::to_string(index) + ")" : "");
    const msaa::Element e = s.element(name, index);
    CHECK(e.id != 0);
    CHECK_EQ(e.object->accDoDefaultAction(msaa::childId(e.id)), S_OK);
    s.table.apply(step);
    std::string unlike;
    msaa::until([&] {
        unlike = namesUnlikeTheModel();
        return unlike.empty();
    });
    CHECK_EQ(unlike, std::string());
    if (announced.empty())
        return;
    std::vector<std::string> told;
    CAPTURE(told);
    CHECK(msaa::until([&] {
        told = toldOfFocus(s.reader->heard);
        return std::any_of(told.begin(), told.end(), [&](const std::string& line) {
            return line.starts_with("EVENT_OBJECT_DESCRIPTIONCHANGE ") &&
                   line.ends_with(" \"" + announced + "\"");
        });
    }));
}

// Keys as the keyboard gives them, to the window in the foreground: each
// pressed in turn and released in the reverse order.
void keys(std::initializer_list<WORD> codes, int downs = 1)
{
    std::vector<INPUT> inputs;
    auto add = [&](WORD code, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(code, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD code : codes)
        add(code, 0);
    // A key held down: the keyboard repeats its last press.
    for (int repeat = 1; repeat < downs; ++repeat)
        add(*std::rbegin(codes), 0);
    for (auto code = std::rbegin(codes); code != std::rend(codes); ++code)
        add(*code, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The program's window that has the keyboard focus: a button's own, or a
// window's client area.
HWND focusedWindow()
{
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(session().process.dwThreadId, &gui) ? gui.hwndFocus : nullptr;
}

// What a reader speaks of the element with the focus: the focus coming to it
// and the changes of its name and description, each with what it read then.
// Wine hands another process's events over in an order of its own, so they
// are sorted.
std::vector<std::string> toldOfFocus(const std::vector<msaa::Heard>& heard)
{
    const HWND focus = focusedWindow();
    std::vector<std::string> told;
    for (const msaa::Heard& h : heard)
        if (h.hwnd == focus && h.object == OBJID_CLIENT && h.child == CHILDID_SELF &&
            (h.event == EVENT_OBJECT_FOCUS || h.event == EVENT_OBJECT_NAMECHANGE ||
             h.event == EVENT_OBJECT_DESCRIPTIONCHANGE))
            told.push_back(msaa::eventName(h.event) + " \"" + testing::utf8(h.name) + "\" \"" +
                           testing::utf8(h.description) + "\"" +
                           (h.role == ROLE_SYSTEM_DIALOG ? " dialog" : ""));
    std::sort(told.begin(), told.end());
    return told;
}

} // namespace

TEST_CASE("the program starts and its main window answers")
{
    Session& s = session();
    const std::wstring exe = dosPath(programPath);
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    INFO("starting ", utf8(exe));
    REQUIRE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                           nullptr, nullptr, &startup, &s.process));
    s.reader = std::make_unique<msaa::Listener>(WINEVENT_OUTOFCONTEXT, s.process.dwProcessId);
    CHECK(s.reader->hooked());
    ResumeThread(s.process.hThread);
    WaitForInputIdle(s.process.hProcess, 20000);
    CHECK(msaa::until([&] { return (s.main = windowTitled(L"Marelo")) != nullptr; }));
    // The focus is on Down under Converted_1 once the window is active.
    CHECK(msaa::until([&] {
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        return GetGUIThreadInfo(s.process.dwThreadId, &gui) && gui.hwndFocus != nullptr &&
               gui.hwndFocus != s.main;
    }));
    if (s.main != nullptr)
        s.root = clientObject(s.main);
    CHECK(s.root != nullptr);
    if (s.root != nullptr) {
        std::vector<msaa::Element> found;
        collect(s.root, found, s.objects);
        const auto order = readingOrder();
        REQUIRE_EQ(found.size(), order.size());
        for (const forms::ControlRow* row : s.rows) {
            const auto place = std::find(order.begin(), order.end(),
                                         std::pair<std::string_view, int>(row->name, row->index));
            REQUIRE(place != order.end());
            s.at.push_back(found[static_cast<std::size_t>(place - order.begin())]);
        }
    }
    s.reader->settle();
    s.heardAtStart = s.reader->heard;
}

TEST_CASE("the client area holds every control but the lines")
{
    Session& s = session();
    REQUIRE(s.root != nullptr);
    const Element root{s.root, CHILDID_SELF};
    CHECK_EQ(msaa::role(root), long(ROLE_SYSTEM_CLIENT));
    CHECK_EQ(msaa::name(root), std::u16string(u"Marelo"));
    CHECK_EQ(msaa::state(root) & STATE_SYSTEM_INVISIBLE, 0L);
    RECT client{};
    GetClientRect(s.main, &client);
    const POINT origin = clientOrigin(s.main);
    OffsetRect(&client, origin.x, origin.y);
    CHECK_EQ(msaa::location(root), client);

    // 3 shift labels and 8 buttons as simple elements, and the chart, an
    // object of its own: a row of 4 headings, then 12 rows of 4 cells (the
    // session's walk found them in that order).
    CHECK_EQ(msaa::childCount(s.root), 12L);
    REQUIRE_EQ(s.objects.size(), std::size_t(14));
    CHECK_EQ(msaa::role({s.objects[0], CHILDID_SELF}), long(ROLE_SYSTEM_TABLE));
    CHECK_EQ(msaa::name({s.objects[0], CHILDID_SELF}), std::u16string(u"Key chart"));
    for (std::size_t r = 1; r < s.objects.size(); ++r) {
        INFO("row ", r - 1);
        CHECK_EQ(msaa::role({s.objects[r], CHILDID_SELF}), long(ROLE_SYSTEM_ROW));
        CHECK_EQ(msaa::name({s.objects[r], CHILDID_SELF}),
                 r == 1 ? std::u16string() : msaa::kWords[r - 2]);
    }
    // A reader goes up from a row to the table.
    IDispatch* parent = nullptr;
    CHECK_EQ(s.objects.back()->get_accParent(&parent), S_OK);
    IAccessible* table = nullptr;
    if (parent != nullptr) {
        parent->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&table));
        parent->Release();
    }
    CHECK((table != nullptr && msaa::childCount(table) == 13L));
    if (table != nullptr)
        table->Release();
}

TEST_CASE("every control says what it is and stands in its place")
{
    Session& s = session();
    REQUIRE(s.root != nullptr);
    const POINT origin = clientOrigin(s.main);
    const int dpi = screenDpi();
    CAPTURE(dpi);
    int cells = 0, counts = 0, buttons = 0;
    for (std::size_t i = 0; i < s.rows.size() && i < s.at.size(); ++i) {
        const forms::ControlRow& row = *s.rows[i];
        const Element e = s.at[i];
        // Where it stands, in the client area, against where the layout puts it.
        const RECT box = msaa::location(e);
        RECT inClient = box;
        OffsetRect(&inClient, -origin.x, -origin.y);
        const RECT layout = msaa::layoutBox(row, dpi);
        INFO("at ", testing::utf8(msaa::displayName(row)));
        CAPTURE(inClient);
        CAPTURE(layout);
        CHECK_EQ(msaa::name(e), msaa::expectedName(row, s.table));
        CHECK_EQ(msaa::description(e), msaa::expectedDescription(row, s.table));
        const bool button = msaa::isButton(row);
        CHECK_EQ(msaa::role(e), msaa::expectedRole(row));
        long wantState = button ? STATE_SYSTEM_FOCUSABLE : 0;
        if (row.name == "dn_1")
            wantState |= STATE_SYSTEM_FOCUSED;
        CHECK_EQ(msaa::state(e), wantState);
        CHECK_EQ(msaa::defaultAction(e), msaa::expectedAction(row, s.table));
        CHECK(msaa::boxFits(row, box, origin, dpi));
        cells += row.name == "org" || row.name == "conv";
        counts += row.name.starts_with("ud_");
        buttons += button;
    }
    CHECK_EQ(cells, 48);
    CHECK_EQ(counts, 3);
    CHECK_EQ(buttons, 8);

    VARIANT focus;
    VariantInit(&focus);
    CHECK_EQ(s.root->get_accFocus(&focus), S_OK);
    CHECK_EQ(focus.vt, VARTYPE(VT_I4));
    CHECK_EQ(focus.lVal, s.element("dn_1").id);
}

TEST_CASE("hit-testing and navigation")
{
    Session& s = session();
    REQUIRE(s.root != nullptr);
    // Down through the chart and its rows to the very element.
    std::vector<IAccessible*> objects;
    for (std::size_t i = 0; i < s.rows.size() && i < s.at.size(); ++i) {
        const RECT box = msaa::location(s.at[i]);
        const Element hit =
            hitAt(s.root, {(box.left + box.right) / 2, (box.top + box.bottom) / 2}, objects);
        INFO("at ", testing::utf8(msaa::displayName(*s.rows[i])));
        CHECK_EQ(msaa::role(hit), msaa::role(s.at[i]));
        CHECK_EQ(msaa::name(hit), msaa::name(s.at[i]));
        CHECK_EQ(msaa::location(hit), box);
    }
    for (IAccessible* object : objects)
        object->Release();
    const POINT origin = clientOrigin(s.main);
    VARIANT hit;
    VariantInit(&hit);
    // The bare client area is the object itself; outside it there is nothing.
    CHECK_EQ(s.root->accHitTest(origin.x + 2, origin.y + 2, &hit), S_OK);
    CHECK_EQ(hit.vt, VARTYPE(VT_I4));
    CHECK_EQ(hit.lVal, long(CHILDID_SELF));
    CHECK_EQ(s.root->accHitTest(origin.x - 5, origin.y - 5, &hit), S_FALSE);
    CHECK_EQ(hit.vt, VARTYPE(VT_EMPTY));

    // A child id, 0 for the chart (an object of its own), -1 for none.
    auto navigate = [&](long direction, long from) {
        VARIANT end;
        VariantInit(&end);
        const HRESULT hr = s.root->accNavigate(direction, msaa::childId(from), &end);
        const long to = hr != S_OK              ? -1
                        : end.vt == VT_I4       ? end.lVal
                        : end.vt == VT_DISPATCH ? 0
                                                : -1;
        VariantClear(&end);
        return to;
    };
    CHECK_EQ(navigate(NAVDIR_FIRSTCHILD, CHILDID_SELF), 1L);
    CHECK_EQ(navigate(NAVDIR_LASTCHILD, CHILDID_SELF), 12L);
    CHECK_EQ(navigate(NAVDIR_NEXT, 5), 6L);
    CHECK_EQ(navigate(NAVDIR_PREVIOUS, 5), 0L);
    CHECK_EQ(navigate(NAVDIR_NEXT, 3), 0L);
    CHECK_EQ(navigate(NAVDIR_PREVIOUS, 1), -1L);
    CHECK_EQ(navigate(NAVDIR_NEXT, 12), -1L);

    // The parent is the system's object of the window itself, which names the window.
    IDispatch* parent = nullptr;
    CHECK_EQ(s.root->get_accParent(&parent), S_OK);
    CHECK(parent != nullptr);
    if (parent != nullptr)
        parent->Release();
    HWND window = nullptr;
    CHECK_EQ(WindowFromAccessibleObject(s.root, &window), S_OK);
    CHECK(window == s.main);
}

// A reader that follows the focus or the mouse asks the button's own window:
// it answers with the same element.
TEST_CASE("button windows answer as their elements")
{
    Session& s = session();
    REQUIRE(s.root != nullptr);
    std::vector<HWND> buttons;
    EnumChildWindows(
        s.main,
        [](HWND hwnd, LPARAM data) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(hwnd, cls, 32);
            if (lstrcmpiW(cls, L"Button") == 0)
                reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&buttons));
    CHECK_EQ(buttons.size(), std::size_t(8));
    for (HWND button : buttons) {
        IAccessible* own = clientObject(button);
        CHECK(own != nullptr);
        if (own == nullptr)
            continue;
        const Element e{own, CHILDID_SELF};
        RECT window{};
        GetWindowRect(button, &window);
        CHECK_EQ(msaa::location(e), window);
        std::size_t found = 0;
        while (found < s.at.size() && msaa::name(s.at[found]) != msaa::name(e))
            ++found;
        REQUIRE(found < s.at.size());
        CHECK(msaa::isButton(*s.rows[found]));
        CHECK_EQ(msaa::description(e), msaa::description(s.at[found]));
        CHECK_EQ(msaa::role(e), long(ROLE_SYSTEM_PUSHBUTTON));
        CHECK_EQ(msaa::defaultAction(e), std::u16string(u"Press"));
        CHECK((msaa::state(e) & STATE_SYSTEM_FOCUSABLE) != 0);
        own->Release();
    }
}

// A keyboard user with a screen reader, from the start: each key, and what
// the reader speaks of the element with the focus after it (see toldOfFocus).
TEST_CASE("every key is heard through the element with the focus")
{
    Session& s = session();
    REQUIRE(s.root != nullptr);
    REQUIRE(s.reader != nullptr);
    // The keys go to the window in the front.
    SetForegroundWindow(s.main);
    REQUIRE(msaa::until([&] { return GetForegroundWindow() == s.main; }));
    auto focus = [](std::string name, std::string does) {
        return "EVENT_OBJECT_FOCUS \"" + name + "\" \"" + does + "\"";
    };
    auto told = [](std::string name, std::string text) {
        return "EVENT_OBJECT_DESCRIPTIONCHANGE \"" + name + "\" \"" + text + "\"";
    };
    const std::string up = "Up, Converted_1", down = "Down, Converted_1";
    const std::string raises = "Raises Converted_1, Converted_2 and Converted_3 by a semitone";
    const std::string lowers = "Lowers Converted_1, Converted_2 and Converted_3 by a semitone";
    const std::string cleared = "All three shift 0. Nothing marked";
    struct Step
    {
        std::string what;
        std::initializer_list<WORD> keys;
        std::vector<std::string> heard;
        int downs = 1;
    };
    const Step steps[] = {
        {"Tab", {VK_TAB}, {focus(up, raises)}},
        {"Space on Up under Converted_1", {VK_SPACE}, {told(up, "All three shift 1")}},
        {"E", {'E'}, {told(up, "E, marked: F in all three")}},
        {"Space again", {VK_SPACE}, {told(up, "All three shift 2. E: F sharp or G flat")}},
        {"Shift+C",
         {VK_SHIFT, 'C'},
         {told(up, "C sharp or D flat, marked: D sharp or E flat in all three")}},
        // By the letter's key: Caps Lock changes nothing, a held key toggles
        // once, Shift+E and Ctrl+letters mark nothing.
        {"Caps Lock", {VK_CAPITAL}, {}},
        {"E with Caps Lock on", {'E'}, {told(up, "E, unmarked")}},
        {"Caps Lock again", {VK_CAPITAL}, {}},
        {"E held down", {'E'}, {told(up, "E, marked: F sharp or G flat in all three")}, 4},
        {"Shift+E", {VK_SHIFT, 'E'}, {}},
        {"Ctrl+D", {VK_CONTROL, 'D'}, {}},
        // The focus moving says the button, never what an earlier press did.
        {"Shift+Tab", {VK_SHIFT, VK_TAB}, {focus(down, lowers)}},
        {"Shift+Tab",
         {VK_SHIFT, VK_TAB},
         {focus("Reset", "Sets every count to 0 and clears every mark")}},
        {"RESET", {VK_SPACE}, {told("Reset", cleared)}},
        {"RESET again, heard again", {VK_SPACE}, {told("Reset", cleared)}},
        {"Tab", {VK_TAB}, {focus(down, lowers)}},
        {"Tab back to Up", {VK_TAB}, {focus(up, raises), told(up, raises)}},
        {"Tab", {VK_TAB}, {focus("Help", "Opens a short usage text")}},
        {"opening help", {VK_SPACE}, {focus("HELP", "") + " dialog"}},
    };
    std::string transcript = "What the element with the focus tells a reader:\nstart";
    auto write = [&](const std::vector<std::string>& heard) {
        for (const std::string& line : heard)
            transcript += "\n    " + line;
    };
    // At the start the focus is on Down under Converted_1, and that is what
    // a reader reads of it. Windows tells of that first focus with
    // EVENT_OBJECT_FOCUS; Wine sends none for the program's first focus, so
    // here the list may be empty.
    const std::vector<std::string> atStart = toldOfFocus(s.heardAtStart);
    write(atStart);
    CHECK(atStart.size() <= 1);
    if (!atStart.empty())
        CHECK_EQ(atStart.front(), focus(down, lowers));
    IAccessible* first = clientObject(focusedWindow());
    REQUIRE(first != nullptr);
    const std::string firstName = testing::utf8(msaa::name({first, CHILDID_SELF}));
    const std::string firstDoes = testing::utf8(msaa::description({first, CHILDID_SELF}));
    first->Release();
    transcript += "\n    (the element with the focus: \"" + firstName + "\" \"" + firstDoes + "\")";
    CHECK_EQ(firstName, down);
    CHECK_EQ(firstDoes, lowers);
    for (const Step& step : steps) {
        s.reader->heard.clear();
        keys(step.keys, step.downs);
        // What is expected, then whatever else comes.
        msaa::until([&] { return toldOfFocus(s.reader->heard).size() >= step.heard.size(); });
        s.reader->settle();
        const std::vector<std::string> heard = toldOfFocus(s.reader->heard);
        transcript += "\n" + step.what;
        write(heard);
        std::vector<std::string> want = step.heard;
        std::sort(want.begin(), want.end());
        INFO("after ", step.what);
        CHECK_EQ(heard, want);
    }
    MESSAGE(transcript);

    // The help window has the focus itself: no control of it shows one.
    HWND help = windowTitled(L"HELP");
    REQUIRE(help != nullptr);
    CHECK(focusedWindow() == help);
    PostMessageW(help, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(msaa::until([&] { return GetAncestor(focusedWindow(), GA_ROOT) == s.main; }));
}

TEST_CASE("pressing the Original E marks its row")
{
    REQUIRE(session().root != nullptr);
    pressAndFollow("org", 4, {model::Action::Org, 4}, "E, marked: E in all three");
    CHECK_EQ(msaa::defaultAction(session().element("org", 4)), std::u16string(u"Unmark"));
}

TEST_CASE("pressing Up under Converted_1 shifts all three")
{
    Session& s = session();
    REQUIRE(s.root != nullptr);
    pressAndFollow("up_1", forms::kNoIndex, {model::Action::Up1});
    // Pressed as a click does it, the button has taken the focus.
    const auto focused = [&] { return msaa::state(s.element("up_1")) & STATE_SYSTEM_FOCUSED; };
    CHECK(msaa::until(focused));
}

TEST_CASE("pressing the other buttons, and unmarking")
{
    REQUIRE(session().root != nullptr);
    pressAndFollow("dn_2", forms::kNoIndex, {model::Action::Dn2});
    pressAndFollow("org", 7, {model::Action::Org, 7},
                   "G, marked: G sharp or A flat in Converted_1, G in Converted_2 and Converted_3");
    pressAndFollow("up_3", forms::kNoIndex, {model::Action::Up3});
    pressAndFollow("org", 4, {model::Action::Org, 4}, "E, unmarked");
    pressAndFollow("dn_1", forms::kNoIndex, {model::Action::Dn1});
    pressAndFollow("reset", forms::kNoIndex, {model::Action::Reset});
    // Labels that a click does nothing for have no action to press.
    Session& s = session();
    for (const msaa::Element e : {s.element("conv", 4), s.element("ud_1")})
        CHECK_EQ(e.object->accDoDefaultAction(msaa::childId(e.id)), HRESULT(DISP_E_MEMBERNOTFOUND));
    CHECK_EQ(s.root->accDoDefaultAction(msaa::childId(64)), HRESULT(E_INVALIDARG));
}

// The help text is one static text, read whole, whose children are its nine
// lines, read one at a time.
TEST_CASE("the help window reads as its nine lines")
{
    Session& s = session();
    REQUIRE(s.root != nullptr);
    CHECK_EQ(s.root->accDoDefaultAction(msaa::childId(s.element("help_pb").id)), S_OK);
    HWND help = nullptr;
    REQUIRE(msaa::until([&] { return (help = windowTitled(L"HELP")) != nullptr; }));
    IAccessible* root = clientObject(help);
    REQUIRE(root != nullptr);
    CHECK_EQ(msaa::name({root, CHILDID_SELF}), std::u16string(u"HELP"));
    CHECK_EQ(msaa::role({root, CHILDID_SELF}), long(ROLE_SYSTEM_DIALOG));
    CHECK_EQ(msaa::childCount(root), 1L);
    VARIANT child;
    LONG got = 0;
    CHECK_EQ(AccessibleChildren(root, 0, 1, &child, &got), S_OK);
    IAccessible* text = nullptr;
    CHECK_EQ(got, 1L);
    CHECK_EQ(child.vt, VARTYPE(VT_DISPATCH));
    if (got == 1 && child.vt == VT_DISPATCH)
        child.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&text));
    VariantClear(&child);
    if (text == nullptr)
        root->Release();
    REQUIRE(text != nullptr);
    const Element whole{text, CHILDID_SELF};
    std::u16string all;
    for (int i = 0; i < 9; ++i)
        all += (i > 0 ? u"\r\n" : u"") + helptest::kExpectedLines[i];
    CHECK_EQ(msaa::name(whole), all);
    CHECK_EQ(msaa::role(whole), long(ROLE_SYSTEM_STATICTEXT));
    CHECK_EQ(msaa::description(whole), std::u16string());
    CHECK_EQ(msaa::state(whole), 0L);
    CHECK_EQ(msaa::defaultAction(whole), std::u16string());
    // The text keeps the box the layout gives it.
    const RECT box = msaa::location(whole);
    const POINT origin = clientOrigin(help);
    RECT layout = msaa::layoutBox(helpRow("Label1"), screenDpi());
    OffsetRect(&layout, origin.x, origin.y);
    CHECK_EQ(box, layout);
    CHECK_EQ(msaa::childCount(text), 9L);
    RECT previous{box.left, box.top, box.right, box.top};
    for (long line = 1; line <= 9; ++line) {
        const Element e{text, line};
        CHECK_EQ(msaa::name(e), helptest::kExpectedLines[line - 1]);
        CHECK_EQ(msaa::role(e), long(ROLE_SYSTEM_STATICTEXT));
        // Lines stand one under the other, at one pitch, inside the label's box.
        const RECT r = msaa::location(e);
        CAPTURE(line);
        CAPTURE(r);
        CHECK_EQ(r.left, box.left);
        CHECK_EQ(r.right, box.right);
        CHECK_EQ(r.top, previous.bottom);
        CHECK(r.bottom > r.top);
        CHECK(r.bottom <= box.bottom);
        if (line > 1)
            CHECK_EQ(r.bottom - r.top, previous.bottom - previous.top);
        previous = r;
    }
    // A point on the fourth line is that line, and within the window, the text.
    VARIANT hit;
    VariantInit(&hit);
    const RECT fourth = msaa::location({text, 4});
    text->accHitTest(fourth.left + 5, (fourth.top + fourth.bottom) / 2, &hit);
    CHECK_EQ(hit.vt, VARTYPE(VT_I4));
    CHECK_EQ(hit.lVal, 4L);
    root->accHitTest(fourth.left + 5, (fourth.top + fourth.bottom) / 2, &hit);
    CHECK_EQ(hit.vt, VARTYPE(VT_DISPATCH));
    VariantClear(&hit);
    IDispatch* parent = nullptr;
    CHECK_EQ(text->get_accParent(&parent), S_OK);
    CHECK(parent != nullptr);
    if (parent != nullptr) {
        IAccessible* up = nullptr;
        parent->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&up));
        CHECK(up != nullptr);
        if (up != nullptr) {
            CHECK_EQ(msaa::name({up, CHILDID_SELF}), std::u16string(u"HELP"));
            up->Release();
        }
        parent->Release();
    }

    // Closed, the window is gone; what a reader still holds of it fails, and
    // nothing hangs or crashes.
    PostMessageW(help, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(msaa::until([&] { return windowTitled(L"HELP") == nullptr && !IsWindow(help); }));
    BSTR name = nullptr;
    const HRESULT rootAfter = root->get_accName(msaa::childId(CHILDID_SELF), &name);
    const HRESULT textAfter = text->get_accName(msaa::childId(1), &name);
    INFO("answers after the close: ", hex(rootAfter), " ", hex(textAfter));
    CHECK(FAILED(rootAfter));
    CHECK(FAILED(textAfter));
    text->Release();
    root->Release();
    // The main window goes on answering.
    CHECK_EQ(msaa::name(s.element("ud_1")), std::u16string(u"Converted_1 shift 0"));
}

TEST_CASE("closing the main window ends the program")
{
    Session& s = session();
    REQUIRE(s.root != nullptr);
    PostMessageW(s.main, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK_EQ(WaitForSingleObject(s.process.hProcess, 20000), DWORD(WAIT_OBJECT_0));
    DWORD status = 1;
    GetExitCodeProcess(s.process.hProcess, &status);
    CHECK_EQ(status, DWORD(0));
    // The program is gone: a reader's object fails and can be let go.
    BSTR name = nullptr;
    CHECK(FAILED(s.root->get_accName(msaa::childId(CHILDID_SELF), &name)));
    s.root->Release();
    s.root = nullptr;
}

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2 || argv[1][0] == L'-') {
        std::printf("usage: msaa_probe PATH-OF-MARELO.exe [doctest options]\n");
        return 2;
    }
    programPath = argv[1];
    // As a screen reader or a magnifier: aware of each monitor's density, so
    // that boxes and points are the screen's own, as the program's are.
    if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
        SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    // doctest reads what follows the program's path.
    std::vector<std::string> arguments{utf8(argv[0])};
    for (int i = 2; i < argc; ++i)
        arguments.push_back(utf8(argv[i]));
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    doctest::Context context(static_cast<int>(pointers.size()), pointers.data());
    // Each case goes on from where the one before left the program.
    context.setOption("order-by", "file");
    // A reader's thread is a single-threaded apartment, like the program's.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int status = context.run();
    session().finish();
    CoUninitialize();
    return status;
}
