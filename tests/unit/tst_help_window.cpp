// The help window: its text to the code point, and its life beside the main
// window as a top-level window of its own.
#include "testing.h"

#include "forms/application.h"
#include "help_text_expected.h"
#include "ui/help_window.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

using namespace forms;
using helptest::CaptionWrites;
using helptest::expectedCaption;
using helptest::kExpectedLines;

namespace {

// The label as drawn, row by row: how many pixels are not its background (the
// colour most of its pixels have), and how many are dark.
struct Ink
{
    std::vector<int> any;
    std::vector<int> dark;
};

Ink inkPerRow(const testplatform::Image& image)
{
    std::map<std::uint32_t, int> counts;
    for (std::uint32_t pixel : image.pixels)
        ++counts[pixel];
    const std::uint32_t background =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    Ink ink{std::vector<int>(std::size_t(image.height)),
            std::vector<int>(std::size_t(image.height))};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.at(x, y);
            const std::uint32_t gray =
                (((pixel >> 16) & 0xFF) * 11 + ((pixel >> 8) & 0xFF) * 16 + (pixel & 0xFF) * 5) /
                32;
            ink.any[std::size_t(y)] += pixel != background;
            ink.dark[std::size_t(y)] += gray < 100;
        }
    return ink;
}

// Runs of rows with ink: first and last row of each.
std::vector<std::pair<int, int>> bands(const std::vector<int>& ink)
{
    std::vector<std::pair<int, int>> found;
    for (int y = 0; y < int(ink.size()); ++y) {
        if (ink[std::size_t(y)] == 0)
            continue;
        if (!found.empty() && found.back().second == y - 1)
            found.back().second = y;
        else
            found.push_back({y, y});
    }
    return found;
}

} // namespace

TEST_CASE("the layout")
{
    const FormLayout& layout = ui::kHelpLayout;
    CHECK(layout.name == "help");
    CHECK(layout.caption == std::u16string_view(u"HELP"));
    CHECK(layout.clientWidth == 7890);
    CHECK(layout.clientHeight == 2190);
    CHECK(layout.startUpPosition == StartUpPosition::WindowsDefault);
    REQUIRE(layout.controls.size() == std::size_t(1));
    const ControlRow& label = layout.controls[0];
    CHECK(label.name == "Label1");
    CHECK(label.rect == (Rect{0, 120, 7815, 1815}));
    CHECK(label.style->font == (LayoutFont{u"ＭＳ 明朝", 9, 400, 128}));
    CHECK(label.caption == std::u16string_view(u""));
    CHECK(label.tabIndex == std::int16_t(0));
    CHECK(isSystemColor(layout.backColor));
}

TEST_CASE("the text to the code point, in its window")
{
    const auto lines = ui::HelpWindow::usageLines();
    for (int i = 0; i < 9; ++i)
        CHECK(lines[std::size_t(i)] == kExpectedLines[i]);

    ui::HelpWindow help;
    help.Show();
    CHECK(help.label("Label1").Caption() == expectedCaption());
    CHECK(help.lineTable()[0] == std::u16string());
    CHECK(help.lineTable()[10] == std::u16string());
    for (int i = 1; i <= 9; ++i)
        CHECK(help.lineTable()[std::size_t(i)] == kExpectedLines[i - 1]);
    CHECK(testplatform::shownWindows(help) == 1);
    CHECK(testplatform::clientSize(help) == testplatform::Size{526, 146});
    CHECK(testplatform::box(help.label("Label1")) == testplatform::Box{0, 8, 521, 129});
}

TEST_CASE("every line shows inside the label")
{
    ui::HelpWindow help;
    help.Show();
    const Ink ink = inkPerRow(testplatform::image(help.label("Label1")));
    const int height = int(ink.dark.size());
    // Bands of dark rows: one per non-empty line, all within the box.
    // Underscores and descenders may join neighbouring lines into one band.
    const auto dark = bands(ink.dark);
    CAPTURE(dark.size());
    REQUIRE(dark.size() >= 6);
    // The home-page line stands alone after the empty line, whole, above the bottom.
    const auto last = dark.back();
    const auto beforeLast = dark[dark.size() - 2];
    CHECK(last.first - beforeLast.second > 8);
    CHECK(last.second < height - 1);
    CHECK(last.second - last.first >= 8);
}

TEST_CASE("the label breaks at each carriage return, one pitch a line")
{
    ui::HelpWindow help;
    help.Show();
    // Nine lines from its top at one pitch, the eighth of them empty, all
    // inside its box. A line's lowest pixels may reach into the next line's
    // first rows.
    const Ink ink = inkPerRow(testplatform::image(help.label("Label1")));
    const auto inked = bands(ink.any);
    REQUIRE(inked.size() >= 2);
    // The first line starts the first band, at the top but for the face's
    // leading; the ninth line starts the last band.
    const int top = inked.front().first;
    CHECK(top <= 2);
    const int pitch = (inked.back().first - top) / 8;
    CHECK(inked.back().first - top == 8 * pitch);
    // 9 pt is 12 pixels at 96 dpi; the face's own leading may add one.
    CHECK(pitch >= 12);
    CHECK(pitch <= 13);
    for (int line = 0; line < 10; ++line) {
        CAPTURE(line + 1);
        int rows = 0;
        for (int y = line * pitch + 3; y < std::min<int>((line + 1) * pitch, int(ink.any.size()));
             ++y)
            rows += ink.any[std::size_t(y)];
        CHECK((rows > 0) == (line < 9 && line != 7));
    }
}

