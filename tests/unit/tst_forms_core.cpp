// The forms core's decisions, which both backends carry out: caption lines,
// densities, placement, the keyboard, clicks, the choice of faces, and what
// a change repaints.
#include "probe_form.h"
#include "testing.h"

#include "conversion/note_names.h"
#include "forms/accessible.h"
#include "forms/colours.h"
#include "forms/faces.h"
#include "forms/surface.h"
#include "forms/text_lines.h"
#include "ui/help_window.h"
#include "ui/main_window.h"

#include <algorithm>
#include <map>
#include <set>

using namespace forms;

TEST_CASE("a caption breaks into lines at CR, CR LF and LF; a closing break adds none")
{
    struct Case
    {
        std::u16string_view caption;
        std::vector<std::u16string_view> lines;
        std::u16string_view read; // as a reader that takes the text whole gets it
    };
    const Case cases[] = {
        {u"", {u""}, u""},
        {u"Ｃ", {u"Ｃ"}, u"Ｃ"},
        {u"a\rb", {u"a", u"b"}, u"a\nb"},
        {u"a\r\nb", {u"a", u"b"}, u"a\nb"},
        {u"a\nb", {u"a", u"b"}, u"a\nb"},
        {u"a\r", {u"a"}, u"a\n"},
        {u"a\r\r", {u"a", u""}, u"a\n\n"},
        {u"\r", {u""}, u"\n"},
        {u"a\r\rb\r", {u"a", u"", u"b"}, u"a\n\nb\n"},
        {u"\n\r", {u"", u""}, u"\n\n"}, // LF then CR: two breaks, not one pair
    };
    for (const Case& c : cases) {
        CAPTURE(c.caption);
        CHECK(captionLines(c.caption) == c.lines);
        CHECK(readerText(c.caption) == c.read);
    }
}

TEST_CASE("a density keeps shared frame lines shared and frames whole pixels")
{
    struct Case
    {
        int dpi;
        int thickness;
        int px100; // 100 pixels at 96 dpi
    };
    const Case cases[] = {{96, 1, 100}, {120, 1, 125}, {144, 1, 150}, {168, 1, 175}, {192, 2, 200}};
    for (const Case& c : cases) {
        CAPTURE(c.dpi);
        const Scale scale{c.dpi};
        CHECK(scale.thickness() == c.thickness);
        CHECK(scale.px(100) == c.px100);
        // Cell r of the Original column: its bottom frame row is row r + 1's top.
        for (int r = 0; r < 11; ++r) {
            const PixelRect cell = scale.box({120, 360 + 240 * r, 1095, 255});
            const PixelRect next = scale.box({120, 360 + 240 * (r + 1), 1095, 255});
            CHECK(next.top == cell.bottom - scale.thickness());
            CHECK(cell.right - cell.left >= scale.px(73) - 1);
        }
        // A box's right line lies on the cells' right frame column.
        const PixelRect cell = scale.box({1320, 360, 1455, 255});
        const PixelRect line = scale.line({2760, 3360, 2760, 4200});
        CHECK(line.right == cell.right);
        CHECK(line.width() == scale.thickness());
        CHECK(line.height() == scale.px(56) + scale.thickness());
    }
    CHECK(Scale{96}.box({120, 360, 1095, 255}) == PixelRect{8, 24, 81, 41});
    CHECK(Scale{96}.client(6015, 4305) == PixelSize{401, 287});
    CHECK(Scale{144}.client(6015, 4305) == PixelSize{602, 431});
}

TEST_CASE("a window is centred on the work area, but its corner never leaves the screen")
{
    struct Case
    {
        const char* name;
        PixelRect area;
        PixelSize frame;
        PixelPoint at;
    };
    const Case cases[] = {
        {"room to spare", {0, 0, 1024, 768}, {411, 320}, {306, 224}},
        {"a panel on top", {0, 32, 1024, 768}, {411, 320}, {306, 240}},
        {"a second screen", {1024, 0, 2048, 768}, {411, 320}, {1330, 224}},
        {"exactly the size", {0, 0, 411, 320}, {411, 320}, {0, 0}},
        {"a screen smaller than the window", {0, 0, 320, 240}, {411, 320}, {0, 0}},
        {"narrower only", {0, 0, 320, 768}, {411, 320}, {0, 224}},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        const PixelPoint at = centredOn(c.area, c.frame);
        CHECK(at.x == c.at.x);
        CHECK(at.y == c.at.y);
    }
}

TEST_CASE("a window is centred on the screen of the window the user works in, else the primary")
{
    const Screen left{{0, 0, 1280, 1024}, {0, 0, 1280, 984}};
    const Screen right{{1280, 0, 3200, 1080}, {1280, 0, 3200, 1080}};
    struct Case
    {
        const char* name;
        std::vector<Screen> screens; // the primary first
        std::optional<PixelRect> foreground;
        int chosen; // -1: none
    };
    const Case cases[] = {
        {"no foreground window: the primary", {left, right}, std::nullopt, 0},
        {"no foreground window, the primary on the right", {right, left}, std::nullopt, 0},
        {"on the primary", {left, right}, PixelRect{100, 100, 900, 700}, 0},
        {"on the other screen", {left, right}, PixelRect{1500, 100, 2300, 700}, 1},
        {"across both, more on the other", {left, right}, PixelRect{1000, 100, 1800, 700}, 1},
        {"across both, more on the primary", {left, right}, PixelRect{800, 100, 1600, 700}, 0},
        {"halves alike: the primary", {right, left}, PixelRect{880, 0, 1680, 600}, 0},
        {"on no screen (minimised out of sight)",
         {left, right},
         PixelRect{-32000, -32000, -31840, -31970},
         0},
        {"no screen", {}, PixelRect{0, 0, 10, 10}, -1},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        const Screen* chosen = screenInUse(c.screens, c.foreground);
        CHECK((chosen == nullptr ? -1 : int(chosen - c.screens.data())) == c.chosen);
    }
}

