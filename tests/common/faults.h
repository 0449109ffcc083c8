// The faults no user action can reach, each injected into the running program
// by fatal_probe, with the fatal error report it must end in. tst_program
// runs the probe once for each.
#pragma once

#include "forms/surface.h"
#include "test_platform.h"
#include "ui/main_window.h"

#include <string_view>

namespace faults {

struct Fault
{
    std::string_view mode; // the probe's argument
    // The window the windowing system refuses to make: the first (main) or the second (help).
    int failingWindow;
    // Runs as an event of the started program; none: the start itself fails.
    void (*inject)(ui::MainWindow& main);
    std::u16string_view report;
};

inline constexpr std::u16string_view kSubscript =
    u"実行時エラー '9':\n\nインデックスが有効範囲にありません。";
inline constexpr std::u16string_view kTypeMismatch = u"実行時エラー '13':\n\n型が一致しません。";
inline constexpr std::u16string_view kInvalidValue =
    u"実行時エラー '380':\n\nプロパティの値が不正です。";
inline constexpr std::u16string_view kWindowFailed =
    u"実行時エラー '1000':\n\nウィンドウの操作に失敗しました。";

inline const Fault kFaults[] = {
    // An index outside the Original array.
    {"index", 0, [](ui::MainWindow& main) { main.keyTable().org_Click(12); }, kSubscript},
    // A shift label without a number.
    {"text", 0, [](ui::MainWindow& main) { main.label("ud_2").setCaption(u"abc"); }, kTypeMismatch},
    // A shift label that somehow holds no number, then a click on an Up over it.
    {"shift-text", 0,
     [](ui::MainWindow& main) {
         main.label("ud_3").Change = nullptr;
         main.label("ud_3").setCaption(u"x");
         main.button("up_2").raiseClick();
     },
     kTypeMismatch},
    // Between the first and the second converted column there is no cell.
    {"conv-gap", 0, [](ui::MainWindow& main) { main.labelArray("conv")(12).setCaption(u"x"); },
     kSubscript},
    {"conv-past-end", 0, [](ui::MainWindow& main) { (void)main.labelArray("conv")(52).Caption(); },
     kSubscript},
    // A count that is no whole number, -0.6, makes the fill of row 0 read org(-1).
    {"fraction-count", 0,
     [](ui::MainWindow& main) {
         forms::Label& ud = main.label("ud_1");
         auto change = ud.Change;
         ud.Change = nullptr;
         ud.setCaption(u"-0.6");
         ud.Change = change;
         ud.setCaption(u"-0.6");
     },
     kSubscript},
    // A screen reader's press takes the way of a click, errors included.
    {"accessible-shift-text", 0,
     [](ui::MainWindow& main) {
         main.label("ud_3").Change = nullptr;
         main.label("ud_3").setCaption(u"x");
         testplatform::pressAccessibly(main.button("up_2"));
     },
     kTypeMismatch},
    // A note's key takes the way of a click, errors included: a colour that
    // is no mark's makes the toggle write a system colour that does not exist.
    {"key-mark-colour", 0,
     [](ui::MainWindow& main) {
         main.labelArray("org")(4).setForeColor(forms::kSysWindowText);
         main.surface()->key({forms::letterKey('E')}, nullptr);
     },
     kInvalidValue},
    {"accessible-help-window-fails", 2,
     [](ui::MainWindow& main) { testplatform::pressAccessibly(main.button("help_pb")); },
     kWindowFailed},
    {"main-window-fails", 1, nullptr, kWindowFailed},
    {"help-window-fails", 2, [](ui::MainWindow& main) { main.button("help_pb").raiseClick(); },
     kWindowFailed},
};

// Not faults: the main window closed by the user with the help window open,
// and the session ended (a log-off) with both open.
inline constexpr std::string_view kCloseWithHelp = "close-with-help";
inline constexpr std::string_view kEndSessionWithHelp = "end-session-with-help";

} // namespace faults
