// What every backend must do with the core's decisions, checked from outside
// the forms layer on the real windows: the pixels of every control, frames
// shared between rows, what lies above what, the keyboard order and keys,
// clicks and double-clicks, and where the window first stands.
#include "testing.h"

#include "forms/surface.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

#include <algorithm>
#include <string>
#include <vector>

using forms::Color;
using forms::CommandButton;
using forms::Control;
using forms::Label;
using forms::PixelPoint;
using forms::PixelRect;
using forms::Scale;
using Key = testplatform::Key;

namespace {

constexpr std::uint32_t kInk = 0x000000, kPaper = 0xFFFFFF; // 0xRRGGBB

// The key table's columns at 96 dpi: array, first index, left edge and width in pixels.
struct Column
{
    const char* array;
    int base;
    int left;
    int width;
};
constexpr Column kColumns[] = {
    {"org", 0, 8, 73}, {"conv", 0, 88, 97}, {"conv", 20, 192, 97}, {"conv", 40, 296, 97}};

// The main window, shown and active.
struct Shown
{
    ui::MainWindow main;
    Scale scale;

    Shown()
    {
        main.Show();
        testplatform::processEvents();
        testplatform::activate(main);
        scale = Scale{testplatform::dpi(main)};
    }

    // A 96-dpi box as the window's density places it.
    PixelRect at(int left, int top, int width, int height) const
    {
        return {scale.px(left), scale.px(top), scale.px(left + width - 1) + scale.thickness(),
                scale.px(top + height - 1) + scale.thickness()};
    }
    PixelPoint centre(const PixelRect& r) const
    {
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    Label& cell(int column, int row) const
    {
        return main.labelArray(kColumns[column].array)(kColumns[column].base + row);
    }
};

bool all(const testplatform::Image& image, const PixelRect& area, std::uint32_t color)
{
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (image.at(x, y) != color)
                return false;
    return true;
}

// The bounding box of the ink inside an area, or an empty box.
PixelRect inkIn(const testplatform::Image& image, const PixelRect& area, std::uint32_t ground)
{
    PixelRect ink{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (image.at(x, y) != ground) {
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                       std::max(ink.bottom, y + 1)};
            }
    return ink.empty() ? PixelRect{} : ink;
}

// A box and four pixels either side of it, where no other control stands.
PixelRect widened(const PixelRect& box)
{
    return {box.left - 4, box.top, box.right + 4, box.bottom};
}

} // namespace

TEST_CASE("the window: its title, its client area, a close box only, no owner")
{
    const Shown shown;
    const testplatform::WindowTraits traits = testplatform::traits(shown.main);
    CHECK(traits.title == u"Marelo");
    CHECK(testplatform::clientSize(shown.main) == shown.scale.client(6015, 4305));
    CHECK(traits.closeBox);
    CHECK_FALSE(traits.minimizeBox);
    CHECK_FALSE(traits.maximizeBox);
    CHECK(traits.ownerless);
    CHECK(traits.sizable);
}

TEST_CASE("every note cell's frame at its pixels, shared with the rows next to it")
{
    const Shown shown;
    const testplatform::Image image = testplatform::image(shown.main);
    const int t = shown.scale.thickness();
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 12; ++r) {
            CAPTURE(c);
            CAPTURE(r);
            const PixelRect box = shown.at(kColumns[c].left, 24 + 16 * r, kColumns[c].width, 17);
            CHECK(shown.main.surface()->box(shown.cell(c, r)) == box);
            CHECK(all(image, {box.left, box.top, box.right, box.top + t}, kInk));
            CHECK(all(image, {box.left, box.bottom - t, box.right, box.bottom}, kInk));
            CHECK(all(image, {box.left, box.top, box.left + t, box.bottom}, kInk));
            CHECK(all(image, {box.right - t, box.top, box.right, box.bottom}, kInk));
            // One line between rows: the next row's top is this row's bottom,
            // and just inside the frame lies the cell's white.
            if (r < 11)
                CHECK(shown.at(kColumns[c].left, 24 + 16 * (r + 1), kColumns[c].width, 17).top ==
                      box.bottom - t);
            CHECK(image.at(box.right - t - 1, box.bottom - t - 1) == kPaper);
        }
    // White between the columns and round the table.
    for (int c = 1; c < 4; ++c)
        CHECK(image.at(shown.scale.px(kColumns[c].left) - 1, shown.scale.px(100)) == kPaper);
    CHECK(image.at(shown.scale.px(200), shown.scale.px(4)) == kPaper);
}