TEST_CASE("a window whose screen shrank or went is brought whole onto a screen that remains")
{
    struct Case
    {
        const char* name;
        PixelRect frame;
        std::vector<PixelRect> areas; // the primary first
        PixelPoint at;
    };
    const PixelRect small{0, 0, 640, 480};
    const PixelRect left{0, 0, 1280, 1024}, right{1280, 0, 2560, 1024};
    const Case cases[] = {
        {"whole on its screen: stays", {100, 100, 513, 420}, {small}, {100, 100}},
        {"whole on the second screen: stays", {1400, 50, 1813, 370}, {left, right}, {1400, 50}},
        {"the screen shrank under it", {440, 388, 851, 708}, {small}, {229, 160}},
        {"only its right part off", {300, 10, 713, 330}, {small}, {227, 10}},
        {"its monitor went: onto the one left", {1400, 50, 1813, 370}, {left}, {867, 50}},
        {"across two screens: onto the one with more of it",
         {1100, 0, 1513, 320},
         {left, right},
         {1280, 0}},
        {"off every screen: the nearest", {3000, 2000, 3413, 2320}, {left, right}, {2147, 704}},
        {"larger than the screen: its corner on it",
         {440, 388, 851, 708},
         {{0, 0, 320, 240}},
         {0, 0}},
        {"a panel on top: below it", {10, -5, 423, 315}, {{0, 32, 1024, 768}}, {10, 32}},
        {"no screen known: stays", {440, 388, 851, 708}, {}, {440, 388}},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        const PixelPoint at = keptOnScreens(c.frame, c.areas);
        CHECK(at.x == c.at.x);
        CHECK(at.y == c.at.y);
    }
}

TEST_CASE("Qt's rounded pixels: the device pixels they stand for, and back toward a side")
{
    struct Rounded
    {
        int coarse, origin;
        double ratio;
        std::pair<int, int> devices;
    };
    const Rounded rounded[] = {
        {683, 0, 1.5, {1024, 1025}},     // a 1024 screen at 1.5
        {853, 0, 1.5, {1279, 1280}},     // a 1280 screen at 1.5
        {1280, 0, 1.5, {1920, 1920}},    // exact
        {1480, 1280, 1.5, {1580, 1580}}, // counted from a second monitor's corner
        {100, 0, 2, {199, 200}},         {57, 0, 1, {57, 57}},
        {-10, 0, 1.5, {-15, -15}}, // left of the screen's corner
    };
    for (const Rounded& c : rounded) {
        INFO(c.coarse << " from " << c.origin << " at " << c.ratio);
        CHECK(CoarsePixels{c.origin, c.ratio}.devicePixels(c.coarse) == c.devices);
    }

    struct Toward
    {
        int device;
        bool upward;
        int coarse, landsOn;
    };
    const CoarsePixels at15{0, 1.5};
    const Toward toward[] = {
        {422, false, 281, 422}, {422, true, 281, 422}, // a pixel both ways lands on it
        {423, false, 282, 423}, {421, true, 281, 422},
        {421, false, 280, 420}, {337, false, 224, 336}, // never a pixel past the screen's edge
        {338, true, 225, 338},
    };
    for (const Toward& c : toward) {
        INFO(c.device << (c.upward ? " upward" : " downward"));
        CHECK(at15.coarse(c.device, c.upward) == c.coarse);
        CHECK(at15.device(c.coarse) == c.landsOn);
    }
}

TEST_CASE("a work area in Qt's pixels: the device pixels it surely covers")
{
    struct Case
    {
        const char* name;
        PixelRect coarse;
        PixelPoint origin;
        double ratio;
        std::vector<int> edgesX, edgesY;
        PixelRect device;
    };
    const Case cases[] = {
        {"1024x768 at 1.5", {0, 0, 683, 512}, {0, 0}, 1.5, {0, 1024}, {0, 768}, {0, 0, 1024, 768}},
        {"1280x1024 at 1.5, the screen's size known",
         {0, 0, 853, 683},
         {0, 0},
         1.5,
         {0, 1280},
         {0, 1024},
         {0, 0, 1280, 1024}},
        {"1280x1024 at 1.5, nothing known: a pixel inside",
         {0, 0, 853, 683},
         {0, 0},
         1.5,
         {},
         {},
         {0, 0, 1279, 1024}},
        {"a panel on top", {0, 22, 683, 512}, {0, 0}, 1.5, {0, 1024}, {0, 768}, {0, 33, 1024, 768}},
        {"the right one of two monitors",
         {1280, 0, 2987, 683},
         {1280, 0},
         1.5,
         {0, 1280, 3840},
         {0, 1024},
         {1280, 0, 3840, 1024}},
        {"at 1: as it is", {5, 7, 645, 487}, {0, 0}, 1, {}, {}, {5, 7, 645, 487}},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        const PixelRect area = deviceInside(c.coarse, {c.origin.x, c.ratio}, {c.origin.y, c.ratio},
                                            c.edgesX, c.edgesY);
        CHECK(area == c.device);
    }
}

