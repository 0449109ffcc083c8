// A small window for the forms layer's tests on both platforms: one label,
// an array with a gap and a button, with counters for its load and unload.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"
#include "ui/layout_rows.h"

#include <functional>
#include <string>
#include <vector>

namespace probe {

using namespace forms;

inline constexpr ControlStyle kPlain{.font = {u"ＭＳ Ｐゴシック", 9.75, 400, kCharsetShiftJis},
                                     .foreColor = kSysWindowText,
                                     .backColor = kSysWindowBackground,
                                     .opaque = true,
                                     .border = BorderStyle::FixedSingle,
                                     .alignment = AlignLeft,
                                     .autoSize = false};

inline constexpr ControlRow kRows[] = {
    ui::label("single", kNoIndex, {0, 0, 300, 300}, kPlain, 0, u"start"),
    ui::label("cells", 5, {0, 300, 300, 300}, kPlain, 1, u"cells(5)"),
    ui::label("cells", 7, {0, 600, 300, 300}, kPlain, 2, u"cells(7)"),
    ui::label("cells", 8, {0, 900, 300, 300}, kPlain, 3, u"cells(8)"),
    ui::button("go", {0, 1200, 600, 300}, kPlain, 4, u"Go"),
};

inline constexpr FormLayout kLayout{.name = "probe",
                                    .caption = u"Probe",
                                    .clientWidth = 3000,
                                    .clientHeight = 3000,
                                    .backColor = kWhite,
                                    .startUpPosition = StartUpPosition::WindowsDefault,
                                    .controls = kRows};

class ProbeForm : public Form
{
public:
    ProbeForm() : Form(kLayout) {}
    int loads = 0;
    int unloads = 0;
    std::int16_t cancelWith = 0;
    std::function<void()> onLoad;

protected:
    void Form_Load() override
    {
        ++loads;
        if (onLoad)
            onLoad();
    }
    void Form_Unload(std::int16_t& Cancel) override
    {
        ++unloads;
        Cancel = cancelWith;
    }
};

struct Recorder : WriteObserver
{
    std::vector<std::string> writes;
    void written(const Control& control, Property property) override
    {
        static const char* const names[] = {"Caption", "ForeColor", "Alignment"};
        writes.push_back(control.displayName() + "." + names[int(property)]);
    }
};

struct CountingPeer : ControlPeer
{
    int changes = 0;
    void changed(Control&, Property) override { ++changes; }
};

} // namespace probe
