// The forms layer's controls and windows on Windows: change events inside the
// caption assignment, control arrays, property values, and a window's life.
#include "check.h"
#include "win32_test.h"

#include "forms/controls.h"
#include "forms/error.h"
#include "forms/form.h"
#include "probe_form.h"

#include <functional>
#include <string>
#include <vector>

using namespace forms;
using check::errorOf;
using wintest::hwndOf;
using wintest::Platform;

namespace {

using probe::CountingPeer;
using probe::ProbeForm;
using probe::Recorder;

} // namespace

TEST(changeRunsInsideTheAssignmentAndNests)
{
    Platform platform;
    ProbeForm form;
    form.Load();
    Label& label = form.label("single");
    std::vector<std::string> trace;
    int depth = 0;
    label.Change = [&] {
        ++depth;
        trace.push_back("enter " + std::to_string(depth) + " " + check::utf8(label.Caption()));
        if (label.Caption() == u"12")
            label.setCaption(u"0");
        trace.push_back("leave " + std::to_string(depth) + " " + check::utf8(label.Caption()));
        --depth;
    };
    label.setCaption(u"12");
    const std::vector<std::string> expected = {"enter 1 12", "enter 2 0", "leave 2 0", "leave 1 0"};
    CHECK(trace == expected);

    // The same text again still raises Change.
    trace.clear();
    label.setCaption(u"same");
    label.setCaption(u"same");
    CHECK_EQ(trace.size(), std::size_t(4));
}

TEST(observerSeesEveryWritePeerOnlyChanges)
{
    Platform platform;
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
    CHECK_EQ(peer.changes, 0);
    label.setCaption(u"new");
    label.setForeColor(kRed);
    label.setAlignment(AlignRight);
    CHECK_EQ(peer.changes, 3);
    label.attach(drawn);
    const std::vector<std::string> expected = {"single.Caption",   "single.ForeColor",
                                               "single.Alignment", "single.Caption",
                                               "single.ForeColor", "single.Alignment"};
    CHECK(recorder.writes == expected);
}

TEST(colorsKeptExactlyInvalidValuesRejected)
{
    Platform platform;
    ProbeForm form;
    form.Load();
    Label& label = form.label("single");
    for (Color color : {0u, 0xFFu, 0xFFFFFFu, 0x80000008u, 0x80000005u, 0x80000018u}) {
        label.setForeColor(color);
        CHECK_EQ(label.ForeColor(), color);
    }
    label.setForeColor(kRed);
    for (Color color : {0x01000000u, 0x80000019u, 0x80000008u ^ 0xFFu}) {
        CHECK_EQ(errorOf([&] { label.setForeColor(color); }),
                 int(ErrorNumber::InvalidPropertyValue));
        CHECK_EQ(label.ForeColor(), kRed);
    }
    for (int alignment : {3, -1})
        CHECK_EQ(errorOf([&] { label.setAlignment(std::int16_t(alignment)); }),
                 int(ErrorNumber::InvalidPropertyValue));
    CHECK_EQ(label.Alignment(), std::int16_t(AlignLeft));
}

TEST(controlArrayWithGaps)
{
    Platform platform;
    ProbeForm form;
    form.Load();
    LabelArray& cells = form.labelArray("cells");
    CHECK_EQ(cells.count(), std::size_t(3));
    CHECK_EQ(cells.lowerBound(), 5);
    CHECK_EQ(cells.upperBound(), 8);
    for (int index : {5, 6, 7, 8, 4, 9, -1, 1 << 30}) {
        const bool exists = index == 5 || index == 7 || index == 8;
        CHECK_EQ(cells.contains(index), exists);
        int got = -1;
        CHECK_EQ(errorOf([&] { got = cells(index).index(); }),
                 exists ? 0 : int(ErrorNumber::SubscriptOutOfRange));
        if (exists)
            CHECK_EQ(got, index);
    }
}