TEST_CASE("keys: Tab and Right/Down go on, Shift+Tab and Left/Up go back, Return clicks")
{
    ui::MainWindow main;
    main.Load();
    const FormSurface& surface = *main.surface();
    std::vector<std::string> order;
    for (const CommandButton* button : surface.focusOrder())
        order.push_back(button->displayName());
    CHECK(order == std::vector<std::string>{"dn_1", "up_1", "help_pb", "up_2", "dn_2", "dn_3",
                                            "up_3", "reset"});
    CHECK(surface.firstFocus() == &main.button("dn_1"));

    const CommandButton& up2 = main.button("up_2");
    struct Case
    {
        const char* name;
        KeyPress press;
        const CommandButton* focused;
        KeyAnswer::Kind kind;
        const char* target;
    };
    const KeyPress tab{Key::Tab};
    const KeyPress backTab{Key::Tab, true};
    const Case cases[] = {
        {"Tab", tab, &up2, KeyAnswer::MoveFocus, "dn_2"},
        {"Shift+Tab", backTab, &up2, KeyAnswer::MoveFocus, "help_pb"},
        {"Right", {Key::Right}, &up2, KeyAnswer::MoveFocus, "dn_2"},
        {"Down", {Key::Down}, &up2, KeyAnswer::MoveFocus, "dn_2"},
        {"Left", {Key::Left}, &up2, KeyAnswer::MoveFocus, "help_pb"},
        {"Up", {Key::Up}, &up2, KeyAnswer::MoveFocus, "help_pb"},
        {"Tab round the end", tab, &main.button("reset"), KeyAnswer::MoveFocus, "dn_1"},
        {"Shift+Tab round the start", backTab, &main.button("dn_1"), KeyAnswer::MoveFocus, "reset"},
        {"Tab with no focus", tab, nullptr, KeyAnswer::MoveFocus, "dn_1"},
        {"Shift+Tab with no focus", backTab, nullptr, KeyAnswer::MoveFocus, "reset"},
        {"a held Tab goes on",
         {Key::Tab, false, false, false, true},
         &up2,
         KeyAnswer::MoveFocus,
         "dn_2"},
        {"Return", {Key::Return}, &up2, KeyAnswer::Click, "up_2"},
        {"Return with no focus", {Key::Return}, nullptr, KeyAnswer::Ignore, nullptr},
        {"Space is the button's own", {Key::Space}, &up2, KeyAnswer::Native, nullptr},
        {"Ctrl+Tab is the system's", {Key::Tab, false, true}, &up2, KeyAnswer::Ignore, nullptr},
        {"Alt+Tab is the system's",
         {Key::Tab, false, false, true},
         &up2,
         KeyAnswer::Ignore,
         nullptr},
        {"another key", {Key::Other}, &up2, KeyAnswer::Ignore, nullptr},
    };
    FormSurface& keys = *main.surface();
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        const KeyAnswer answer = keys.key(c.press, c.focused);
        CHECK(answer.kind == c.kind);
        CHECK((answer.target != nullptr ? answer.target->displayName() : std::string()) ==
              (c.target != nullptr ? c.target : ""));
    }

    // A window without buttons takes no key.
    ui::HelpWindow help;
    help.Load();
    for (Key key : {Key::Tab, Key::Right, Key::Return, Key::Space, letterKey('E')})
        CHECK(help.surface()->key({key}, nullptr).kind == KeyAnswer::Ignore);
}

TEST_CASE("a letter's key goes to the window's KeyDown first, once per key held down")
{
    ui::MainWindow main;
    main.Load();
    FormSurface& surface = *main.surface();
    const CommandButton* up2 = &main.button("up_2");
    struct Case
    {
        const char* name;
        KeyPress press;
        bool taken; // KeyDown sets KeyCode to 0
        int code;   // what KeyDown gets; 0: not raised
        int shift;
        KeyAnswer::Kind kind;
    };
    const Case cases[] = {
        {"E", {letterKey('E')}, true, 69, 0, KeyAnswer::Handled},
        {"e is the same key", {letterKey('e')}, true, 69, 0, KeyAnswer::Handled},
        {"Shift+C", {letterKey('C'), true}, true, 67, kShiftMask, KeyAnswer::Handled},
        {"a key KeyDown leaves", {letterKey('H')}, false, 72, 0, KeyAnswer::Ignore},
        {"a held key's repeat",
         {letterKey('E'), false, false, false, true},
         true,
         0,
         0,
         KeyAnswer::Ignore},
        {"a held Shift+C's repeat",
         {letterKey('C'), true, false, false, true},
         true,
         0,
         0,
         KeyAnswer::Ignore},
        {"Ctrl+E is the system's", {letterKey('E'), false, true}, true, 0, 0, KeyAnswer::Ignore},
        {"Alt+E is the system's",
         {letterKey('E'), false, false, true},
         true,
         0,
         0,
         KeyAnswer::Ignore},
        {"Space stays the button's", {Key::Space}, true, 0, 0, KeyAnswer::Native},
        {"Tab stays the focus's", {Key::Tab}, true, 0, 0, KeyAnswer::MoveFocus},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        for (const CommandButton* focused : {up2, static_cast<const CommandButton*>(nullptr)}) {
            int code = 0;
            int shift = -1;
            main.KeyDown = [&](std::int16_t& KeyCode, std::int16_t Shift) {
                code = KeyCode;
                shift = Shift;
                if (c.taken)
                    KeyCode = 0;
            };
            const KeyAnswer answer = surface.key(c.press, focused);
            CHECK(code == c.code);
            if (c.code != 0)
                CHECK(shift == c.shift);
            if (focused != nullptr || c.kind != KeyAnswer::Native)
                CHECK(answer.kind == c.kind);
        }
    }
    // Without key preview the window's controls get every key.
    ui::HelpWindow help;
    help.Load();
    int raised = 0;
    help.KeyDown = [&](std::int16_t&, std::int16_t) { ++raised; };
    CHECK(help.surface()->key({letterKey('E')}, nullptr).kind == KeyAnswer::Ignore);
    CHECK(raised == 0);
}

