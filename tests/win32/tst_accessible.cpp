// The screen readers' bridge inside the program: the events a reader hears,
// in order, with the names it reads when they reach it, and objects that
// outlive their window. A reader hooks the events out of context, as NVDA
// does: they reach it after the program has handled the click, and it reads
// each name then.
#include "msaa_reader.h"
#include "probe_form.h"
#include "testing.h"
#include "win32_test.h"

#include "forms/accessible.h"
#include "ui/help_window.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace forms;
using msaa::Heard;
using msaa::Listener;
using wintest::hwndOf;

namespace {

// The main window while a test has it.
const Form* shownMain = nullptr;

// The id a reader's events name a control of the main window by: its place
// among the client area's children, or within the chart its own id.
long idOf(std::string_view name, int index = kNoIndex)
{
    const Control* control =
        shownMain != nullptr ? shownMain->find(name, static_cast<std::int16_t>(index)) : nullptr;
    return control != nullptr
               ? forms::AccessibleTree(*shownMain, {}, forms::TableShape::Rows).indexOf(*control)
               : 0;
}

std::string described(LONG child)
{
    if (child == CHILDID_SELF)
        return "the window";
    if (shownMain == nullptr)
        return "?";
    const forms::AccessibleTree tree(*shownMain, {}, forms::TableShape::Rows);
    for (const auto& control : shownMain->controls())
        if (tree.indexOf(*control) == child)
            return control->displayName();
    return "?";
}

// The child id of the button whose own window this is, or 0.
long buttonOf(const Form& form, HWND hwnd)
{
    for (const auto& control : form.controls())
        if (control->kind() == ControlKind::CommandButton && hwndOf(*control) == hwnd)
            return idOf(control->name(), control->index());
    return 0;
}

// An event as one line: what happened to which element, and the name read.
std::string said(DWORD event, LONG child, std::u16string_view name)
{
    return msaa::eventName(event) + " " + described(child) + " \"" + testing::utf8(name) + "\"";
}

std::vector<std::string> said(const std::vector<Heard>& heard)
{
    std::vector<std::string> lines;
    for (const Heard& h : heard)
        lines.push_back(said(h.event, h.child,
                             h.event == EVENT_OBJECT_DESCRIPTIONCHANGE ? h.description : h.name));
    return lines;
}

std::string padded(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

// A left click where the layout puts the control, delivered as the mouse
// would: to a button's own window, or to the form's window, which paints
// the labels.
void click(const Form& form, const Control& control)
{
    HWND window = hwndOf(form);
    const PixelRect box = Scale{forms::win32::windowDpi(window)}.box(control.rect());
    POINT at{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    HWND target = ChildWindowFromPointEx(window, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    INFO("clicking ", control.displayName());
    REQUIRE(target == (control.kind() == ControlKind::CommandButton ? hwndOf(control) : window));
    MapWindowPoints(window, target, &at, 1);
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(target, WM_LBUTTONUP, 0, where);
}

IAccessible* clientObject(HWND hwnd)
{
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&object));
    return object;
}

// A main window shown and active, the way a user meets it.
struct Shown
{
    ui::MainWindow main;
    Shown()
    {
        shownMain = &main;
        main.Show();
        SetForegroundWindow(hwndOf(main));
        // Active, with the focus where it starts: what an action tells
        // reaches a reader through the button with the focus.
        CHECK(msaa::until([&] { return GetFocus() == hwndOf(main.button("dn_1")); }));
    }
    ~Shown() { shownMain = nullptr; }
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;
};

} // namespace

// The list a reader hears for one click on Up under Converted_1 with E marked:
// the focus comes to the button (told by the system, of the button's own
// window), then the three counts, their headings and the 36 converted cells
// change their names, column by column, each once, and last the button with the focus
// tells what the press did.
TEST_CASE("a click on Up under Converted_1 with E marked tells the focus, then every count and "
          "its column")
{
    Shown shown;
    ui::MainWindow& main = shown.main;
    HWND window = hwndOf(main);
    click(main, main.labelArray("org")(4));
    CHECK(msaa::until([&] { return main.labelArray("org")(4).ForeColor() == 0xFF; }));

    Listener reader;
    REQUIRE(reader.hooked());
    reader.settle();
    reader.heard.clear();
    click(main, main.button("up_1"));
    CHECK(msaa::until([&] { return main.label("ud_3").Caption() == u"1"; }));
    reader.settle();

    // Everything the reader heard, the system's own events included.
    std::string transcript =
        "What a reader hears for a click on Up under Converted_1 with E marked:";
    for (std::size_t i = 0; i < reader.heard.size(); ++i) {
        const Heard& h = reader.heard[i];
        const std::string source = h.hwnd == window
                                       ? "main, child " + described(h.child)
                                       : "window of " + described(buttonOf(main, h.hwnd));
        transcript += "\n  " + padded(std::to_string(i + 1) + ".", 4) +
                      padded(msaa::eventName(h.event), 25) + padded(source, 21) + "\"" +
                      testing::utf8(h.name) + "\"";
    }
    MESSAGE(transcript);

    // The same, as element and name.
    std::vector<Heard> told = reader.told(window);
    for (Heard& h : told)
        if (h.hwnd != window)
            h.child = buttonOf(main, h.hwnd);
    const std::vector<std::string> got = said(told);

    // Expected: the focus, then ud_1, its heading and its column, the same
    // for ud_2 and for ud_3.
    std::vector<std::string> expected{said(EVENT_OBJECT_FOCUS, idOf("up_1"), u"Up, Converted_1")};
    for (int k = 1; k <= 3; ++k) {
        expected.push_back(said(EVENT_OBJECT_NAMECHANGE, idOf("ud_" + std::to_string(k)),
                                msaa::column(k) + u" shift 1"));
        expected.push_back(
            said(EVENT_OBJECT_NAMECHANGE, idOf("Label101", k - 1), msaa::column(k) + u", shift 1"));
        for (int r = 0; r < 12; ++r)
            expected.push_back(said(EVENT_OBJECT_NAMECHANGE, idOf("conv", 20 * (k - 1) + r),
                                    msaa::kWords[(r + 1) % 12] + (r == 4 ? u", marked" : u"")));
    }
    expected.push_back(
        said(EVENT_OBJECT_DESCRIPTIONCHANGE, idOf("up_1"), u"All three shift 1. E: F"));
    CHECK_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < std::min(got.size(), expected.size()); ++i) {
        CAPTURE(i);
        CHECK_EQ(got[i], expected[i]);
    }
}

