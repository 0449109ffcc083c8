// The screen readers' bridge inside the program: the events a reader hears,
// in order, with the names it reads when they reach it, and objects that
// outlive their window. A reader hooks the events out of context, as NVDA
// does: they reach it after the program has handled the click, and it reads
// each name then.
#include "check.h"
#include "msaa_reader.h"
#include "probe_form.h"
#include "win32_test.h"

#include "ui/help_window.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace forms;
using wintest::hwndOf;
using wintest::Platform;

namespace {

struct Heard
{
    DWORD event;
    HWND root; // the top-level window of the event's window
    HWND hwnd;
    LONG object;
    LONG child;
    std::u16string name; // as read when the event came
    std::u16string description;
};

std::vector<Heard>* listening = nullptr;

void CALLBACK hear(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    if (listening == nullptr)
        return;
    std::u16string name, description;
    IAccessible* found = nullptr;
    VARIANT id;
    VariantInit(&id);
    if (SUCCEEDED(AccessibleObjectFromEvent(hwnd, static_cast<DWORD>(object),
                                            static_cast<DWORD>(child), &found, &id)) &&
        found != nullptr) {
        const msaa::Element element{found, id.vt == VT_I4 ? id.lVal : CHILDID_SELF};
        name = msaa::name(element);
        description = msaa::description(element);
        found->Release();
    }
    listening->push_back(
        {event, GetAncestor(hwnd, GA_ROOT), hwnd, object, child, name, description});
}

// What a reader hears from this process while it lives.
class Listener
{
public:
    // Out of context, events come after the handler that raised them, as a
    // screen reader gets them; in context, at once.
    explicit Listener(DWORD context = WINEVENT_OUTOFCONTEXT)
        : hook_(SetWinEventHook(EVENT_MIN, EVENT_MAX,
                                context == WINEVENT_INCONTEXT ? GetModuleHandleW(nullptr) : nullptr,
                                &hear, GetCurrentProcessId(), 0, context))
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
                 h.event == EVENT_OBJECT_SHOW || h.event == EVENT_OBJECT_HIDE))
                found.push_back(h);
        return found;
    }

    // Runs the messages until nothing new has come for a while.
    void settle()
    {
        std::size_t seen = heard.size();
        int quiet = 0;
        msaa::until([&] {
            quiet = heard.size() == seen ? quiet + 1 : 0;
            seen = heard.size();
            return quiet >= 15;
        });
    }

    std::vector<Heard> heard;

private:
    HWINEVENTHOOK hook_;
};

const char* eventName(DWORD event)
{
    switch (event) {
    case EVENT_OBJECT_FOCUS:
        return "EVENT_OBJECT_FOCUS";
    case EVENT_OBJECT_NAMECHANGE:
        return "EVENT_OBJECT_NAMECHANGE";
    case EVENT_OBJECT_SHOW:
        return "EVENT_OBJECT_SHOW";
    case EVENT_OBJECT_HIDE:
        return "EVENT_OBJECT_HIDE";
    case EVENT_OBJECT_STATECHANGE:
        return "EVENT_OBJECT_STATECHANGE";
    case EVENT_SYSTEM_CAPTURESTART:
        return "EVENT_SYSTEM_CAPTURESTART";
    case EVENT_SYSTEM_CAPTUREEND:
        return "EVENT_SYSTEM_CAPTUREEND";
    default:
        return "another event";
    }
}

const std::vector<const ControlRow*>& mainRows()
{
    static const std::vector<const ControlRow*> rows = msaa::readable(ui::kMainLayout);
    return rows;
}

// The child id of a control of the main window.
long idOf(std::string_view name, int index = kNoIndex)
{
    const auto& rows = mainRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i]->name == name && rows[i]->index == index)
            return static_cast<long>(i) + 1;
    return 0;
}

std::string described(LONG child)
{
    const auto& rows = mainRows();
    if (child < 1 || static_cast<std::size_t>(child) > rows.size())
        return child == CHILDID_SELF ? "the window" : "?";
    return check::utf8(msaa::displayName(*rows[static_cast<std::size_t>(child - 1)]));
}