namespace {

// Records what the surface asks of its window: repaints, refits, and names
// and descriptions to tell a reader.
struct PeerLog final : FormPeer
{
    std::vector<PixelRect> areas;
    std::vector<std::string> told;
    int refits = 0;
    void show() override {}
    void hide() override {}
    void activate() override {}
    void invalidate(const PixelRect& area) override { areas.push_back(area); }
    std::vector<std::string> named; // names a reader is to be told anew
    void renamed(const Control& control) override { named.push_back(control.displayName()); }
    void refit() override { ++refits; }
    void described(const Control& control) override { told.push_back(control.displayName()); }
};

} // namespace

TEST_CASE("an announcement rides on the focused control's description until the focus moves")
{
    ui::MainWindow main;
    main.Load();
    FormSurface& surface = *main.surface();
    PeerLog log;
    surface.setPeer(&log);
    const std::u16string up1Own = main.button("up_1").accessibleDescription();
    const std::u16string resetOwn = main.button("reset").accessibleDescription();
    REQUIRE(!up1Own.empty());
    struct Step
    {
        const char* name;
        const char* focus;        // a focus report: a button, "" for none; null: announce
        std::u16string_view text; // the announcement
        std::vector<std::string> told;
        std::u16string up1, reset; // their descriptions afterwards; "own" for their own
    };
    const std::u16string own = u"own";
    const Step steps[] = {
        {"focus on Up", "up_1", {}, {}, own, own},
        {"a press is told", nullptr, u"one", {"up_1"}, u"one", own},
        {"the same words again are told again", nullptr, u"one", {"up_1"}, u"one", own},
        {"new words", nullptr, u"two", {"up_1"}, u"two", own},
        {"the focus moves: each says its own", "reset", {}, {}, own, own},
        {"told on RESET", nullptr, u"three", {"reset"}, own, u"three"},
        {"back on Up, its own again before the focus is heard", "up_1", {}, {"up_1"}, own, own},
        {"told on Up", nullptr, u"four", {"up_1"}, u"four", own},
        {"the window comes back with the focus on Up", "up_1", {}, {"up_1"}, own, own},
        {"back on RESET, which a reader heard last with words", "reset", {}, {"reset"}, own, own},
        {"no focus", "", {}, {}, own, own},
        {"nothing is told without a focus", nullptr, u"five", {}, own, own},
    };
    for (const Step& step : steps) {
        INFO(std::string(step.name));
        log.told.clear();
        if (step.focus == nullptr)
            main.announce(step.text);
        else
            surface.focusChanged(*step.focus != '\0' ? &main.button(step.focus) : nullptr);
        CHECK(log.told == step.told);
        CHECK(main.button("up_1").accessibleDescription() == (step.up1 == own ? up1Own : step.up1));
        CHECK(main.button("reset").accessibleDescription() ==
              (step.reset == own ? resetOwn : step.reset));
    }
    surface.setPeer(main.peer());
}

TEST_CASE("a reader is told of a label's name once each time it really changes")
{
    probe::ProbeForm form;
    form.Load();
    Label& single = form.label("single");
    Label& count = form.labelArray("cells")(5);
    std::u16string state;
    single.AccessibleName = [&] { return single.Caption() + state + count.Caption(); };
    single.setNameSource(&count);
    PeerLog log;
    form.surface()->setPeer(&log);
    struct Step
    {
        const char* name;
        std::function<void()> act;
        std::vector<std::string> told;
    };
    const Step steps[] = {
        {"not shown yet: a new name is no news", [&] { single.setCaption(u"loading"); }, {}},
        {"shown", [&] { form.Show(); }, {}},
        {"a new alignment, the same name", [&] { single.setAlignment(AlignRight); }, {}},
        {"a new colour, the same name", [&] { single.setForeColor(0x0000FF); }, {}},
        {"a new caption is a new name", [&] { single.setCaption(u"next"); }, {"single"}},
        {"the name follows the colour",
         [&] {
             state = u", marked";
             single.setForeColor(kWhite);
         },
         {"single"}},
        {"a later change with that name told already", [&] { single.setAlignment(AlignLeft); }, {}},
        {"back to the first name",
         [&] {
             state.clear();
             single.setCaption(u"start");
         },
         {"single"}},
        {"the name follows its source", [&] { count.setCaption(u" 2"); }, {"cells(5)", "single"}},
        {"a source's change that keeps the name", [&] { count.setForeColor(kWhite); }, {}},
    };
    for (const Step& step : steps) {
        INFO(std::string(step.name));
        log.named.clear();
        step.act();
        CHECK(log.named == step.told);
    }
    form.surface()->setPeer(form.peer());
}