TEST_CASE(
    "the boxes under the converted columns are drawn with lines, the Original column has none")
{
    const Shown shown;
    const testplatform::Image image = testplatform::image(shown.main);
    const int t = shown.scale.thickness();
    for (int x : {88, 192, 296}) {
        CAPTURE(x);
        const PixelRect box = shown.at(x, 224, 97, 57);
        CHECK(all(image, {box.left, box.top, box.right, box.top + t}, kInk));
        CHECK(all(image, {box.left, box.bottom - t, box.right, box.bottom}, kInk));
        CHECK(all(image, {box.left, box.top, box.left + t, box.bottom}, kInk));
        CHECK(all(image, {box.right - t, box.top, box.right, box.bottom}, kInk));
        CHECK(image.at(box.right, box.top + 5) == kPaper);
        CHECK(image.at(box.left + 5, box.top - 1) == kPaper);
    }
    CHECK(image.at(shown.scale.px(5), shown.scale.px(230)) == kPaper);
}

TEST_CASE("the native buttons stand at their pixels with their captions, none a default button")
{
    const Shown shown;
    struct Expected
    {
        const char* name;
        PixelRect box; // 96 dpi: left, top, width, height
        std::u16string_view caption;
    };
    const Expected buttons[] = {
        {"dn_1", {96, 248, 41, 25}, u"Down"},  {"up_1", {136, 248, 41, 25}, u"Up"},
        {"dn_2", {200, 248, 41, 25}, u"Down"}, {"up_2", {240, 248, 41, 25}, u"Up"},
        {"dn_3", {304, 248, 41, 25}, u"Down"}, {"up_3", {344, 248, 41, 25}, u"Up"},
        {"reset", {8, 224, 73, 25}, u"RESET"}, {"help_pb", {8, 256, 25, 25}, u"？"},
    };
    for (const Expected& b : buttons) {
        INFO(std::string(b.name));
        const CommandButton& button = shown.main.button(b.name);
        const PixelRect box = testplatform::box(button);
        const PixelRect expected = shown.at(b.box.left, b.box.top, b.box.right, b.box.bottom);
        if (shown.scale.dpi % 96 == 0) {
            CHECK(box == expected);
        } else {
            // A toolkit that scales its widgets itself may round a pixel the other way.
            CHECK(std::abs(box.left - expected.left) <= 1);
            CHECK(std::abs(box.right - expected.right) <= 1);
            CHECK(std::abs(box.top - expected.top) <= 1);
            CHECK(std::abs(box.bottom - expected.bottom) <= 1);
        }
        CHECK(testplatform::nativeCaption(button) == std::u16string(b.caption));
        CHECK_FALSE(testplatform::isDefaultButton(button));
    }
}

