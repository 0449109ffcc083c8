// The main window's layout: one row per control, in the window's declaration
// order. Positions are in twips (15 to the pixel at 96 dpi).
#include "ui/layout_rows.h"
#include "ui/layouts.h"

namespace ui {

namespace {

using namespace forms;

constexpr LayoutFont kPGothic975{u"ＭＳ Ｐゴシック", 9.75, 400, kCharsetShiftJis};
constexpr LayoutFont kPGothic975Bold{u"ＭＳ Ｐゴシック", 9.75, 700, kCharsetShiftJis};
constexpr LayoutFont kPGothic1125Bold{u"ＭＳ Ｐゴシック", 11.25, 700, kCharsetShiftJis};
constexpr LayoutFont kMincho9{u"ＭＳ 明朝", 9, 400, kCharsetShiftJis};

// The three label styles, and the buttons' and lines' looks.
constexpr ControlStyle kNoteCell{.font = kPGothic975Bold,
                                 .foreColor = kSysWindowText,
                                 .backColor = kSysWindowBackground,
                                 .opaque = true,
                                 .border = BorderStyle::FixedSingle,
                                 .alignment = AlignLeft,
                                 .autoSize = false};
constexpr ControlStyle kHeading{.font = kPGothic975,
                                .foreColor = kSysButtonText,
                                .backColor = kWhite,
                                .opaque = true,
                                .border = BorderStyle::None,
                                .alignment = AlignLeft,
                                .autoSize = true};
constexpr ControlStyle kShiftLabel{.font = kPGothic1125Bold,
                                   .foreColor = kSysButtonText,
                                   .backColor = kWhite,
                                   .opaque = true,
                                   .border = BorderStyle::None,
                                   .alignment = AlignCenter,
                                   .autoSize = true};
constexpr ControlStyle kPlainButton{}; // the platform's default UI font
constexpr ControlStyle kHelpButton{.font = kMincho9};
constexpr ControlStyle kLine{.font = {}, .foreColor = kSysWindowText};

constexpr ControlRow line(std::string_view name, int x1, int y1, int x2, int y2)
{
    return lineRow(name, x1, y1, x2, y2, kLine);
}

// clang-format off
constexpr ControlRow kMainControls[] = {
    button("help_pb", {120, 3840, 375, 375}, kHelpButton, 29, u"？"),
    button("up_1", {2040, 3720, 615, 375}, kPlainButton, 24, u"Up"),
    button("dn_1", {1440, 3720, 615, 375}, kPlainButton, 23, u"Down"),
    label("Label100", kNoIndex, {120, 120, 630, 195}, kHeading, 28, u"Original"),
    label("org", 0, {120, 360, 1095, 255}, kNoteCell, 27, u"org(0)"),
    label("org", 1, {120, 600, 1095, 255}, kNoteCell, 26, u"org(1)"),
    label("org", 2, {120, 840, 1095, 255}, kNoteCell, 0, u"org(2)"),
    label("org", 3, {120, 1080, 1095, 255}, kNoteCell, 1, u"org(3)"),
    label("org", 4, {120, 1320, 1095, 255}, kNoteCell, 2, u"org(4)"),
    label("org", 5, {120, 1560, 1095, 255}, kNoteCell, 3, u"org(5)"),
    label("org", 6, {120, 1800, 1095, 255}, kNoteCell, 4, u"org(6)"),
    label("org", 7, {120, 2040, 1095, 255}, kNoteCell, 5, u"org(7)"),
    label("org", 8, {120, 2280, 1095, 255}, kNoteCell, 6, u"org(8)"),
    label("org", 9, {120, 2520, 1095, 255}, kNoteCell, 7, u"org(9)"),
    label("org", 10, {120, 2760, 1095, 255}, kNoteCell, 8, u"org(10)"),
    label("org", 11, {120, 3000, 1095, 255}, kNoteCell, 9, u"org(11)"),
    line("Line4", 1320, 3360, 2760, 3360),
    line("Line3", 2760, 3360, 2760, 4200),
    line("Line2", 1320, 4200, 2760, 4200),
    line("Line1", 1320, 3360, 1320, 4200),
    label("ud_1", kNoIndex, {1905, 3465, 255, 255}, kShiftLabel, 25, u"0"),
    label("conv", 0, {1320, 360, 1455, 255}, kNoteCell, 11, u"conv(0)"),
    label("conv", 1, {1320, 600, 1455, 255}, kNoteCell, 12, u"conv(1)"),
    label("conv", 2, {1320, 840, 1455, 255}, kNoteCell, 13, u"conv(2)"),
    label("conv", 3, {1320, 1080, 1455, 255}, kNoteCell, 14, u"conv(3)"),
    label("conv", 4, {1320, 1320, 1455, 255}, kNoteCell, 15, u"conv(4)"),
    label("conv", 5, {1320, 1560, 1455, 255}, kNoteCell, 16, u"conv(5)"),
    label("conv", 6, {1320, 1800, 1455, 255}, kNoteCell, 17, u"conv(6)"),
    label("conv", 7, {1320, 2040, 1455, 255}, kNoteCell, 18, u"conv(7)"),
    label("conv", 8, {1320, 2280, 1455, 255}, kNoteCell, 19, u"conv(8)"),
    label("conv", 9, {1320, 2520, 1455, 255}, kNoteCell, 20, u"conv(9)"),
    label("conv", 10, {1320, 2760, 1455, 255}, kNoteCell, 21, u"conv(10)"),
    label("conv", 11, {1320, 3000, 1455, 255}, kNoteCell, 22, u"conv(11)"),
    label("conv", 20, {2880, 360, 1455, 255}, kNoteCell, 42, u"conv(20)"),
    label("conv", 21, {2880, 600, 1455, 255}, kNoteCell, 41, u"conv(21)"),
    label("conv", 22, {2880, 840, 1455, 255}, kNoteCell, 40, u"conv(22)"),
    label("conv", 23, {2880, 1080, 1455, 255}, kNoteCell, 39, u"conv(23)"),
    label("conv", 24, {2880, 1320, 1455, 255}, kNoteCell, 38, u"conv(24)"),
    label("conv", 25, {2880, 1560, 1455, 255}, kNoteCell, 37, u"conv(25)"),
    label("conv", 26, {2880, 1800, 1455, 255}, kNoteCell, 36, u"conv(26)"),
    label("conv", 27, {2880, 2040, 1455, 255}, kNoteCell, 35, u"conv(27)"),
    label("conv", 28, {2880, 2280, 1455, 255}, kNoteCell, 34, u"conv(28)"),
    label("conv", 29, {2880, 2520, 1455, 255}, kNoteCell, 33, u"conv(29)"),
    label("conv", 30, {2880, 2760, 1455, 255}, kNoteCell, 32, u"conv(30)"),
    label("conv", 31, {2880, 3000, 1455, 255}, kNoteCell, 31, u"conv(31)"),
    label("conv", 40, {4440, 360, 1455, 255}, kNoteCell, 46, u"conv(40)"),
    label("conv", 41, {4440, 600, 1455, 255}, kNoteCell, 47, u"conv(41)"),
    label("conv", 42, {4440, 840, 1455, 255}, kNoteCell, 48, u"conv(42)"),
    label("conv", 43, {4440, 1080, 1455, 255}, kNoteCell, 49, u"conv(43)"),
    label("conv", 44, {4440, 1320, 1455, 255}, kNoteCell, 50, u"conv(44)"),
    label("conv", 45, {4440, 1560, 1455, 255}, kNoteCell, 51, u"conv(45)"),
    label("conv", 46, {4440, 1800, 1455, 255}, kNoteCell, 52, u"conv(46)"),
    label("conv", 47, {4440, 2040, 1455, 255}, kNoteCell, 53, u"conv(47)"),
    label("conv", 48, {4440, 2280, 1455, 255}, kNoteCell, 54, u"conv(48)"),
    label("conv", 49, {4440, 2520, 1455, 255}, kNoteCell, 55, u"conv(49)"),
    label("conv", 50, {4440, 2760, 1455, 255}, kNoteCell, 56, u"conv(50)"),
    label("conv", 51, {4440, 3000, 1455, 255}, kNoteCell, 57, u"conv(51)"),
    label("Label101", 0, {1320, 120, 1050, 195}, kHeading, 10, u"Converted_1"),
    label("Label101", 1, {2880, 120, 1050, 195}, kHeading, 30, u"Converted_2"),
    label("Label101", 2, {4440, 120, 1050, 195}, kHeading, 58, u"Converted_3"),
    button("up_2", {3600, 3720, 615, 375}, kPlainButton, 43, u"Up"),
    button("dn_2", {3000, 3720, 615, 375}, kPlainButton, 44, u"Down"),
    button("dn_3", {4560, 3720, 615, 375}, kPlainButton, 59, u"Down"),
    line("Line6", 2880, 3360, 4320, 3360),
    line("Line7", 4320, 3360, 4320, 4200),
    button("up_3", {5160, 3720, 615, 375}, kPlainButton, 60, u"Up"),
    line("Line9", 2880, 4200, 4320, 4200),
    line("Line10", 2880, 3360, 2880, 4200),
    label("ud_2", kNoIndex, {3480, 3480, 255, 255}, kShiftLabel, 45, u"0"),
    label("ud_3", kNoIndex, {5040, 3480, 255, 255}, kShiftLabel, 61, u"0"),
    line("Line5", 4440, 3360, 4440, 4200),
    line("Line8", 4440, 4200, 5880, 4200),
    line("Line11", 5880, 3360, 5880, 4200),
    line("Line12", 4440, 3360, 5880, 3360),
    button("reset", {120, 3360, 1095, 375}, kPlainButton, 62, u"RESET"),
};
// clang-format on

} // namespace

const FormLayout kMainLayout{
    .name = "main",
    .caption = u"Marelo",
    .clientWidth = 6015,
    .clientHeight = 4305,
    .backColor = kWhite,
    .startUpPosition = StartUpPosition::CenterScreen,
    .controls = kMainControls,
    // The chart is a sheet: black names, red marks, frames and lines on white,
    // whatever the desktop's colours.
    .systemColors = SystemColors::Standard,
    // The notes' keys work wherever the window's focus is.
    .keyPreview = true,
};

} // namespace ui