// The tree a reader finds is read through real windows elsewhere; these are
// the cases those windows never show.
TEST_CASE("a label's mixed breaks are its lines to a reader; a larger window owns the rest")
{
    probe::ProbeForm form;
    form.Load();
    Label& single = form.label("single");
    single.setCaption(u"one\r\ntwo\rthree\r");
    const AccessibleTree tree(form);
    const AccessibleElement client, label{&single};
    CHECK_EQ(tree.childCount(label), 3L);
    CHECK_FALSE(tree.child(label, 4).has_value());
    CHECK(tree.name(label, u"\r\n") == u"one\r\ntwo\r\nthree");
    CHECK(tree.name({&single, 2}, u"\r\n") == u"three");
    const PixelRect layout = tree.box(client);
    const AccessibleTree larger(form, {layout.right + 50, layout.bottom});
    CHECK_FALSE(tree.hitTest(client, {layout.right + 10, 0}).has_value());
    CHECK(larger.hitTest(client, {layout.right + 10, 0}) == 0L);
}

// What the key table's window never shows of a window's table: its controls
// declared apart, ids asked of the wrong parent, places past its ends, a
// reload without it. Its structure is read through real windows elsewhere.
TEST_CASE("a window's table stands where its first control is declared, until the window unloads")
{
    probe::ProbeForm form;
    form.Load();
    Label& single = form.label("single");
    LabelArray& cells = form.labelArray("cells");
    form.setReaderTable({u"Probe table", {&cells(5), &cells(7)}, {{&cells(8), &single}}});
    const AccessibleElement client, table{nullptr, -1, kWholeTable};
    const AccessibleTree tree(form, {}, TableShape::Rows);
    CHECK(tree.children(client) == std::vector<AccessibleElement>{table, {&form.button("go")}});
    const long id = tree.indexOf(single);
    CHECK(tree.child(client, id) == AccessibleElement{&single});
    CHECK_FALSE(tree.child(client, -1000).has_value());
    CHECK_FALSE(tree.child(table, id).has_value());
    CHECK(tree.at({1, 0}) == nullptr);
    CHECK(tree.at({0, 2}) == nullptr);
    CHECK(tree.description({&single}) == u"cells(7), row cells(8)");
    CHECK(form.Unload());
    form.Load();
    CHECK_EQ(AccessibleTree(form).childCount(client), 5L);
}

TEST_CASE("a press and a release on the same label click it; a double-click is one Click and a "
          "DblClick")
{
    probe::ProbeForm form;
    form.Load();
    FormSurface& surface = *form.surface();
    Label& single = form.label("single");
    Label& cell = form.labelArray("cells")(5);
    std::vector<std::string> events;
    for (Label* label : {&single, &cell}) {
        label->Click = [&events, label] { events.push_back(label->displayName() + " Click"); };
        label->DblClick = [&events, label] {
            events.push_back(label->displayName() + " DblClick");
        };
    }
    const auto centre = [&](const Label& label) {
        const PixelRect box = surface.box(label);
        return PixelPoint{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    };
    const PixelPoint outside{surface.clientSize().width - 1, surface.clientSize().height - 1};

    struct Step
    {
        char what; // p: press, d: second press of a double-click, r: release, c: capture lost
        const Label* where;
    };
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"click", {{'p', &single}, {'r', &single}}, {"single Click"}},
        {"released elsewhere", {{'p', &single}, {'r', &cell}}, {}},
        {"released outside every label", {{'p', &single}, {'r', nullptr}}, {}},
        {"pressed outside, released on it", {{'p', nullptr}, {'r', &single}}, {}},
        {"double-click",
         {{'p', &single}, {'r', &single}, {'d', &single}, {'r', &single}},
         {"single Click", "single DblClick"}},
        {"capture lost", {{'p', &cell}, {'c', nullptr}, {'r', &cell}}, {}},
        {"release without a press", {{'r', &cell}}, {}},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        events.clear();
        for (const Step& step : c.steps) {
            const PixelPoint at = step.where != nullptr ? centre(*step.where) : outside;
            switch (step.what) {
            case 'p':
                surface.press(at, false);
                break;
            case 'd':
                surface.press(at, true);
                break;
            case 'r':
                surface.release(at);
                break;
            default:
                surface.cancelPress();
                break;
            }
        }
        CHECK(events == c.events);
    }
    CHECK(surface.labelAt(outside) == nullptr);

    // Rows of note cells share a frame line: the later row is on top there.
    ui::MainWindow main;
    main.Load();
    const PixelRect org0 = main.surface()->box(main.labelArray("org")(0));
    CHECK(main.surface()->labelAt({org0.left + 5, org0.bottom - 1}) == &main.labelArray("org")(1));
    CHECK(main.surface()->labelAt({org0.left + 5, org0.bottom - 2}) == &main.labelArray("org")(0));
}

namespace {

// A desktop with a made-up set of faces, measured by a simple rule.
class FakeDesktop final : public Desktop
{
public:
    struct Face
    {
        std::u16string family;
        bool japanese;
        bool proportional;
        int fullwidth;          // pixels of a fullwidth letter at 13 px
        std::u16string missing; // characters without a glyph
    };
    std::vector<Face> faces;