TEST_CASE("the headings and counts fit their text and keep their anchors")
{
    const Shown shown;
    const testplatform::Image image = testplatform::image(shown.main);
    // Headings grow right and down from their layout corner; their ink lies inside.
    for (const Label* heading :
         {&shown.main.label("Label100"), &shown.main.labelArray("Label101")(0),
          &shown.main.labelArray("Label101")(1), &shown.main.labelArray("Label101")(2)}) {
        CAPTURE(heading->displayName());
        const PixelRect box = shown.main.surface()->box(*heading);
        const PixelRect layout = shown.scale.box(heading->rect());
        CHECK(box.left == layout.left);
        CHECK(box.top == layout.top);
        const PixelRect ink = inkIn(image, widened(box.united(layout)), kPaper);
        CHECK_FALSE(ink.empty());
        CHECK(ink.left >= layout.left);
        CHECK(ink.left <= layout.left + 2 * shown.scale.thickness());
        // Grown to the text: its last glyph ends near the box's right edge.
        CHECK(box.right - ink.right <= shown.scale.px(3));
    }
    // A count stays centred on its layout box as it grows: "0", then "-11".
    for (const char* name : {"ud_1", "ud_2", "ud_3"}) {
        INFO(std::string(name));
        Label& count = shown.main.label(name);
        const PixelRect layout = shown.scale.box(count.rect());
        for (std::u16string_view text : {u"0", u"-11", u"5"}) {
            CAPTURE(text);
            count.setCaption(text);
            testplatform::processEvents();
            const PixelRect box = shown.main.surface()->box(count);
            CHECK(std::abs((box.left + box.right) - (layout.left + layout.right)) <= 1);
            CHECK(box.top == layout.top);
            const PixelRect ink = inkIn(testplatform::image(shown.main), widened(box), kPaper);
            CHECK_FALSE(ink.empty());
            // The text's ink centred where the layout's box is.
            CHECK(std::abs((ink.left + ink.right) - (layout.left + layout.right)) <=
                  shown.scale.px(3));
        }
    }
}

TEST_CASE("buttons lie above the labels and lines they overlap")
{
    const Shown shown;
    // ud_1 fits itself to its text and reaches down to the buttons' row; where
    // they meet, a button is hit and drawn.
    const PixelRect count = shown.main.surface()->box(shown.main.label("ud_1"));
    const PixelRect down = testplatform::box(shown.main.button("dn_1"));
    const PixelRect up = testplatform::box(shown.main.button("up_1"));
    const PixelPoint overlap{down.right - 1, down.top};
    CHECK(up.left < down.right); // the two buttons share a pixel column
    const std::string hit = testplatform::nativeControlAt(shown.main, overlap);
    CHECK((hit == "dn_1" || hit == "up_1"));
    if (count.bottom > down.top)
        CHECK(testplatform::nativeControlAt(shown.main, {down.left + 2, count.bottom - 1}) ==
              "dn_1");
    // A box line under a button does not show through it: the button is hit.
    const PixelRect reset = testplatform::box(shown.main.button("reset"));
    CHECK(testplatform::nativeControlAt(shown.main, shown.centre(reset)) == "reset");
    CHECK(testplatform::nativeControlAt(
              shown.main, shown.centre(shown.main.surface()->box(shown.cell(0, 3)))) == "");
}

TEST_CASE("the keyboard walks the buttons by tab index, with Tab and with the arrows")
{
    const Shown shown;
    const std::vector<std::string> order = {"dn_1", "up_1", "help_pb", "up_2",
                                            "dn_2", "dn_3", "up_3",    "reset"};
    REQUIRE(testplatform::focused() == "dn_1");
    struct Walk
    {
        const char* name;
        Key key;
        bool shift;
        int step;
    };
    const Walk walks[] = {
        {"Tab", Key::Tab, false, +1},     {"Shift+Tab", Key::Tab, true, -1},
        {"Right", Key::Right, false, +1}, {"Down", Key::Down, false, +1},
        {"Left", Key::Left, false, -1},   {"Up", Key::Up, false, -1},
    };
    for (const Walk& walk : walks) {
        INFO(std::string(walk.name));
        int at = static_cast<int>(std::find(order.begin(), order.end(), testplatform::focused()) -
                                  order.begin());
        for (int i = 1; i <= 9; ++i) {
            testplatform::pressKey(walk.key, walk.shift);
            at = (at + walk.step + 8) % 8;
            CAPTURE(i);
            CHECK(testplatform::focused() == order[static_cast<std::size_t>(at)]);
        }
    }
    // Nothing was pressed on the way.
    CHECK(shown.main.label("ud_1").Caption() == u"0");
    CHECK(shown.main.label("ud_3").Caption() == u"0");
}