// A left click where the layout puts the control, delivered to whatever
// window is there, as the mouse would.
void click(const Form& form, const Control& control)
{
    HWND window = hwndOf(form);
    const Rect& r = control.rect();
    POINT at{(r.left + r.width / 2) / 15, (r.top + r.height / 2) / 15};
    HWND target = ChildWindowFromPointEx(window, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
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
    Platform platform;
    ui::MainWindow main;
    Shown()
    {
        main.Show();
        SetForegroundWindow(hwndOf(main));
        wintest::pump();
    }
};

} // namespace

// The list a reader hears for one click on Up under Converted_1 with E marked:
// the focus comes to the button (told by the system, of the button's own
// window), then the three counts and the 36 converted cells change their
// names, column by column, each once.
TEST(eventsOfAClickOnUpUnderConverted1WithEMarked)
{
    Shown shown;
    ui::MainWindow& main = shown.main;
    HWND window = hwndOf(main);
    click(main, main.labelArray("org")(4));
    CHECK(msaa::until([&] { return main.labelArray("org")(4).ForeColor() == 0xFF; }));

    Listener reader;
    if (!CHECK(reader.hooked()))
        return;
    reader.settle();
    reader.heard.clear();
    click(main, main.button("up_1"));
    CHECK(msaa::until([&] { return main.label("ud_3").Caption() == u"1"; }));
    reader.settle();

    // Everything the reader heard, the system's own events included.
    std::printf("  What a reader hears for a click on Up under Converted_1 with E marked:\n");
    for (std::size_t i = 0; i < reader.heard.size(); ++i) {
        const Heard& h = reader.heard[i];
        const std::string source = h.hwnd == window ? "main, child " + described(h.child)
                                                    : "window of " + check::utf8(h.description);
        std::printf("  %2zu. %-24s %-20s \"%s\"\n", i + 1, eventName(h.event), source.c_str(),
                    check::utf8(h.name).c_str());
    }
    // The same, as element and name.
    std::vector<Heard> told = reader.told(window);
    for (Heard& h : told)
        if (h.hwnd != window)
            h.child = idOf(check::utf8(h.description));

    // Expected: the focus, then ud_1 and its column, ud_2 and its, ud_3 and its.
    struct Expected
    {
        DWORD event;
        long child;
        std::u16string name;
    };
    std::vector<Expected> expected{{EVENT_OBJECT_FOCUS, idOf("up_1"), u"Up, Converted_1"}};
    for (int k = 1; k <= 3; ++k) {
        expected.push_back({EVENT_OBJECT_NAMECHANGE, idOf("ud_" + std::to_string(k)),
                            msaa::column(k) + u" shift 1"});
        for (int r = 0; r < 12; ++r)
            expected.push_back({EVENT_OBJECT_NAMECHANGE, idOf("conv", 20 * (k - 1) + r),
                                msaa::kWords[(r + 1) % 12] + (r == 4 ? u", marked" : u"")});
    }
    CHECK_EQ(told.size(), expected.size());
    for (std::size_t i = 0; i < std::min(told.size(), expected.size()); ++i) {
        const bool same = told[i].event == expected[i].event &&
                          told[i].child == expected[i].child && told[i].name == expected[i].name;
        if (!CHECK(same))
            std::printf("    event %zu: expected %s %s \"%s\"\n", i + 1,
                        eventName(expected[i].event), described(expected[i].child).c_str(),
                        check::utf8(expected[i].name).c_str());
    }
}

TEST(aMarkChangesTheNamesOfItsRowOnly)
{
    Shown shown;
    ui::MainWindow& main = shown.main;
    Listener reader;
    reader.settle();
    reader.heard.clear();
    click(main, main.labelArray("org")(7));
    CHECK(msaa::until([&] { return main.labelArray("org")(7).ForeColor() == 0xFF; }));
    reader.settle();
    std::vector<std::pair<long, std::u16string>> got;
    for (const Heard& h : reader.told(hwndOf(main)))
        if (h.event == EVENT_OBJECT_NAMECHANGE)
            got.emplace_back(h.child, h.name);
    const std::vector<std::pair<long, std::u16string>> expected{
        {idOf("org", 7), u"G, marked"},
        {idOf("conv", 7), u"G, marked"},
        {idOf("conv", 27), u"G, marked"},
        {idOf("conv", 47), u"G, marked"},
    };
    CHECK(got == expected);
    for (const auto& [child, name] : got)
        std::printf("    %s \"%s\"\n", described(child).c_str(), check::utf8(name).c_str());
}