    const Face* find(std::u16string_view family) const
    {
        for (const Face& face : faces)
            if (face.family == family)
                return &face;
        return nullptr;
    }
    std::vector<std::u16string> japaneseFamilies() override
    {
        std::vector<std::u16string> out;
        for (const Face& face : faces)
            if (face.japanese)
                out.push_back(face.family);
        return out;
    }
    bool isJapanese(std::u16string_view family) override
    {
        const Face* face = find(family);
        return face != nullptr && face->japanese;
    }
    bool hasGlyphs(const FontFace& f, std::u16string_view text) override
    {
        const Face* face = find(f.family);
        return face != nullptr && std::none_of(text.begin(), text.end(), [&](char16_t c) {
                   return face->missing.find(c) != std::u16string::npos;
               });
    }
    // Fullwidth letters `fullwidth` pixels at 13 px, some half as wide in a
    // proportional face.
    int width(const FontFace& f, std::u16string_view text) override
    {
        const Face* face = find(f.family);
        int w = 0;
        for (char16_t c : text)
            w += face->proportional && (c == u'Ｉ' || c == u'（' || c == u'）')
                     ? face->fullwidth / 2
                     : face->fullwidth;
        return w * f.pixels / 13;
    }
    FontMetrics metrics(const FontFace& f) override { return {f.pixels, f.pixels, f.pixels}; }
    FontFace defaultFont(int) override { return {u"Sans", 12, 400}; }
    int buttonPadding(int) override { return 3; }
    Color systemColor(int) override { return 0; }
};

} // namespace

TEST_CASE("the stand-in for a missing Japanese face: Japanese, every glyph, fits its cell")
{
    using Face = FakeDesktop::Face;
    const Face msGothic{u"ＭＳ Ｐゴシック", true, true, 12, u""};
    const Face ipa{u"IPAPGothic", true, true, 11, u""};
    const Face monospaced{u"IPAGothic", true, false, 13, u""};
    const Face latin{u"DejaVu Sans", false, true, 8, u""};
    const Face noFlat{u"VL PGothic", true, true, 11, u"♭"};
    const Face wide{u"Meiryo UI", true, true, 16, u""};
    const Face other{u"Some Japanese", true, true, 11, u""};
    struct Case
    {
        const char* name;
        std::vector<Face> installed;
        std::u16string face;
        std::u16string picked;
    };
    const Case cases[] = {
        {"the face itself", {ipa, msGothic}, u"ＭＳ Ｐゴシック", u"ＭＳ Ｐゴシック"},
        {"the first stand-in in order", {other, ipa, noFlat}, u"ＭＳ Ｐゴシック", u"IPAPGothic"},
        {"not a monospaced one", {monospaced, ipa}, u"ＭＳ Ｐゴシック", u"IPAPGothic"},
        {"not one too wide for the cell", {wide, ipa}, u"ＭＳ Ｐゴシック", u"IPAPGothic"},
        {"not one without a flat sign", {noFlat, other}, u"ＭＳ Ｐゴシック", u"Some Japanese"},
        {"not a Latin face", {latin}, u"ＭＳ Ｐゴシック", u"ＭＳ Ｐゴシック"},
        {"no Japanese face: the name, for the toolkit's fallback",
         {latin},
         u"ＭＳ 明朝",
         u"ＭＳ 明朝"},
        {"a face without rules is kept", {ipa}, u"Arial", u"Arial"},
        {"Mincho may be monospaced",
         {Face{u"IPAMincho", true, false, 12, u""}},
         u"ＭＳ 明朝",
         u"IPAMincho"},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        FakeDesktop desktop;
        desktop.faces = c.installed;
        const FacePick pick = pickFamily(desktop, c.face);
        CHECK(pick.family == c.picked);
        CHECK(pick.shrink == 1.0);
    }
}

TEST_CASE("where no face fits the names, the best Japanese one is drawn small enough")
{
    using Face = FakeDesktop::Face;
    struct Case
    {
        const char* name;
        std::vector<Face> installed;
        std::u16string picked;
        int pixels; // the note cells' size at 96 dpi
    };
    const Case cases[] = {
        // Six fullwidth characters of 13 px: 78 px, where 71 fit.
        {"monospaced only",
         {Face{u"Noto Sans CJK JP", true, false, 13, u""}},
         u"Noto Sans CJK JP",
         11},
        {"a proportional one before a narrower monospaced one",
         {Face{u"Mono", true, false, 12, u""}, Face{u"Prop", true, true, 15, u""}},
         u"Prop",
         12},
        {"of two monospaced ones the narrower",
         {Face{u"Wide", true, false, 15, u""}, Face{u"Less", true, false, 13, u""}},
         u"Less",
         11},
        {"not one without the glyphs",
         {Face{u"Holes", true, true, 10, u"♭"}, Face{u"Mono", true, false, 13, u""}},
         u"Mono",
         11},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        FakeDesktop desktop;
        desktop.faces = c.installed;
        const FacePick pick = pickFamily(desktop, u"ＭＳ Ｐゴシック");
        CHECK(pick.family == c.picked);
        CHECK(static_cast<int>(13 * pick.shrink) == c.pixels);
        const FontFace face{pick.family, static_cast<int>(13 * pick.shrink), 700};
        for (std::u16string_view name : conversion::kNoteNames)
            CHECK(desktop.width(face, name) <= 71);
    }
}

TEST_CASE("a text is fitted by making its face smaller, never below the floor")
{
    FakeDesktop desktop;
    desktop.faces = {FakeDesktop::Face{u"Mono", true, false, 13, u""}};
    struct Case
    {
        int room;
        int pixels;
    };
    // Four fullwidth characters, 13 px each at 13 px.
    const Case cases[] = {{60, 13}, {52, 13}, {51, 12}, {40, 10}, {10, 9}};
    for (const Case& c : cases) {
        CAPTURE(c.room);
        CHECK(fitted(desktop, {u"Mono", 13, 400}, u"ＡＢＣＤ", c.room, 9).pixels == c.pixels);
    }
}