// A mark with the mouse renames its row, and the button with the focus tells
// of it; the focus stays where it was.
TEST_CASE("a mark changes the names of its row only, and is told by the focused button")
{
    Shown shown;
    ui::MainWindow& main = shown.main;
    Listener reader;
    reader.settle();
    reader.heard.clear();
    click(main, main.labelArray("org")(7));
    CHECK(msaa::until([&] { return main.labelArray("org")(7).ForeColor() == 0xFF; }));
    reader.settle();
    std::vector<Heard> told = reader.told(hwndOf(main));
    for (Heard& h : told)
        if (h.hwnd != hwndOf(main))
            h.child = buttonOf(main, h.hwnd);
    const std::vector<std::string> expected{
        said(EVENT_OBJECT_NAMECHANGE, idOf("org", 7), u"G, marked"),
        said(EVENT_OBJECT_NAMECHANGE, idOf("conv", 7), u"G, marked"),
        said(EVENT_OBJECT_NAMECHANGE, idOf("conv", 27), u"G, marked"),
        said(EVENT_OBJECT_NAMECHANGE, idOf("conv", 47), u"G, marked"),
        said(EVENT_OBJECT_DESCRIPTIONCHANGE, idOf("dn_1"), u"G, marked: G in all three"),
    };
    CHECK_EQ(said(told), expected);
}

TEST_CASE("the focus moving between buttons is told")
{
    Shown shown;
    ui::MainWindow& main = shown.main;
    Listener reader;
    reader.settle();
    reader.heard.clear();
    // From Down under Converted_1: to Up under it, to Help, to Up under Converted_2.
    for (int tab = 0; tab < 3; ++tab) {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000001);
        wintest::pump();
    }
    reader.settle();
    std::vector<std::u16string> focused;
    for (const Heard& h : reader.told(hwndOf(main)))
        if (h.event == EVENT_OBJECT_FOCUS)
            focused.push_back(h.name);
    CHECK_EQ(focused,
             (std::vector<std::u16string>{u"Up, Converted_1", u"Help", u"Up, Converted_2"}));
    IAccessible* root = clientObject(hwndOf(main));
    REQUIRE(root != nullptr);
    VARIANT focus;
    VariantInit(&focus);
    CHECK_EQ(root->get_accFocus(&focus), S_OK);
    CHECK_EQ(focus.vt, VARTYPE(VT_I4));
    CHECK_EQ(focus.lVal, idOf("up_2"));
    root->Release();
}

