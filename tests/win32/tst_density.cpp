// What only the Win32 backend has and the real-window tests cannot see: the
// faces its native buttons are given, high contrast switched while the
// program runs, new fonts and screens. A move to a screen of another density
// is judged from the real program's pixels (desktop_window.py).
#include "testing.h"
#include "win32_test.h"

#include "forms/colours.h"
#include "forms/surface.h"
#include "ui/main_window.h"

using namespace forms;
using wintest::hwndOf;

TEST_CASE("the buttons are plain push buttons in the default face, help in its own")
{
    ui::MainWindow main;
    main.Show();
    LOGFONTW down{}, help{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwndOf(main.button("dn_1")), WM_GETFONT, 0, 0)),
               sizeof down, &down);
    GetObjectW(
        reinterpret_cast<HFONT>(SendMessageW(hwndOf(main.button("help_pb")), WM_GETFONT, 0, 0)),
        sizeof help, &help);
    NONCLIENTMETRICSW desktop{};
    desktop.cbSize = sizeof desktop;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof desktop, &desktop, 0);
    CHECK(std::wstring(down.lfFaceName) == desktop.lfMessageFont.lfFaceName);
    CHECK(help.lfHeight == -12L);
    CHECK(int(help.lfCharSet) == 128);
    for (const char* name : {"dn_1", "up_1", "reset", "help_pb"}) {
        CAPTURE(name);
        CHECK((GetWindowLongPtrW(hwndOf(main.button(name)), GWL_STYLE) & BS_TYPEMASK) ==
              LONG_PTR(BS_PUSHBUTTON));
    }
}

namespace {

// 0x00BBGGRR as the system keeps it, 0xRRGGBB as the screen shows it.
std::uint32_t onScreen(Color color)
{
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

constexpr COLORREF rgb(int r, int g, int b)
{
    return RGB(r, g, b);
}

// The pixels of two windows' client areas, buttons left out, that differ.
int differences(const testplatform::Image& a, const testplatform::Image& b, const Form& form)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    int count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            bool button = false;
            for (const auto& control : form.controls())
                if (control->kind() == ControlKind::CommandButton &&
                    form.surface()->box(*control).contains(x, y))
                    button = true;
            count += !button && a.at(x, y) != b.at(x, y);
        }
    return count;
}

// Marks rows 1 and 4 with real clicks, and moves the window out of the way.
void prepare(const ui::MainWindow& main, testplatform::Point at)
{
    testplatform::move(main, at);
    for (int row : {1, 4}) {
        const PixelRect cell = main.surface()->box(main.labelArray("org")(row));
        testplatform::click(main, {cell.left + 4, cell.top + 4});
    }
}

} // namespace

TEST_CASE("high contrast: the chart in the user's scheme, switched while it runs as at a start")
{
    struct Case
    {
        const char* name;
        COLORREF window, windowText, highlight, highlightText;
        UINT message; // what the program is told
        InkOnGround marked;
    };
    const COLORREF purple = rgb(128, 0, 128), white = rgb(255, 255, 255), black = 0;
    const COLORREF darkPurple = rgb(55, 0, 110);
    const Case cases[] = {
        {"High Contrast Black", black, white, purple, white, WM_SETTINGCHANGE, {white, purple}},
        {"High Contrast White",
         white,
         black,
         darkPurple,
         white,
         WM_SYSCOLORCHANGE,
         {white, darkPurple}},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        ui::MainWindow main;
        main.Show();
        prepare(main, {0, 0});
        const testplatform::Image standard = wintest::onScreen(main);
        // A dark scheme alone changes nothing: the sheet stays white.
        wintest::SystemColours scheme(
            {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT},
            {c.window, c.windowText, c.highlight, c.highlightText});
        SendMessageW(hwndOf(main), WM_SYSCOLORCHANGE, 0, 0);
        CHECK(differences(wintest::onScreen(main), standard, main) == 0);

        REQUIRE(wintest::setHighContrast(true));
        SendMessageW(hwndOf(main), c.message,
                     c.message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
        // How the scheme's colours are drawn is the desktop test's to judge
        // (desktop_window.py): here, that the switch reaches the window.
        const testplatform::Image switched = wintest::onScreen(main);
        CHECK(switched.at(2, 2) == onScreen(c.window));
        const auto& org = main.labelArray("org");
        const PixelRect marked = main.surface()->box(org(1));
        CHECK(switched.at(marked.left + 3, marked.top + 3) == onScreen(c.marked.ground));
        // What the program wrote stays: only the drawing follows the scheme.
        CHECK(org(1).ForeColor() == 0xFFu);
        CHECK(org(0).ForeColor() == 0u);

        // A fresh start in high contrast shows the same.
        {
            ui::MainWindow fresh;
            fresh.Show();
            prepare(fresh, {520, 400});
            CHECK(differences(wintest::onScreen(fresh), switched, fresh) == 0);
        }

        // Switched off again, the sheet is as it was.
        wintest::setHighContrast(false);
        SendMessageW(hwndOf(main), c.message,
                     c.message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
        CHECK(differences(wintest::onScreen(main), standard, main) == 0);
    }
}

namespace {

// The desktop's message font for the session, put back when it goes.
class MessageFont
{
public:
    MessageFont(const wchar_t* face, int height)
    {
        before_.cbSize = sizeof before_;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof before_, &before_, 0);
        NONCLIENTMETRICSW changed = before_;
        changed.lfMessageFont.lfHeight = height;
        lstrcpynW(changed.lfMessageFont.lfFaceName, face, LF_FACESIZE);
        SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof changed, &changed, 0);
    }
    ~MessageFont()
    {
        SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof before_, &before_, 0);
        wintest::forgetSessionSettings();
    }
    MessageFont(const MessageFont&) = delete;
    MessageFont& operator=(const MessageFont&) = delete;

private:
    NONCLIENTMETRICSW before_{};
};