TEST_CASE("contrast: the chart's pairs and the standard scheme")
{
    struct Case
    {
        Color a, b;
        double low, high;
    };
    const Case cases[] = {
        {0x000000, 0xFFFFFF, 20.9, 21.0}, // black names on white
        {0x0000FF, 0xFFFFFF, 3.9, 4.1},   // red marks on white
        {0xFFFFFF, 0xFFFFFF, 1.0, 1.0},
        {0x2B2B2B, 0x000000, 1.3, 1.6},
    };
    for (const Case& c : cases) {
        CHECK(contrastRatio(c.a, c.b) >= c.low);
        CHECK(contrastRatio(c.a, c.b) <= c.high);
        CHECK(contrastRatio(c.a, c.b) == contrastRatio(c.b, c.a));
    }
    CHECK(standardSystemColor(5) == 0xFFFFFF);  // window background
    CHECK(standardSystemColor(8) == 0x000000);  // window text
    CHECK(standardSystemColor(18) == 0x000000); // button text
    CHECK(standardSystemColor(13) == 0xD77800); // highlight, 0x00BBGGRR
}

TEST_CASE("high contrast: a mark in the scheme's highlight pair where it reads and stands out")
{
    // 0x00BBGGRR.
    const Color black = 0x000000, white = 0xFFFFFF, yellow = 0x00FFFF, purple = 0x800080;
    struct Case
    {
        const char* name;
        ContrastScheme scheme;
        InkOnGround marked;
    };
    const Case cases[] = {
        {"High Contrast Black", {black, white, purple, white}, {white, purple}},
        {"High Contrast White", {white, black, 0x6E0037, white}, {white, 0x6E0037}},
        {"a highlight no one tells from the window: the window's pair reversed",
         {black, yellow, 0x200000, yellow},
         {black, yellow}},
        {"a highlight pair that does not read: the window's pair reversed",
         {black, white, 0xA00000, 0xFF0000},
         {black, white}},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        CHECK(emphasisPair(c.scheme) == c.marked);
    }
    // A text in the window-text colour is plain however it is named; any
    // other colour sets it apart.
    for (Color plain : {kBlack, kSysWindowText, kSysButtonText})
        CHECK_FALSE(isEmphasis(plain));
    for (Color apart : {kRed, kWhite, Color(0x00FF00)})
        CHECK(isEmphasis(apart));
}

TEST_CASE("the main window is a sheet in the standard colours; the help window follows the desktop")
{
    ui::MainWindow main;
    main.Load();
    for (Color system : {kSysWindowBackground, kSysWindowText, kSysButtonText, kSysButtonFace})
        CHECK(main.surface()->resolve(system) ==
              standardSystemColor(static_cast<int>(system & 0xFF)));
    CHECK(main.surface()->resolve(0x0000FF) == 0x0000FF);
    CHECK(main.surface()->backColor() == 0xFFFFFF);
    ui::HelpWindow help;
    help.Load();
    CHECK(help.surface()->resolve(kSysButtonFace) == desktop().systemColor(15));
    CHECK(help.surface()->backColor() == desktop().systemColor(15));
}

TEST_CASE("every button caption fits its button with two pixels to spare either side")
{
    ui::MainWindow main;
    main.Load();
    for (int dpi : {96, 120, 144, 192}) {
        CAPTURE(dpi);
        const Scale scale{dpi};
        for (const auto& control : main.controls()) {
            if (control->kind() != ControlKind::CommandButton)
                continue;
            const auto& button = static_cast<const CommandButton&>(*control);
            CAPTURE(button.displayName());
            const FontFace face = buttonFont(button, scale);
            const int room =
                scale.box(button.rect()).width() - 2 * (desktop().buttonPadding(dpi) + scale.px(2));
            CHECK((desktop().width(face, button.Caption()) <= room ||
                   face.pixels == scale.px(kLegibleFloorPixels)));
            CHECK(face.pixels >= scale.px(kLegibleFloorPixels));
        }
    }
}

TEST_CASE("on this desktop the note cells' face is Japanese and the widest name fits")
{
    const std::u16string& gothic = resolveFamily(u"ＭＳ Ｐゴシック");
    const std::u16string& mincho = resolveFamily(u"ＭＳ 明朝");
    MESSAGE("note cells: " << testing::utf8(gothic) << "; help: " << testing::utf8(mincho));
    CHECK(desktop().isJapanese(gothic));
    CHECK(desktop().isJapanese(mincho));
    const FontFace bold = resolveFont({u"ＭＳ Ｐゴシック", 9.75, 700, kCharsetShiftJis}, Scale{});
    CHECK(bold.pixels == 13);
    CHECK(bold.weight == 700);
    int widest = 0;
    for (std::u16string_view name : conversion::kNoteNames)
        widest = std::max(widest, desktop().width(bold, name));
    MESSAGE("widest note name: " << widest << " px of 71");
    CHECK(widest <= 71);
    CHECK(desktop().width(bold, u"Ｉ") < desktop().width(bold, u"Ｗ"));
}

namespace {

// Fills as a list of rectangles and colours; text as its runs.
struct PaintLog final : Painter
{
    struct Run
    {
        int x, top;
        std::u16string text;
    };
    std::vector<std::pair<PixelRect, Color>> fills;
    std::vector<Run> runs;
    void fill(const PixelRect& area, Color color) override { fills.emplace_back(area, color); }
    void text(int x, int top, std::u16string_view run, const FontFace&, Color,
              const PixelRect&) override
    {
        runs.push_back({x, top, std::u16string(run)});
    }
};

} // namespace

