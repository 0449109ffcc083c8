// The forms layer's controls and windows: change events inside the caption
// assignment, control arrays, property values, and a window's life as the
// windowing system sees it.
#include "testing.h"

#include "forms/controls.h"
#include "forms/error.h"
#include "forms/form.h"
#include "probe_form.h"

#include <string>
#include <vector>

using namespace forms;
using probe::CountingPeer;
using probe::ProbeForm;
using probe::Recorder;
using testing::errorOf;

TEST_CASE("Change runs inside the assignment, and nests")
{
    ProbeForm form;
    form.Load();
    Label& label = form.label("single");
    std::vector<std::string> trace;
    int depth = 0;
    label.Change = [&] {
        ++depth;
        trace.push_back("enter " + std::to_string(depth) + " " + testing::utf8(label.Caption()));
        if (label.Caption() == u"12")
            label.setCaption(u"0");
        trace.push_back("leave " + std::to_string(depth) + " " + testing::utf8(label.Caption()));
        --depth;
    };
    // The handler has run, and seen the new text, before the assignment returns.
    label.setCaption(u"one");
    CHECK(trace == std::vector<std::string>{"enter 1 one", "leave 1 one"});
    trace.clear();
    label.setCaption(u"12");
    CHECK(trace == std::vector<std::string>{"enter 1 12", "enter 2 0", "leave 2 0", "leave 1 0"});
}

TEST_CASE("Change on every write, the same text too")
{
    // So a refill at an unchanged count is seen by whoever listens.
    ProbeForm form;
    form.Load();
    Label& label = form.label("single");
    int changes = 0;
    label.Change = [&] { ++changes; };
    label.setCaption(u"same");
    label.setCaption(u"same");
    CHECK(changes == 2);
}

TEST_CASE("the observer sees every write, the peer only changes")
{
    ProbeForm form;
    form.Load();
    Recorder recorder;
    form.setWriteObserver(&recorder);
    Label& label = form.label("single");
    ControlPeer* drawn = label.peer();
    CHECK(drawn != nullptr);
    CountingPeer peer;
    label.attach(&peer);
    label.setCaption(u"start"); // unchanged
    label.setForeColor(label.ForeColor());
    label.setAlignment(label.Alignment());
    CHECK(peer.changes == 0);
    label.setCaption(u"new");
    label.setForeColor(kRed);
    label.setAlignment(AlignRight);
    CHECK(peer.changes == 3);
    label.attach(drawn);
    const std::vector<std::string> expected = {"single.Caption",   "single.ForeColor",
                                               "single.Alignment", "single.Caption",
                                               "single.ForeColor", "single.Alignment"};
    CHECK(recorder.writes == expected);
}

TEST_CASE("colours are kept exactly")
{
    ProbeForm form;
    form.Load();
    Label& label = form.label("single");
    // Black, red, white, window text, window background, the last system colour.
    for (Color color : {0u, 0xFFu, 0xFFFFFFu, 0x80000008u, 0x80000005u, 0x80000018u}) {
        CAPTURE(color);
        label.setForeColor(color);
        CHECK(label.ForeColor() == color);
    }
}

TEST_CASE("invalid property values are refused")
{
    const struct
    {
        const char* what;
        Color color;
        int alignment;
    } cases[] = {
        {"colour beyond 24 bits", 0x01000000u, AlignLeft},
        {"unknown system colour", 0x80000019u, AlignLeft},
        {"toggled system colour", 0x80000008u ^ 0xFFu, AlignLeft},
        {"alignment 3", kRed, 3},
        {"alignment -1", kRed, -1},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        ProbeForm form;
        form.Load();
        Label& label = form.label("single");
        const Color before = label.ForeColor();
        const std::int16_t alignmentBefore = label.Alignment();
        CHECK(errorOf([&] {
                  label.setForeColor(c.color);
                  label.setAlignment(std::int16_t(c.alignment));
              }) == int(ErrorNumber::InvalidPropertyValue));
        // What was refused is not kept.
        CHECK(label.ForeColor() == (isValidColor(c.color) ? c.color : before));
        CHECK(label.Alignment() == alignmentBefore);
    }
}

TEST_CASE("a control array with a gap")
{
    ProbeForm form;
    form.Load();
    LabelArray& cells = form.labelArray("cells");
    CHECK(cells.count() == std::size_t(3));
    CHECK(cells.lowerBound() == 5);
    CHECK(cells.upperBound() == 8);
    const struct
    {
        int index;
        bool exists;
    } cases[] = {{5, true},  {6, false}, {7, true},   {8, true},
                 {4, false}, {9, false}, {-1, false}, {1 << 30, false}};
    for (const auto& c : cases) {
        CAPTURE(c.index);
        CHECK(cells.contains(c.index) == c.exists);
        int got = -1;
        CHECK(errorOf([&] { got = cells(c.index).index(); }) ==
              (c.exists ? 0 : int(ErrorNumber::SubscriptOutOfRange)));
        if (c.exists)
            CHECK(got == c.index);
    }
}