struct ButtonFace
{
    std::wstring face;
    LONG height;
    LONG weight;
    friend bool operator==(const ButtonFace&, const ButtonFace&) = default;
};

ButtonFace buttonFace(const CommandButton& button)
{
    LOGFONTW face{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwndOf(button), WM_GETFONT, 0, 0)), sizeof face,
               &face);
    return {face.lfFaceName, face.lfHeight, face.lfWeight};
}

std::vector<ButtonFace> buttonFaces(const Form& form)
{
    std::vector<ButtonFace> faces;
    for (const auto& control : form.controls())
        if (control->kind() == ControlKind::CommandButton)
            faces.push_back(buttonFace(static_cast<const CommandButton&>(*control)));
    return faces;
}

} // namespace

TEST_CASE("a new message font while running: the buttons fit their captions as at a start")
{
    struct Case
    {
        const char* name;
        const wchar_t* face;
        int height;
        UINT message;
        WPARAM which;
    };
    const Case cases[] = {
        {"larger, told by SPI_SETNONCLIENTMETRICS", L"Tahoma", -17, WM_SETTINGCHANGE,
         SPI_SETNONCLIENTMETRICS},
        {"another face, told by a broadcast naming no setting", L"IPAPGothic", -13,
         WM_SETTINGCHANGE, 0},
        {"smaller, told that the fonts changed", L"Tahoma", -9, WM_FONTCHANGE, 0},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        ui::MainWindow main;
        main.Show();
        const std::vector<ButtonFace> before = buttonFaces(main);
        std::vector<ButtonFace> changed;
        {
            MessageFont font(c.face, c.height);
            SendMessageW(hwndOf(main), c.message, c.which, 0);
            testplatform::processEvents();
            changed = buttonFaces(main);
            CHECK(changed != before);
            ui::MainWindow fresh;
            fresh.Show();
            CHECK(buttonFaces(fresh) == changed);
            for (const auto& control : main.controls())
                if (control->kind() == ControlKind::CommandButton)
                    CHECK(testplatform::box(*control) ==
                          testplatform::box(*fresh.find(control->name())));
            CHECK(testplatform::clientSize(main) == testplatform::clientSize(fresh));
        }
        SendMessageW(hwndOf(main), c.message, c.which, 0);
        testplatform::processEvents();
        CHECK(buttonFaces(main) == before);
    }
}

TEST_CASE("screens that shrink or change: the window comes back whole onto one")
{
    struct Case
    {
        const char* name;
        testplatform::Point at;
        int width, height; // the screen's new mode; 0: the same screen
    };
    const Case cases[] = {
        {"half off the screen, told the display changed", {900, 650}, 0, 0},
        {"off to the left and above", {-200, -100}, 0, 0},
        {"the screen shrinks to 640 x 480 under it", {440, 388}, 640, 480},
        {"whole on the screen: it stays", {100, 100}, 0, 0},
    };
    for (const Case& c : cases) {
        INFO(std::string(c.name));
        ui::MainWindow main;
        main.Show();
        testplatform::move(main, c.at);
        DEVMODEW was{};
        was.dmSize = sizeof was;
        EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &was);
        bool changedMode = false;
        if (c.width != 0) {
            DEVMODEW mode = was;
            mode.dmPelsWidth = DWORD(c.width);
            mode.dmPelsHeight = DWORD(c.height);
            mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
            changedMode = ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
            CHECK(changedMode);
        } else {
            SendMessageW(hwndOf(main), WM_DISPLAYCHANGE, 32,
                         MAKELPARAM(was.dmPelsWidth, was.dmPelsHeight));
        }
        testplatform::processEvents();
        const testplatform::Box frame = testplatform::frameOnScreen(main);
        const testplatform::Box area = testplatform::workArea(main);
        CAPTURE(frame);
        CAPTURE(area);
        if (c.at.x >= 0 && c.at.x + frame.width() <= area.right && c.at.y >= 0 &&
            c.at.y + frame.height() <= area.bottom && c.width == 0)
            CHECK(testplatform::position(main) == c.at);
        CHECK(area.intersected(frame) == frame);
        CHECK(testplatform::clientSize(main) == main.surface()->clientSize());
        if (changedMode)
            ChangeDisplaySettingsW(nullptr, 0);
        testplatform::processEvents();
    }
}

TEST_CASE("a window made larger: its own background beyond the layout, in high contrast too")
{
    for (bool highContrast : {false, true}) {
        CAPTURE(highContrast);
        wintest::SystemColours scheme({COLOR_WINDOW, COLOR_WINDOWTEXT}, {0, rgb(255, 255, 255)});
        REQUIRE(wintest::setHighContrast(highContrast));
        ui::MainWindow main;
        main.Show();
        prepare(main, {0, 0});
        const testplatform::Image before = wintest::onScreen(main);
        const testplatform::Box frame = testplatform::frameOnScreen(main);
        SetWindowPos(hwndOf(main), nullptr, 0, 0, frame.width() + 200, frame.height() + 150,
                     SWP_NOMOVE | SWP_NOZORDER);
        const testplatform::Image larger = wintest::onScreen(main);
        REQUIRE(larger.width == before.width + 200);
        const std::uint32_t ground = highContrast ? 0x000000u : 0xFFFFFFu;
        int wrong = 0;
        for (int y = 0; y < larger.height; ++y)
            for (int x = 0; x < larger.width; ++x)
                if (x >= before.width || y >= before.height)
                    wrong += larger.at(x, y) != ground;
                else
                    wrong += larger.at(x, y) != before.at(x, y);
        CHECK(wrong == 0);
    }
    wintest::setHighContrast(false);
}
