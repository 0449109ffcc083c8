// The help window on Windows: its text to the code point, and its life beside
// the main window as a top-level window of its own.
#include "check.h"
#include "help_text_expected.h"
#include "win32_test.h"

#include "ui/help_window.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

using namespace forms;
using wintest::hwndOf;
using wintest::Platform;
using wintest::visibleWindows;

namespace {

using helptest::CaptionWrites;
using helptest::expectedCaption;
using helptest::kExpectedLines;

SIZE clientSize(HWND hwnd)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

} // namespace

TEST(textToTheCodePoint)
{
    Platform platform;
    const auto lines = ui::HelpWindow::usageLines();
    for (int i = 0; i < 9; ++i)
        CHECK_EQ(lines[std::size_t(i)], kExpectedLines[i]);

    ui::HelpWindow help;
    help.Show();
    CHECK_EQ(help.label("Label1").Caption(), expectedCaption());
    CHECK_EQ(help.lineTable()[0], std::u16string());
    CHECK_EQ(help.lineTable()[10], std::u16string());
    for (int i = 1; i <= 9; ++i)
        CHECK_EQ(help.lineTable()[std::size_t(i)], kExpectedLines[i - 1]);
    CHECK_EQ(visibleWindows(L"HELP").size(), std::size_t(1));
    CHECK_EQ(clientSize(hwndOf(help)), (SIZE{526, 146}));
    CHECK_EQ(wintest::childRect(hwndOf(help.label("Label1"))), (RECT{0, 8, 521, 129}));
}

TEST(labelBreaksAtEachCarriageReturn)
{
    Platform platform;
    ui::HelpWindow help;
    help.Show();
    // Printed, the label shows nine lines of 12 pixels (9 pt) from its top,
    // the eighth of them empty, all inside its box. A line's lowest pixels may
    // reach into the next line's first rows.
    HWND label = hwndOf(help.label("Label1"));
    RECT r{};
    GetClientRect(label, &r);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF back = GetSysColor(COLOR_BTNFACE);
    std::vector<int> ink(std::size_t(r.bottom), 0); // inked pixels per row
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            ink[std::size_t(y)] += GetPixel(dc, x, y) != back;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);

    constexpr int kPitch = 12;
    for (int line = 0; line < 10; ++line) {
        int inked = 0;
        for (int y = line * kPitch + 3; y < std::min<int>((line + 1) * kPitch, r.bottom); ++y)
            inked += ink[std::size_t(y)];
        const bool text = line < 9 && line != 7;
        if (!CHECK_EQ(inked > 0, text))
            std::printf("    line %d\n", line + 1);
    }
}

TEST(openTwiceIsOneWindowOneText)
{
    Platform platform;
    ui::MainWindow main;
    main.Show();
    CHECK(main.helpWindow() == nullptr);
    main.button("help_pb").raiseClick();
    ui::HelpWindow* help = main.helpWindow();
    if (!CHECK(help != nullptr))
        return;
    CaptionWrites writes;
    help->setWriteObserver(&writes);
    main.button("help_pb").raiseClick();
    CHECK_EQ(main.helpWindow(), help);
    CHECK_EQ(writes.count, 0); // no reload
    CHECK_EQ(visibleWindows(L"HELP").size(), std::size_t(1));
    CHECK_EQ(help->label("Label1").Caption(), expectedCaption());
}

TEST(reopenAfterClose)
{
    Platform platform;
    ui::MainWindow main;
    main.Show();
    main.button("help_pb").raiseClick();
    ui::HelpWindow* help = main.helpWindow();
    HWND first = hwndOf(*help);
    CHECK(SetWindowPos(first, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    // The close box.
    SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    wintest::pump();
    CHECK(!IsWindow(first)); // the window is gone ...
    CHECK(!help->loaded());
    CHECK(visibleWindows(L"HELP").empty());
    CHECK_EQ(main.helpWindow(), help); // ... the instance and its line table stay
    CHECK_EQ(help->lineTable()[1], kExpectedLines[0]);
    CHECK_EQ(visibleWindows(L"Marelo").size(), std::size_t(1));

    CaptionWrites writes;
    help->setWriteObserver(&writes);
    main.button("help_pb").raiseClick();
    CHECK_EQ(writes.count, 10); // emptied, then nine lines appended
    CHECK_EQ(help->label("Label1").Caption(), expectedCaption());
    HWND second = hwndOf(*help);
    CHECK_EQ(clientSize(second), (SIZE{526, 146}));
    RECT r{};
    GetWindowRect(second, &r);
    CHECK(r.left != 300 || r.top != 200);
}

TEST(aTopLevelWindowOfItsOwn)
{
    Platform platform;
    ui::MainWindow main;
    main.Show();
    main.button("help_pb").raiseClick();
    HWND window = hwndOf(*main.helpWindow());
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    CHECK(GetParent(window) == nullptr);
    CHECK(GetWindow(window, GW_OWNER) == nullptr);
    CHECK(GetAncestor(window, GA_ROOT) == window);
    CHECK((exStyle & WS_EX_APPWINDOW) != 0); // its own task-bar entry
    CHECK((exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) == 0);
    CHECK((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0);
    CHECK((style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME)) ==
          (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME));
    CHECK(wintest::titleOf(window) == L"HELP");
    // Not modal: the main window still takes input.
    CHECK(IsWindowEnabled(hwndOf(main)));
    // Nothing in it takes the keyboard focus.
    CHECK(GetFocus() == window || GetFocus() == nullptr || !IsChild(window, GetFocus()));
    CHECK(main.helpWindow()->controls().size() == 1);
}

TEST(mainStaysUsable)
{
    Platform platform;
    ui::MainWindow main;
    main.Show();
    main.button("help_pb").raiseClick();
    main.button("up_1").raiseClick();
    main.labelArray("org")(3).raiseClick();
    CHECK_EQ(main.label("ud_3").Caption(), std::u16string(u"1"));
    CHECK_EQ(main.labelArray("conv")(43).ForeColor(), Color(0xFF));
    CHECK(main.helpWindow()->visible());
}

TEST(manyOpensAndCloses)
{
    Platform platform;
    ui::MainWindow main;
    main.Show();
    for (int n = 0; n < 30; ++n) {
        main.button("help_pb").raiseClick();
        const auto windows = visibleWindows(L"HELP");
        if (!CHECK_EQ(windows.size(), std::size_t(1)))
            break;
        SendMessageW(windows.front(), WM_CLOSE, 0, 0);
        wintest::pump();
    }
    CHECK(visibleWindows(L"HELP").empty());
    main.button("help_pb").raiseClick();
    CHECK_EQ(main.helpWindow()->label("Label1").Caption(), expectedCaption());
}

TEST(closingMainEndsEverything)
{
    Platform platform;
    ui::MainWindow main;
    main.Show();
    main.button("help_pb").raiseClick();
    HWND help = hwndOf(*main.helpWindow());
    SendMessageW(hwndOf(main), WM_CLOSE, 0, 0);
    CHECK(forms::ended());
    CHECK(!IsWindowVisible(hwndOf(main)));
    CHECK(!IsWindowVisible(help));
    // Help went with the program, without its own unload.
    CHECK(main.helpWindow()->loaded());
    MSG message;
    CHECK(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    CHECK_EQ(message.message, UINT(WM_QUIT));
    CHECK_EQ(message.wParam, WPARAM(0));
}

CHECK_MAIN()