TEST_CASE("looking up controls")
{
    ProbeForm form;
    CHECK(errorOf([&] { form.label("single"); }) == int(ErrorNumber::ObjectNotLoaded));
    form.Load();
    CHECK(form.label("single").Caption() == std::u16string(u"start"));
    CHECK(form.button("go").Caption() == std::u16string_view(u"Go"));
    CHECK(errorOf([&] { form.label("missing"); }) == int(ErrorNumber::InvalidCall));
    CHECK(errorOf([&] { form.label("go"); }) == int(ErrorNumber::InvalidCall));
    CHECK(errorOf([&] { form.labelArray("single"); }) == int(ErrorNumber::InvalidCall));
    CHECK(form.controls().size() == std::size_t(5));
}

TEST_CASE("Form_Load runs once, before the window shows")
{
    ProbeForm form;
    bool visibleDuringLoad = true, shownDuringLoad = true;
    form.onLoad = [&] {
        visibleDuringLoad = form.visible();
        shownDuringLoad = testplatform::shown(form);
    };
    form.Show();
    CHECK(form.loads == 1);
    CHECK_FALSE(visibleDuringLoad);
    CHECK_FALSE(shownDuringLoad);
    CHECK(form.visible());
    CHECK(testplatform::shown(form));
    form.Show();
    form.Load();
    CHECK(form.loads == 1);
    form.Hide();
    CHECK_FALSE(form.visible());
    CHECK_FALSE(testplatform::shown(form));
    CHECK(form.loaded());
    form.Show();
    CHECK(form.loads == 1);
    CHECK(testplatform::shown(form));
}

TEST_CASE("Unload destroys the window, a new load rebuilds it")
{
    const int windowsBefore = testplatform::nativeWindows();
    ProbeForm form;
    form.Show();
    CHECK(testplatform::nativeWindows() > windowsBefore);
    form.label("single").setCaption(u"changed");
    CHECK(form.Unload());
    testplatform::processEvents();
    CHECK(form.unloads == 1);
    CHECK_FALSE(form.loaded());
    CHECK_FALSE(form.visible());
    CHECK(form.controls().empty());
    CHECK(form.peer() == nullptr);
    // The window and every control's window with it.
    CHECK(testplatform::nativeWindows() == windowsBefore);
    form.Show();
    CHECK(form.loads == 2);
    CHECK(form.label("single").Caption() == std::u16string(u"start"));
    CHECK(testplatform::shown(form));
}

TEST_CASE("a cancelled Unload keeps the window")
{
    ProbeForm form;
    form.Show();
    form.cancelWith = 1;
    CHECK_FALSE(form.Unload());
    CHECK(form.loaded());
    CHECK(form.visible());
    // Closed by the user: still cancelled.
    testplatform::closeBox(form);
    testplatform::processEvents();
    CHECK(form.unloads == 2);
    CHECK(form.loaded());
    CHECK(testplatform::shown(form));
}

TEST_CASE("closed by the user, the window unloads")
{
    const int windowsBefore = testplatform::nativeWindows();
    ProbeForm form;
    form.Show();
    REQUIRE(testplatform::shown(form));
    testplatform::closeBox(form);
    testplatform::processEvents();
    CHECK(form.unloads == 1);
    CHECK_FALSE(form.loaded());
    CHECK(testplatform::nativeWindows() == windowsBefore);
}

TEST_CASE("a click on a label reaches its handler")
{
    ProbeForm form;
    form.Show();
    int clicks = 0;
    Label& cell = form.labelArray("cells")(7);
    cell.Click = [&] { ++clicks; };
    testplatform::press(cell, {3, 3});
    testplatform::release(cell, {3, 3});
    CHECK(clicks == 1);
    // Pressed inside, let go outside: no click.
    testplatform::press(cell, {3, 3});
    testplatform::release(cell, {200, 3});
    CHECK(clicks == 1);
    // A label never takes the focus.
    CHECK_FALSE(testplatform::takesFocus(cell));
    CHECK_FALSE(testplatform::hasFocus(cell));
}

TEST_CASE("a reader going line by line meets the lines a label says")
{
    // The lines are the caption's (how a caption breaks is the core's own
    // test), or those of the name the window gives the label.
    ProbeForm form;
    form.Load();
    Label& label = form.label("single");
    label.setCaption(u"one\rtwo\r\rfour\r");
    CHECK(label.accessibleLines() == std::vector<std::u16string>{u"one", u"two", u"", u"four"});
    label.AccessibleName = [] { return std::u16string(u"said\rapart"); };
    CHECK(label.accessibleLines() == std::vector<std::u16string>{u"said", u"apart"});
}

TEST_CASE("labels are static text, buttons push buttons; actions and focus")
{
    ProbeForm form;
    form.Load();
    Label& label = form.label("single");
    CommandButton& button = form.button("go");
    CHECK(label.accessibleRole() == AccessibleRole::StaticText);
    CHECK(button.accessibleRole() == AccessibleRole::PushButton);
    CHECK_FALSE(label.takesFocus());
    CHECK(button.takesFocus());
    CHECK(button.accessibleAction() == u"Press");
    // A label's action only while a click on it does something, unless the
    // window names it.
    CHECK(label.accessibleAction().empty());
    int clicks = 0;
    label.Click = [&] { ++clicks; };
    CHECK(label.accessibleAction() == u"Press");
    label.AccessibleAction = [&] { return std::u16string(clicks == 0 ? u"Wake" : u"Sleep"); };
    CHECK(label.accessibleAction() == u"Wake");
    static_cast<Control&>(label).raiseClick();
    CHECK(clicks == 1);
    CHECK(label.accessibleAction() == u"Sleep");
}
