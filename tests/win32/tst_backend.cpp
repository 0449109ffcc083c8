// What the Win32 backend adds to the forms layer: the windows' frames and
// places, every control's pixels at 96 dpi and at other densities, the fonts
// and their stand-ins, how labels paint, and the keyboard.
#include "testing.h"
#include "win32_test.h"

#include "conversion/note_names.h"
#include "forms/win32/win32_fonts.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace forms;
using forms::win32::Scale;
using wintest::childRect;
using wintest::hwndOf;

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

namespace {

const ControlRow& row(std::string_view name, int index = kNoIndex)
{
    for (const ControlRow& r : ui::kMainLayout.controls)
        if (r.name == name && r.index == index)
            return r;
    std::printf("no row %.*s\n", int(name.size()), name.data());
    std::abort();
}

RECT px(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}

// The four columns: array, first index, left edge and width in pixels.
struct Column
{
    const char* array;
    int base;
    int left;
    int width;
};
constexpr Column kColumns[] = {
    {"org", 0, 8, 73}, {"conv", 0, 88, 97}, {"conv", 20, 192, 97}, {"conv", 40, 296, 97}};

// A label's or button's pixels, printed as the window would paint them.
class Printed
{
public:
    explicit Printed(HWND hwnd)
    {
        GetClientRect(hwnd, &rect_);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = rect_.right;
        info.bmiHeader.biHeight = -rect_.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
        GdiFlush();
    }
    ~Printed()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    int width() const { return rect_.right; }
    int height() const { return rect_.bottom; }
    // 0x00RRGGBB
    unsigned at(int x, int y) const
    {
        return static_cast<const unsigned*>(bits_)[y * rect_.right + x] & 0xFFFFFFu;
    }

private:
    RECT rect_{};
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    void* bits_ = nullptr;
};

unsigned rgb(COLORREF c)
{
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// Sets or clears the Shift key as this thread sees it.
void holdShift(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

void press(HWND target, WPARAM key)
{
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    wintest::pump();
}

std::wstring focusedText()
{
    return wintest::titleOf(GetFocus());
}

} // namespace

TEST_CASE("mainWindowFrameAndPlace")
{
    ui::MainWindow main;
    main.Show();
    HWND window = hwndOf(main);
    RECT client{};
    GetClientRect(window, &client);
    CHECK_EQ(client, (RECT{0, 0, 401, 287}));
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    CHECK((style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME)) ==
          (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
    CHECK((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0);
    CHECK(wintest::titleOf(window) == L"Marelo");
    CHECK(GetWindow(window, GW_OWNER) == nullptr);
    // Centred on the work area.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame{};
    GetWindowRect(window, &frame);
    const RECT& area = monitor.rcWork;
    CHECK(std::abs((frame.left - area.left) - (area.right - frame.right)) <= 1);
    CHECK(std::abs((frame.top - area.top) - (area.bottom - frame.bottom)) <= 1);
}

TEST_CASE("controlsAtTheirPixels")
{
    ui::MainWindow main;
    main.Show();
    for (const Column& c : kColumns)
        for (int r = 0; r < 12; ++r) {
            HWND cell = hwndOf(main.labelArray(c.array)(c.base + r));
            CHECK_EQ(childRect(cell), px(c.left, 24 + 16 * r, c.width, 17));
        }
    const struct
    {
        const char* name;
        RECT rect;
    } buttons[] = {
        {"help_pb", px(8, 256, 25, 25)}, {"reset", px(8, 224, 73, 25)},
        {"dn_1", px(96, 248, 41, 25)},   {"up_1", px(136, 248, 41, 25)},
        {"dn_2", px(200, 248, 41, 25)},  {"up_2", px(240, 248, 41, 25)},
        {"dn_3", px(304, 248, 41, 25)},  {"up_3", px(344, 248, 41, 25)},
    };
    for (const auto& b : buttons) {
        CAPTURE(b.name);
        CHECK_EQ(childRect(hwndOf(main.button(b.name))), b.rect);
    }
    // Headings fit their text from their left edge.
    for (auto [heading, left] :
         {std::pair{&main.label("Label100"), 8}, std::pair{&main.labelArray("Label101")(0), 88},
          std::pair{&main.labelArray("Label101")(2), 296}}) {
        const RECT r = childRect(hwndOf(*heading));
        CHECK_EQ(r.left, long(left));
        CHECK_EQ(r.top, 8L);
        CHECK_EQ(r.bottom - r.top, 13L);
        CHECK((r.right - r.left > 30 && r.right - r.left < 90));
    }
    // A shift label fits its text about the centre of its layout box, inside
    // the box of lines under its column.
    const struct
    {
        const char* name;
        int centre2; // twice the centre, in pixels
        int top;
        int boxLeft;
    } shifts[] = {{"ud_1", 127 * 2 + 17, 231, 88},
                  {"ud_2", 232 * 2 + 17, 232, 192},
                  {"ud_3", 336 * 2 + 17, 232, 296}};
    for (const auto& s : shifts) {
        for (std::u16string_view count : {u"0", u"-11", u"5"}) {
            main.label(s.name).setCaption(count);
            const RECT r = childRect(hwndOf(main.label(s.name)));
            CHECK(std::abs((r.left + r.right) - s.centre2) <= 1);
            CHECK_EQ(r.top, long(s.top));
            CHECK((r.left > s.boxLeft && r.right <= s.boxLeft + 96));
            if (count == u"-11")
                CHECK(r.right - r.left > 17);
        }
    }
}

TEST_CASE("neighboursShareTheirFrameLinesAtEveryDensity")
{
    for (int dpi : {96, 120, 144, 168, 192}) {
        const Scale scale{dpi};
        const int t = scale.thickness();
        for (const Column& c : kColumns) {
            for (int r = 0; r + 1 < 12; ++r) {
                const RECT upper = scale.rect(row(c.array, c.base + r).rect);
                const RECT lower = scale.rect(row(c.array, c.base + r + 1).rect);
                CHECK_EQ(upper.bottom - t, lower.top);
                CHECK_EQ(upper.left, lower.left);
                CHECK_EQ(upper.right, lower.right);
            }
        }
        // The right side of each box lies on its column's right frame line,
        // the left side on the column's left edge.
        const struct
        {
            const char* right;
            const char* left;
            int base;
        } boxes[] = {{"Line3", "Line1", 0}, {"Line7", "Line10", 20}, {"Line11", "Line5", 40}};
        for (const auto& b : boxes) {
            const RECT cell = scale.rect(row("conv", b.base + 11).rect);
            forms::Form form(ui::kMainLayout); // only to give the lines an owner
            const RECT right = scale.line(Line(form, row(b.right)));
            const RECT left = scale.line(Line(form, row(b.left)));
            CHECK_EQ(right.left, cell.right - t);
            CHECK_EQ(right.right, cell.right);
            CHECK_EQ(left.left, cell.left);
        }
        const SIZE client = scale.client(6015, 4305);
        CHECK_EQ(client.cx, long(MulDiv(401, dpi, 96)));
        CHECK_EQ(client.cy, long(MulDiv(287, dpi, 96)));
        CHECK_EQ(t, std::max(1, MulDiv(1, dpi, 96)));
    }
}

TEST_CASE("aNewDensityScalesWindowControlsAndFonts")
{
    ui::MainWindow main;
    main.Show();
    HWND window = hwndOf(main);
    const RECT heading96 = childRect(hwndOf(main.label("Label100")));
    const int dpi = 144;
    const Scale scale{dpi};
    const SIZE client = scale.client(6015, 4305);
    // The system suggests a window rectangle for the new density; its frame
    // here stays the one it has, as only the program's side is under test.
    RECT suggested{100, 100, 100 + client.cx, 100 + client.cy};
    forms::win32::adjustWindowRect(suggested, forms::win32::FormWindow::kStyle,
                                   forms::win32::FormWindow::kExStyle,
                                   forms::win32::windowDpi(window));
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    RECT r{};
    GetClientRect(window, &r);
    CHECK_EQ(r, (RECT{0, 0, client.cx, client.cy}));
    for (const Column& c : kColumns)
        for (int i = 0; i < 12; ++i)
            CHECK_EQ(childRect(hwndOf(main.labelArray(c.array)(c.base + i))),
                     scale.rect(row(c.array, c.base + i).rect));
    CHECK_EQ(childRect(hwndOf(main.button("up_2"))), scale.rect(row("up_2").rect));
    // The heading's font grew with the density: so did its fitted box.
    const RECT heading = childRect(hwndOf(main.label("Label100")));
    CHECK(heading.right - heading.left >= (heading96.right - heading96.left) * 14 / 10);
    CHECK_EQ(heading.bottom - heading.top, long(MulDiv(13, dpi, 96)));
}

TEST_CASE("standInFacesForTheJapaneseSystemFaces")
{
    const auto* gothic = forms::win32::faceNeeds(u"ＭＳ Ｐゴシック");
    const auto* mincho = forms::win32::faceNeeds(u"ＭＳ 明朝");
    REQUIRE(gothic != nullptr);
    REQUIRE(mincho != nullptr);
    const std::u16string gothicFace = forms::win32::resolveFace(gothic->face);
    const std::u16string minchoFace = forms::win32::resolveFace(mincho->face);
    MESSAGE("faces: " << testing::utf8(gothicFace) << ", " << testing::utf8(minchoFace));
    // Whatever face draws the note cells, it is Japanese, proportional and
    // fits the longest note names into the 71 pixels inside an Original cell.
    CHECK(forms::win32::suits(gothicFace, *gothic));
    for (std::u16string_view name : conversion::kNoteNames) {
        const int width = forms::win32::textWidth(gothicFace, -13, 700, 128, name);
        CHECK((width > 0 && width <= 71));
    }
    CHECK(forms::win32::textWidth(gothicFace, -13, 700, 128, u"Ｉ") <
          forms::win32::textWidth(gothicFace, -13, 700, 128, u"Ｗ"));
    CHECK(forms::win32::suits(minchoFace, *mincho));
    // A face whose fullwidth characters are all 13 pixels wide does not fit:
    // six of them make 78 pixels.
    if (forms::win32::isInstalled(u"IPAGothic", 128)) {
        CHECK(!forms::win32::suits(u"IPAGothic", *gothic));
        CHECK(forms::win32::textWidth(u"IPAGothic", -13, 700, 128, u"Ｃ＃（Ｄ♭）") > 71);
    }
    CHECK(!forms::win32::isInstalled(u"No Such Face", 128));
    CHECK(!forms::win32::suits(u"No Such Face", *mincho));
}

TEST_CASE("standInOrder")
{
    const auto* gothic = forms::win32::faceNeeds(u"ＭＳ Ｐゴシック");
    REQUIRE(gothic != nullptr);
    // What Windows without the face has comes first: Meiryo UI, then Yu Gothic UI.
    const auto& standIns = gothic->standIns;
    const auto at = [&](std::u16string_view face) {
        return std::find(standIns.begin(), standIns.end(), face) - standIns.begin();
    };
    CHECK(at(u"Meiryo UI") < at(u"Yu Gothic UI"));
    CHECK(at(u"Yu Gothic UI") < at(u"IPAPGothic"));
    CHECK(at(u"IPAPGothic") < std::ptrdiff_t(standIns.size()));

    const std::vector<std::u16string> installed = {u"Odd Face", u"Other Face"};
    auto only = [](std::vector<std::u16string> faces) {
        return [faces](const std::u16string& face) {
            return std::find(faces.begin(), faces.end(), face) != faces.end();
        };
    };
    using forms::win32::pickFace;
    CHECK_EQ(pickFace(*gothic, installed, only({u"ＭＳ Ｐゴシック", u"Meiryo UI"})),
             std::u16string(u"ＭＳ Ｐゴシック"));
    CHECK_EQ(pickFace(*gothic, installed, only({u"Yu Gothic UI", u"Meiryo UI"})),
             std::u16string(u"Meiryo UI"));
    CHECK_EQ(pickFace(*gothic, installed, only({u"Yu Gothic UI", u"Other Face"})),
             std::u16string(u"Yu Gothic UI"));
    CHECK_EQ(pickFace(*gothic, installed, only({u"Other Face"})), std::u16string(u"Other Face"));
    CHECK_EQ(pickFace(*gothic, installed, only({})), std::u16string(u"ＭＳ Ｐゴシック"));
}

TEST_CASE("labelsPaintTheirExactColourFrameAndAlignment")
{
    ui::MainWindow main;
    main.Show();
    main.labelArray("org")(4).raiseClick(); // marks row 4
    const unsigned white = rgb(GetSysColor(COLOR_WINDOW));
    const unsigned frame = rgb(GetSysColor(COLOR_WINDOWTEXT));
    const struct
    {
        Label* cell;
        bool red;
        bool right; // ink against the right edge
    } cases[] = {
        {&main.labelArray("org")(4), true, true},
        {&main.labelArray("org")(5), false, false},
        {&main.labelArray("conv")(24), true, false},
        {&main.labelArray("conv")(25), false, true},
    };
    for (const auto& c : cases) {
        const Printed p(hwndOf(*c.cell));
        CHECK_EQ(p.width(), c.cell->rect().width / 15);
        CHECK_EQ(p.height(), 17);
        bool frameWhole = true;
        for (int x = 0; x < p.width(); ++x)
            frameWhole = frameWhole && p.at(x, 0) == frame && p.at(x, p.height() - 1) == frame;
        for (int y = 0; y < p.height(); ++y)
            frameWhole = frameWhole && p.at(0, y) == frame && p.at(p.width() - 1, y) == frame;
        CHECK(frameWhole);
        int pureRed = 0, black = 0, other = 0, first = p.width(), last = -1;
        for (int y = 1; y + 1 < p.height(); ++y)
            for (int x = 1; x + 1 < p.width(); ++x) {
                const unsigned v = p.at(x, y);
                if (v == white)
                    continue;
                first = std::min(first, x);
                last = std::max(last, x);
                const unsigned r = v >> 16, g = (v >> 8) & 0xFF, b = v & 0xFF;
                if (v == 0xFF0000)
                    ++pureRed;
                else if (v == 0)
                    ++black;
                else if (!(g == b && (c.red ? r >= g : r == g)))
                    ++other; // neither the ink's colour nor a blend of it with white
            }
        CHECK_EQ(other, 0);
        CHECK((c.red ? pureRed > 10 && black == 0 : black > 10 && pureRed == 0));
        // One pixel of padding at most between the frame and the aligned ink.
        if (c.right)
            CHECK(last >= p.width() - 4);
        else
            CHECK(first <= 3);
    }
}

TEST_CASE("keyboardWalksTheButtonsByTabIndex")
{
    ui::MainWindow main;
    main.Show();
    SetForegroundWindow(hwndOf(main));
    wintest::pump();
    // The focus starts on the lowest tab index.
    CHECK(GetFocus() == hwndOf(main.button("dn_1")));
    const char* const order[] = {"dn_1", "up_1", "help_pb", "up_2",
                                 "dn_2", "dn_3", "up_3",    "reset"};
    holdShift(false);
    for (int step = 1; step <= 8; ++step) {
        CAPTURE(step); // Tabs
        press(GetFocus(), VK_TAB);
        CHECK(GetFocus() == hwndOf(main.button(order[step % 8])));
    }
    holdShift(true);
    for (int step = 1; step <= 8; ++step) {
        CAPTURE(step); // Shift+Tabs
        press(GetFocus(), VK_TAB);
        CHECK(GetFocus() == hwndOf(main.button(order[(16 - step) % 8])));
    }
    holdShift(false);
    // Labels never take the focus.
    for (const auto& control : main.controls())
        if (control->kind() == ControlKind::Label)
            CHECK((GetWindowLongPtrW(hwndOf(*control), GWL_STYLE) & WS_TABSTOP) == 0);
    CHECK(focusedText() == L"Down");
}

TEST_CASE("enterAndSpacePressTheFocusedButton")
{
    ui::MainWindow main;
    main.Show();
    SetForegroundWindow(hwndOf(main));
    wintest::pump();
    CHECK(GetFocus() == hwndOf(main.button("dn_1")));
    press(GetFocus(), VK_RETURN);
    CHECK_EQ(main.label("ud_1").Caption(), std::u16string(u"-1"));
    CHECK_EQ(main.label("ud_3").Caption(), std::u16string(u"-1"));
    press(GetFocus(), VK_SPACE);
    CHECK_EQ(main.label("ud_2").Caption(), std::u16string(u"-2"));
    holdShift(false);
    press(GetFocus(), VK_TAB); // up_1
    press(GetFocus(), VK_RETURN);
    CHECK_EQ(main.label("ud_1").Caption(), std::u16string(u"-1"));
    // Other keys do nothing.
    press(GetFocus(), 'A');
    press(GetFocus(), VK_ESCAPE);
    CHECK_EQ(main.label("ud_1").Caption(), std::u16string(u"-1"));
    CHECK((main.loaded() && main.visible()));
}

TEST_CASE("buttonsDrawnAboveLabels")
{
    ui::MainWindow main;
    main.Show();
    // ud_1 reaches one pixel into the buttons below it: the button wins there.
    HWND window = hwndOf(main);
    POINT overlap{127 + 8, 248};
    HWND hit = ChildWindowFromPointEx(window, overlap, CWP_SKIPINVISIBLE);
    CHECK((hit == hwndOf(main.button("dn_1")) || hit == hwndOf(main.button("up_1"))));
    // The button's font is the default GUI font; the help button's is its own.
    HFONT dn = reinterpret_cast<HFONT>(SendMessageW(hwndOf(main.button("dn_1")), WM_GETFONT, 0, 0));
    HFONT help =
        reinterpret_cast<HFONT>(SendMessageW(hwndOf(main.button("help_pb")), WM_GETFONT, 0, 0));
    LOGFONTW a{}, b{}, gui{};
    GetObjectW(dn, sizeof a, &a);
    GetObjectW(help, sizeof b, &b);
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    CHECK(std::wstring(a.lfFaceName) == gui.lfFaceName);
    CHECK_EQ(a.lfHeight, gui.lfHeight);
    CHECK_EQ(b.lfHeight, -12L);
    CHECK_EQ(int(b.lfCharSet), 128);
    CHECK_EQ((GetWindowLongPtrW(hwndOf(main.button("dn_1")), GWL_STYLE) & BS_TYPEMASK),
             LONG_PTR(BS_PUSHBUTTON));
}