TEST_CASE("opened twice, one window and one text")
{
    ui::MainWindow main;
    main.Show();
    CHECK(main.helpWindow() == nullptr);
    main.button("help_pb").raiseClick();
    ui::HelpWindow* help = main.helpWindow();
    REQUIRE(help != nullptr);
    CaptionWrites writes;
    help->setWriteObserver(&writes);
    main.button("help_pb").raiseClick();
    CHECK(main.helpWindow() == help);
    CHECK(writes.count == 0); // no reload
    CHECK(testplatform::shownWindows(*help) == 1);
    CHECK(help->label("Label1").Caption() == expectedCaption());
}

TEST_CASE("reopened after a close")
{
    ui::MainWindow main;
    main.Show();
    main.button("help_pb").raiseClick();
    ui::HelpWindow* help = main.helpWindow();
    REQUIRE(help != nullptr);
    const int windowsOpen = testplatform::nativeWindows();
    testplatform::move(*help, {300, 200});
    testplatform::closeBox(*help);
    testplatform::processEvents();
    // The window is gone ...
    CHECK(testplatform::nativeWindows() < windowsOpen);
    CHECK_FALSE(help->loaded());
    CHECK(testplatform::shownWindows(*help) == 0);
    // ... the instance and its line table stay.
    CHECK(main.helpWindow() == help);
    CHECK(help->lineTable()[1] == kExpectedLines[0]);
    CHECK(testplatform::shownWindows(main) == 1);

    CaptionWrites writes;
    help->setWriteObserver(&writes);
    main.button("help_pb").raiseClick();
    CHECK(writes.count == 10); // emptied, then nine lines appended
    CHECK(help->label("Label1").Caption() == expectedCaption());
    CHECK(testplatform::shownWindows(*help) == 1);
    CHECK(testplatform::clientSize(*help) == testplatform::Size{526, 146});
    CHECK(testplatform::position(*help) != testplatform::Point{300, 200});
}

TEST_CASE("a top-level window of its own")
{
    ui::MainWindow main;
    main.Show();
    main.button("help_pb").raiseClick();
    ui::HelpWindow& help = *main.helpWindow();
    const testplatform::WindowTraits window = testplatform::traits(help);
    CHECK(window.title == u"HELP");
    CHECK(window.topLevel);
    CHECK(window.ownerless);
    CHECK(window.taskBarEntry);
    CHECK_FALSE(window.alwaysOnTop);
    CHECK_FALSE(window.minimizeBox);
    CHECK_FALSE(window.maximizeBox);
    CHECK(window.closeBox);
    CHECK(window.sizable);
    // Not modal: the main window still takes input.
    CHECK(testplatform::acceptsInput(main));
    // Nothing in it takes the keyboard focus.
    CHECK(help.controls().size() == std::size_t(1));
    for (const auto& control : help.controls()) {
        CHECK_FALSE(testplatform::takesFocus(*control));
        CHECK_FALSE(testplatform::hasFocus(*control));
    }
}

TEST_CASE("the main window stays usable")
{
    ui::MainWindow main;
    main.Show();
    main.button("help_pb").raiseClick();
    main.button("up_1").raiseClick();
    main.labelArray("org")(3).raiseClick();
    CHECK(main.label("ud_3").Caption() == std::u16string(u"1"));
    CHECK(main.labelArray("conv")(43).ForeColor() == Color(0xFF));
    CHECK(main.helpWindow()->visible());
}

// A thousand opens and closes leave nothing behind: every window goes with its
// close, and the sanitizer build's leak check at exit finds nothing lost on the way.
TEST_CASE("a thousand opens and closes")
{
    ui::MainWindow main;
    main.Show();
    const int windows = testplatform::nativeWindows();
    int opened = 0;
    for (; opened < 1000; ++opened) {
        main.button("help_pb").raiseClick();
        if (testplatform::shownWindows(*main.helpWindow()) != 1)
            break;
        testplatform::closeBox(*main.helpWindow());
        testplatform::processEvents();
        if (testplatform::nativeWindows() != windows)
            break;
    }
    CHECK(opened == 1000);
    CHECK(testplatform::shownWindows(*main.helpWindow()) == 0);
    CHECK(testplatform::nativeWindows() == windows);
    CHECK_FALSE(main.helpWindow()->loaded());
    CHECK(main.helpWindow()->controls().empty());
    main.button("help_pb").raiseClick();
    CHECK(main.helpWindow()->label("Label1").Caption() == expectedCaption());
}

TEST_CASE("closing the main window ends everything")
{
    ui::MainWindow main;
    main.Show();
    main.button("help_pb").raiseClick();
    ui::HelpWindow& help = *main.helpWindow();
    testplatform::closeBox(main);
    CHECK(forms::ended());
    CHECK_FALSE(testplatform::shown(main));
    CHECK_FALSE(testplatform::shown(help));
    // Help went with the program, without its own unload.
    CHECK(help.loaded());
}