TEST(theFocusMovingBetweenButtonsIsTold)
{
    Shown shown;
    ui::MainWindow& main = shown.main;
    Listener reader;
    reader.settle();
    reader.heard.clear();
    const char* const order[] = {"up_1", "help_pb", "up_2"};
    for (const char* name : order) {
        (void)name;
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000001);
        wintest::pump();
    }
    reader.settle();
    std::vector<std::u16string> focused;
    for (const Heard& h : reader.told(hwndOf(main)))
        if (h.event == EVENT_OBJECT_FOCUS)
            focused.push_back(h.name);
    CHECK(focused ==
          (std::vector<std::u16string>{u"Up, Converted_1", u"Help", u"Up, Converted_2"}));
    IAccessible* root = clientObject(hwndOf(main));
    if (CHECK(root != nullptr)) {
        VARIANT focus;
        VariantInit(&focus);
        CHECK_EQ(root->get_accFocus(&focus), S_OK);
        CHECK(focus.vt == VT_I4 && focus.lVal == idOf("up_2"));
        root->Release();
    }
}

// The help window's showing and hiding are told, as is its client area
// taking the focus. Wine drops an out-of-context event whose window is gone by
// the time it would be delivered, so the hiding of a closed window is heard
// in context here, as the program tells it.
TEST(theHelpWindowShowingAndHidingIsTold)
{
    Shown shown;
    ui::MainWindow& main = shown.main;
    Listener reader(WINEVENT_INCONTEXT);
    if (!CHECK(reader.hooked()))
        return;
    click(main, main.button("help_pb"));
    CHECK(
        msaa::until([&] { return main.helpWindow() != nullptr && main.helpWindow()->visible(); }));
    reader.settle();
    HWND help = hwndOf(*main.helpWindow());
    auto kinds = [&] {
        std::vector<std::pair<DWORD, std::u16string>> found;
        for (const Heard& h : reader.told(help))
            if (h.child == CHILDID_SELF)
                found.emplace_back(h.event, h.name);
        return found;
    };
    using Told = std::vector<std::pair<DWORD, std::u16string>>;
    const Told shownTold = kinds();
    CHECK(std::count(shownTold.begin(), shownTold.end(),
                     Told::value_type{EVENT_OBJECT_SHOW, u"HELP"}) == 1);
    for (const auto& [event, name] : shownTold)
        std::printf("    %s the window \"%s\"\n", eventName(event), check::utf8(name).c_str());
    reader.heard.clear();
    PostMessageW(help, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(msaa::until([&] { return !main.helpWindow()->loaded(); }));
    reader.settle();
    CHECK(kinds() == (Told{{EVENT_OBJECT_HIDE, u"HELP"}}));
}

// Nothing is told of the names a window gets while it loads unseen.
TEST(nothingIsToldBeforeAWindowShows)
{
    Platform platform;
    Listener reader(WINEVENT_INCONTEXT);
    ui::MainWindow main;
    main.Load();
    reader.settle();
    CHECK(reader.told(hwndOf(main)).empty());
    main.Show();
    reader.settle();
    const std::vector<Heard> told = reader.told(hwndOf(main));
    CHECK(std::any_of(told.begin(), told.end(), [](const Heard& h) {
        return h.event == EVENT_OBJECT_SHOW && h.name == u"Marelo";
    }));
    CHECK(std::none_of(told.begin(), told.end(),
                       [](const Heard& h) { return h.event == EVENT_OBJECT_NAMECHANGE; }));
}

// A reader may hold an object longer than its window lives: it then answers
// that it is no longer connected, and a press it asked for never comes.
TEST(objectsOutliveTheirWindow)
{
    Platform platform;
    ui::HelpWindow help;
    help.Show();
    IAccessible* root = clientObject(hwndOf(help));
    if (!CHECK(root != nullptr))
        return;
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
    if (!CHECK(root != nullptr))
        return;
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

CHECK_MAIN()