TEST(lookups)
{
    Platform platform;
    ProbeForm form;
    CHECK_EQ(errorOf([&] { form.label("single"); }), int(ErrorNumber::ObjectNotLoaded));
    form.Load();
    CHECK_EQ(form.label("single").Caption(), std::u16string(u"start"));
    CHECK_EQ(form.button("go").Caption(), std::u16string_view(u"Go"));
    CHECK_EQ(errorOf([&] { form.label("missing"); }), int(ErrorNumber::InvalidCall));
    CHECK_EQ(errorOf([&] { form.label("go"); }), int(ErrorNumber::InvalidCall));
    CHECK_EQ(errorOf([&] { form.labelArray("single"); }), int(ErrorNumber::InvalidCall));
    CHECK_EQ(form.controls().size(), std::size_t(5));
}

TEST(loadRunsOnceBeforeShow)
{
    Platform platform;
    ProbeForm form;
    bool visibleDuringLoad = true;
    form.onLoad = [&] { visibleDuringLoad = IsWindowVisible(hwndOf(form)) != FALSE; };
    form.Show();
    CHECK_EQ(form.loads, 1);
    CHECK(!visibleDuringLoad);
    CHECK(form.visible());
    CHECK(IsWindowVisible(hwndOf(form)));
    form.Show();
    form.Load();
    CHECK_EQ(form.loads, 1);
    form.Hide();
    CHECK(!form.visible());
    CHECK(!IsWindowVisible(hwndOf(form)));
    CHECK(form.loaded());
    form.Show();
    CHECK_EQ(form.loads, 1);
    CHECK(IsWindowVisible(hwndOf(form)));
}

TEST(unloadDestroysAndReloadRebuilds)
{
    Platform platform;
    ProbeForm form;
    form.Show();
    HWND first = hwndOf(form);
    HWND firstLabel = hwndOf(form.label("single"));
    form.label("single").setCaption(u"changed");
    CHECK(form.Unload());
    CHECK_EQ(form.unloads, 1);
    CHECK(!form.loaded());
    CHECK(!form.visible());
    CHECK(form.controls().empty());
    CHECK(form.peer() == nullptr);
    CHECK(!IsWindow(first));
    CHECK(!IsWindow(firstLabel));
    form.Show();
    CHECK_EQ(form.loads, 2);
    CHECK_EQ(form.label("single").Caption(), std::u16string(u"start"));
    CHECK(IsWindow(hwndOf(form)));
}

TEST(cancelledUnloadKeepsTheWindow)
{
    Platform platform;
    ProbeForm form;
    form.Show();
    form.cancelWith = 1;
    CHECK(!form.Unload());
    CHECK(form.loaded());
    CHECK(form.visible());
    // Closed by the user (the close box sends WM_CLOSE): still cancelled.
    SendMessageW(hwndOf(form), WM_CLOSE, 0, 0);
    CHECK_EQ(form.unloads, 2);
    CHECK(form.loaded());
    CHECK(IsWindowVisible(hwndOf(form)));
}

TEST(closingFromTheWindowSystem)
{
    Platform platform;
    ProbeForm form;
    form.Show();
    HWND window = hwndOf(form);
    CHECK(IsWindow(window));
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    wintest::pump();
    CHECK_EQ(form.unloads, 1);
    CHECK(!form.loaded());
    CHECK(!IsWindow(window));
}

TEST(labelClicksReachTheirHandler)
{
    Platform platform;
    ProbeForm form;
    form.Show();
    int clicks = 0;
    form.labelArray("cells")(7).Click = [&] { ++clicks; };
    HWND cell = hwndOf(form.labelArray("cells")(7));
    SendMessageW(cell, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(cell, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    CHECK_EQ(clicks, 1);
    // Pressed inside, let go outside: no click.
    SendMessageW(cell, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(cell, WM_LBUTTONUP, 0, MAKELPARAM(200, 3));
    CHECK_EQ(clicks, 1);
    // A label never takes the focus.
    CHECK(GetFocus() != cell);
}

CHECK_MAIN()