// The help window's showing and hiding are told, as is its client area
// taking the focus. Wine drops an out-of-context event whose window is gone by
// the time it would be delivered, so the hiding of a closed window is heard
// in context here, as the program tells it.
TEST_CASE("the help window's showing and hiding are told")
{
    Shown shown;
    ui::MainWindow& main = shown.main;
    Listener reader(WINEVENT_INCONTEXT);
    REQUIRE(reader.hooked());
    click(main, main.button("help_pb"));
    REQUIRE(
        msaa::until([&] { return main.helpWindow() != nullptr && main.helpWindow()->visible(); }));
    reader.settle();
    HWND help = hwndOf(*main.helpWindow());
    // What was told of the window itself.
    auto ofTheWindow = [&] {
        std::vector<std::string> found;
        for (const Heard& h : reader.told(help))
            if (h.child == CHILDID_SELF)
                found.push_back(said(h.event, h.child, h.name));
        return found;
    };
    const std::vector<std::string> shownTold = ofTheWindow();
    CAPTURE(shownTold);
    CHECK_EQ(std::count(shownTold.begin(), shownTold.end(),
                        said(EVENT_OBJECT_SHOW, CHILDID_SELF, u"HELP")),
             1);
    reader.heard.clear();
    PostMessageW(help, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(msaa::until([&] { return !main.helpWindow()->loaded(); }));
    reader.settle();
    CHECK_EQ(ofTheWindow(),
             std::vector<std::string>{said(EVENT_OBJECT_HIDE, CHILDID_SELF, u"HELP")});
}

// Nothing is told of the names a window gets while it loads unseen.
TEST_CASE("nothing is told before a window shows")
{
    Listener reader(WINEVENT_INCONTEXT);
    ui::MainWindow main;
    main.Load();
    reader.settle();
    CHECK_EQ(said(reader.told(hwndOf(main))), std::vector<std::string>{});
    main.Show();
    reader.settle();
    const std::vector<Heard> told = reader.told(hwndOf(main));
    const std::vector<std::string> toldLines = said(told);
    CAPTURE(toldLines);
    CHECK(std::any_of(told.begin(), told.end(), [](const Heard& h) {
        return h.event == EVENT_OBJECT_SHOW && h.name == u"Marelo";
    }));
    CHECK(std::none_of(told.begin(), told.end(),
                       [](const Heard& h) { return h.event == EVENT_OBJECT_NAMECHANGE; }));
}

// A reader may hold an object longer than its window lives: it then answers
// that it is no longer connected, and a press it asked for never comes.
TEST_CASE("objects outlive their window")
{
    ui::HelpWindow help;
    help.Show();
    IAccessible* root = clientObject(hwndOf(help));
    REQUIRE(root != nullptr);
    VARIANT child;
    LONG got = 0;
    CHECK_EQ(AccessibleChildren(root, 0, 1, &child, &got), S_OK);
    IAccessible* text = nullptr;
    if (got == 1 && child.vt == VT_DISPATCH)
        child.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&text));
    VariantClear(&child);
    CHECK(text != nullptr);
    CHECK(help.Unload());
    BSTR name = nullptr;
    CHECK_EQ(root->get_accName(msaa::childId(CHILDID_SELF), &name), HRESULT(CO_E_OBJNOTCONNECTED));
    CHECK(name == nullptr);
    LONG count = 5;
    CHECK_EQ(root->get_accChildCount(&count), HRESULT(CO_E_OBJNOTCONNECTED));
    CHECK_EQ(count, 0L);
    if (text != nullptr) {
        CHECK_EQ(text->get_accName(msaa::childId(1), &name), HRESULT(CO_E_OBJNOTCONNECTED));
        text->Release();
    }
    root->Release();

    // A press asked for just before the window goes is dropped with it.
    probe::ProbeForm form;
    form.Show();
    int clicks = 0;
    form.button("go").Click = [&] { ++clicks; };
    root = clientObject(hwndOf(form));
    REQUIRE(root != nullptr);
    const long go = 5; // after the label and the array's three cells
    CHECK_EQ(msaa::name({root, go}), std::u16string(u"Go"));
    CHECK_EQ(root->accDoDefaultAction(msaa::childId(go)), S_OK);
    CHECK(msaa::until([&] { return clicks == 1; }));
    CHECK_EQ(root->accDoDefaultAction(msaa::childId(go)), S_OK);
    CHECK(form.Unload());
    msaa::runFor(std::chrono::milliseconds(300));
    CHECK_EQ(clicks, 1);
    CHECK_EQ(root->accDoDefaultAction(msaa::childId(go)), HRESULT(CO_E_OBJNOTCONNECTED));
    root->Release();
}
