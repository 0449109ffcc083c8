// The help window's layout: one label for the usage text.
#include "ui/layout_rows.h"
#include "ui/layouts.h"

namespace ui {

namespace {

using namespace forms;

constexpr ControlStyle kHelpText{.font = {u"ＭＳ 明朝", 9, 400, kCharsetShiftJis},
                                 .foreColor = kSysButtonText,
                                 .backColor = kSysButtonFace,
                                 .opaque = true,
                                 .border = BorderStyle::None,
                                 .alignment = AlignLeft,
                                 .autoSize = false};

constexpr ControlRow kHelpControls[] = {
    label("Label1", kNoIndex, {0, 120, 7815, 1815}, kHelpText, 0, u""),
};

} // namespace

const FormLayout kHelpLayout{
    .name = "help",
    .caption = u"HELP",
    .clientWidth = 7890,
    .clientHeight = 2190,
    .backColor = kSysButtonFace,
    .startUpPosition = StartUpPosition::WindowsDefault,
    .controls = kHelpControls,
    .systemColors = SystemColors::Desktop,
    .keyPreview = false,
    .dialog = true,
};

} // namespace ui