// Whether the window is as a fresh start shows it is judged from its pixels
// (test_desktops.py); here, that the window is told only when it must change.
TEST_CASE("re-measured while running, the window is fitted again only where something changed")
{
    ui::MainWindow main;
    main.Load();
    PeerLog log;
    main.surface()->setPeer(&log);
    const int from = main.surface()->scale().dpi;
    CHECK_FALSE(main.surface()->refit(from));
    CHECK(log.refits == 0);
    CHECK(main.surface()->refit(from + 48));
    CHECK(log.refits == 1);
    CHECK(main.surface()->clientSize() == Scale{from + 48}.client(6015, 4305));
    main.surface()->setPeer(main.peer());
}

TEST_CASE("the help text's low lines stand under their letters, inside their own line")
{
    ui::HelpWindow help;
    help.Load();
    const Label& text = help.label("Label1");
    for (int dpi : {96, 120, 144, 168, 192}) {
        CAPTURE(dpi);
        help.surface()->setDpi(dpi);
        const int pitch = help.surface()->linePitch(text);
        const PixelRect box = help.surface()->box(text);
        const FontFace face = help.surface()->font(text);
        PaintLog log;
        help.surface()->paint(log);
        // No low line is left to the face, which would put it on the next line.
        for (const auto& run : log.runs)
            CHECK(run.text.find(u'_') == std::u16string::npos);
        // A reader finds each line where it is drawn, inside the label.
        for (const auto& run : log.runs) {
            const PixelRect line = help.surface()->lineBox(text, (run.top - box.top) / pitch);
            CHECK(line.top == run.top);
            CHECK(line.contains(run.x, run.top));
            CHECK(line.intersected(box) == line);
        }
        // Lines 5 and 6, "Converted_1 _2 _3": a rule for each low line,
        // below the middle of their own line, where the glyph stood in the
        // whole line; every other character stays where it stood.
        const auto lines = ui::HelpWindow::usageLines();
        int rules = 0;
        for (const auto& [area, color] : log.fills) {
            if (area.height() != Scale{dpi}.thickness() || !box.contains(area.left, area.top))
                continue;
            ++rules;
            const int line = (area.top - box.top) / pitch;
            CAPTURE(line + 1);
            REQUIRE((line == 4 || line == 5));
            CHECK(area.top - (box.top + line * pitch) >= pitch / 2);
            const std::u16string_view whole = lines[std::size_t(line)];
            std::vector<int> starts; // where each character of the whole line stands
            for (std::size_t i = 0; i < whole.size(); ++i)
                starts.push_back(box.left + desktop().width(face, whole.substr(0, i)));
            const auto low = std::find(starts.begin(), starts.end(), area.left);
            REQUIRE(low != starts.end());
            CHECK(whole[std::size_t(low - starts.begin())] == u'_');
            for (const auto& run : log.runs)
                if (run.top == box.top + line * pitch)
                    CHECK(std::find(starts.begin(), starts.end(), run.x) != starts.end());
        }
        CHECK(rules == 6);
    }
}

TEST_CASE("a click repaints the cells whose value it changed and nothing else")
{
    struct Case
    {
        const char* name;
        std::vector<const char*> before;
        const char* click;
        std::vector<std::string> repainted;
    };
    std::vector<std::string> column3 = {"ud_3"};
    for (int i = 40; i < 52; ++i)
        column3.push_back("conv(" + std::to_string(i) + ")");
    const std::vector<std::string> row5 = {"org(5)", "conv(5)", "conv(25)", "conv(45)"};
    const Case cases[] = {
        {"RESET in the start state", {}, "reset", {}},
        {"RESET after RESET", {"reset"}, "reset", {}},
        {"RESET after Up returns one column", {"up_3"}, "reset", column3},
        {"Up under Converted_3", {}, "up_3", column3},
        {"mark a note", {}, "org(5)", row5},
        {"unmark it", {"org(5)"}, "org(5)", row5},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        ui::MainWindow main;
        main.Load();
        const auto press = [&](std::string_view name) {
            if (name.starts_with("org("))
                main.labelArray("org")(std::stoi(std::string(name.substr(4)))).raiseClick();
            else
                main.button(name).raiseClick();
        };
        for (const char* name : c.before)
            press(name);
        PeerLog log;
        main.surface()->setPeer(&log);
        press(c.click);
        main.surface()->setPeer(main.peer());
        // The labels repainted are those whose whole box some area covers; a
        // label that fits itself to its text covers its old and new box.
        std::set<std::string> repainted;
        for (const PixelRect& area : log.areas)
            for (const auto& control : main.controls()) {
                const PixelRect box = main.surface()->box(*control);
                if (control->kind() == ControlKind::Label && area.intersected(box) == box)
                    repainted.insert(control->displayName());
            }
        CHECK(repainted == std::set<std::string>(c.repainted.begin(), c.repainted.end()));
        CHECK(log.areas.size() >= c.repainted.size());
        for (const PixelRect& area : log.areas)
            CHECK(area.width() < main.surface()->clientSize().width / 2);
    }
}

TEST_CASE("the layout's captions of the cells never show: the start state is there first")
{
    ui::MainWindow main;
    main.Show();
    for (const auto& control : main.controls())
        if (control->kind() == ControlKind::Label) {
            const std::u16string& caption = static_cast<Label&>(*control).Caption();
            CHECK_FALSE(caption.starts_with(u"org("));
            CHECK_FALSE(caption.starts_with(u"conv("));
        }
}