TEST_CASE("Space, Return and Enter click the focused button; other keys do nothing")
{
    struct Case
    {
        const char* name;
        Key key;
        std::u16string_view count; // ud_3 after two presses on dn_1
    };
    const Case cases[] = {{"Space", Key::Space, u"-2"},
                          {"Return", Key::Return, u"-2"},
                          {"Enter", Key::Enter, u"-2"},
                          {"Escape", Key::Escape, u"0"},
                          {"a letter", Key::Letter, u"0"}};
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        const Shown shown;
        REQUIRE(testplatform::focused() == "dn_1");
        testplatform::pressKey(c.key);
        testplatform::pressKey(c.key);
        CHECK(shown.main.label("ud_3").Caption() == c.count);
        CHECK(shown.main.label("ud_1").Caption() == c.count);
        CHECK(shown.main.visible());
    }
}

TEST_CASE("a letter's key reaches the window: A marks its note, Shift+A its sharp, again unmarks")
{
    Shown shown;
    REQUIRE(testplatform::focused() == "dn_1");
    const struct
    {
        bool shift;
        int row;
        forms::Color after;
    } presses[] = {{false, 9, forms::kRed},
                   {true, 10, forms::kRed},
                   {false, 9, forms::kBlack},
                   {true, 10, forms::kBlack}};
    for (const auto& p : presses) {
        CAPTURE(p.shift);
        testplatform::pressKey(Key::Letter, p.shift);
        CHECK(shown.cell(0, p.row).ForeColor() == p.after);
    }
    // The buttons' keys are as they were: the focus stayed.
    CHECK(testplatform::focused() == "dn_1");
    CHECK(shown.main.label("ud_1").Caption() == u"0");
    // A key KeyDown leaves to the controls reaches KeyDown once all the same.
    int raised = 0;
    shown.main.KeyDown = [&](std::int16_t&, std::int16_t) { ++raised; };
    testplatform::pressKey(Key::Letter);
    CHECK(raised == 1);
}

TEST_CASE("a click marks an Original note once; a double-click too, then DblClick")
{
    const Shown shown;
    int clicks = 0, doubleClicks = 0;
    Label& e = shown.cell(0, 4);
    const auto handler = e.Click;
    e.Click = [&] {
        ++clicks;
        handler();
    };
    e.DblClick = [&] { ++doubleClicks; };
    const PixelPoint onE = shown.centre(shown.main.surface()->box(e));

    testplatform::click(shown.main, onE);
    CHECK(clicks == 1);
    CHECK(e.ForeColor() == 0x0000FF);
    testplatform::click(shown.main, onE);
    CHECK(clicks == 2);
    CHECK(e.ForeColor() == 0x000000);

    testplatform::click(shown.main, onE, true);
    CHECK(clicks == 3);
    CHECK(doubleClicks == 1);
    CHECK(e.ForeColor() == 0x0000FF); // marked once, not marked and unmarked

    // Clicks on a converted cell, a heading, a count and the bare client area do nothing.
    for (const Control* other : {static_cast<const Control*>(&shown.cell(2, 4)),
                                 static_cast<const Control*>(&shown.main.label("Label100")),
                                 static_cast<const Control*>(&shown.main.label("ud_2"))})
        testplatform::click(shown.main, shown.centre(shown.main.surface()->box(*other)));
    testplatform::click(shown.main, {shown.scale.px(395), shown.scale.px(100)});
    CHECK(clicks == 3);
    CHECK(shown.cell(2, 4).ForeColor() == 0x0000FF);
    CHECK(shown.main.label("ud_2").Caption() == u"0");
    // A click on a label leaves the focus where it was.
    CHECK(testplatform::focused() == "dn_1");
}

TEST_CASE("the main window first stands centred on the work area, frame and all")
{
    const Shown shown;
    const PixelRect frame = testplatform::frameOnScreen(shown.main);
    const PixelRect area = testplatform::workArea(shown.main);
    CHECK(std::abs((frame.left - area.left) - (area.right - frame.right)) <= 1);
    CHECK(std::abs((frame.top - area.top) - (area.bottom - frame.bottom)) <= 1);
}
