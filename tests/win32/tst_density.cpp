// What only the Win32 backend has: a window that moves to a screen of another
// density, and the faces its native buttons are given.
#include "testing.h"
#include "win32_test.h"

#include "forms/surface.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

using namespace forms;
using wintest::hwndOf;

namespace {

const ControlRow& row(std::string_view name, int index = kNoIndex)
{
    for (const ControlRow& r : ui::kMainLayout.controls)
        if (r.name == name && r.index == index)
            return r;
    FAIL("no row " << std::string(name));
    return ui::kMainLayout.controls.front();
}

} // namespace

TEST_CASE("a new density takes the window, its controls and its faces along")
{
    for (int dpi : {144, 120, 192, 96}) {
        CAPTURE(dpi);
        ui::MainWindow main;
        main.Show();
        HWND window = hwndOf(main);
        const int before = main.surface()->scale().dpi;
        const PixelRect heading96 = main.surface()->box(main.label("Label100"));
        const Scale scale{dpi};
        const PixelSize client = scale.client(6015, 4305);
        // The system suggests a window rectangle for the new density; its frame
        // here stays the one it has, as only the program's side is under test.
        RECT suggested{100, 100, 100 + client.width, 100 + client.height};
        forms::win32::adjustWindowRect(suggested, forms::win32::FormWindow::kStyle,
                                       forms::win32::FormWindow::kExStyle,
                                       forms::win32::windowDpi(window));
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        testplatform::processEvents();
        CHECK(testplatform::clientSize(main) == client);
        CHECK(main.surface()->scale().dpi == dpi);
        for (int i = 0; i < 12; ++i)
            CHECK(testplatform::box(main.labelArray("conv")(20 + i)) ==
                  scale.box(row("conv", 20 + i).rect));
        CHECK(testplatform::box(main.button("up_2")) == scale.box(row("up_2").rect));
        // The heading's face grew with the density, and so did its fitted box.
        const PixelRect heading = main.surface()->box(main.label("Label100"));
        CHECK(heading.width() * before >= heading96.width() * dpi * 9 / 10);
        // The frames are drawn where the boxes are, one whole pixel or two.
        const testplatform::Image image = testplatform::image(main);
        const PixelRect cell = scale.box(row("org", 3).rect);
        // Right of the left-aligned name, where nothing else is drawn.
        const int x = cell.right - scale.thickness() - 2;
        for (int t = 0; t < scale.thickness(); ++t)
            CHECK(image.at(x, cell.top + t) == 0x000000u);
        CHECK(image.at(x, cell.top + scale.thickness()) == 0xFFFFFFu);
        // The buttons' faces follow the density.
        LOGFONTW face{};
        GetObjectW(
            reinterpret_cast<HFONT>(SendMessageW(hwndOf(main.button("help_pb")), WM_GETFONT, 0, 0)),
            sizeof face, &face);
        CHECK(face.lfHeight == -scale.px(12));
    }
}

TEST_CASE("the buttons are plain push buttons in the default face, help in its own")
{
    ui::MainWindow main;
    main.Show();
    LOGFONTW down{}, help{}, gui{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwndOf(main.button("dn_1")), WM_GETFONT, 0, 0)),
               sizeof down, &down);
    GetObjectW(
        reinterpret_cast<HFONT>(SendMessageW(hwndOf(main.button("help_pb")), WM_GETFONT, 0, 0)),
        sizeof help, &help);
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    CHECK(std::wstring(down.lfFaceName) == gui.lfFaceName);
    CHECK(help.lfHeight == -12L);
    CHECK(int(help.lfCharSet) == 128);
    for (const char* name : {"dn_1", "up_1", "reset", "help_pb"}) {
        CAPTURE(name);
        CHECK((GetWindowLongPtrW(hwndOf(main.button(name)), GWL_STYLE) & BS_TYPEMASK) ==
              LONG_PTR(BS_PUSHBUTTON));
    }
}
