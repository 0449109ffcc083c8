#include "ui/main_window.h"

#include "conversion/note_keys.h"
#include "conversion/spoken.h"
#include "forms/application.h"
#include "ui/layouts.h"

#include <utility>

namespace ui {

MainWindow::MainWindow() : forms::Form(kMainLayout), table_(*this) {}

// The help window goes with the program, without its Form_Unload.
MainWindow::~MainWindow() = default;

// Which handler each control's event reaches.
void MainWindow::bindEvents()
{
    using conversion::KeyTable;
    table_.attach();

    // Every action tells a screen reader user what it did, through the
    // control with the focus.
    forms::LabelArray& org = labelArray("org");
    for (int i = org.lowerBound(); i <= org.upperBound(); ++i)
        org(i).Click = [this, i] {
            table_.org_Click(static_cast<std::int16_t>(i));
            announce(conversion::spokenMark(*this, i));
        };

    struct LabelEvent
    {
        std::string_view name;
        void (KeyTable::*handler)();
    };
    static constexpr LabelEvent kChanges[] = {
        {"ud_1", &KeyTable::ud_1_Change},
        {"ud_2", &KeyTable::ud_2_Change},
        {"ud_3", &KeyTable::ud_3_Change},
    };
    for (const auto& event : kChanges)
        label(event.name).Change = [this, handler = event.handler] { (table_.*handler)(); };

    struct ShiftEvent
    {
        std::string_view name;
        void (KeyTable::*handler)();
        int first; // the first column of its chain
    };
    static constexpr ShiftEvent kShifts[] = {
        {"up_1", &KeyTable::up_1_Click, 1}, {"up_2", &KeyTable::up_2_Click, 2},
        {"up_3", &KeyTable::up_3_Click, 3}, {"dn_1", &KeyTable::dn_1_Click, 1},
        {"dn_2", &KeyTable::dn_2_Click, 2}, {"dn_3", &KeyTable::dn_3_Click, 3},
    };
    for (const auto& event : kShifts)
        button(event.name).Click = [this, handler = event.handler, first = event.first] {
            (table_.*handler)();
            announce(conversion::spokenShiftResult(*this, first));
        };
    button("reset").Click = [this] {
        table_.reset_Click();
        announce(conversion::spokenState(*this));
    };

    button("help_pb").Click = [this] { help_pb_Click(); };

    // A note's key marks it as a click on its Original cell does.
    KeyDown = [this](std::int16_t& KeyCode, std::int16_t Shift) {
        const int row = conversion::noteOfKey(KeyCode, Shift);
        if (row < 0)
            return;
        KeyCode = 0;
        labelArray("org")(row).raiseClick();
    };
    nameControls();
}

// What a screen reader says: each cell its note, each shift label its count
// and each button its action, with the column they belong to; an Original
// cell's action marks or unmarks its note.
void MainWindow::nameControls()
{
    forms::LabelArray& org = labelArray("org");
    for (int i = org.lowerBound(); i <= org.upperBound(); ++i) {
        forms::Label& cell = org(i);
        cell.AccessibleName = [&cell] { return conversion::spokenCell(cell); };
        cell.AccessibleAction = [&cell] { return conversion::spokenMarkAction(cell); };
        cell.AccessibleDescription = [i] { return u"Key " + conversion::keyOfNote(i); };
    }
    forms::LabelArray& conv = labelArray("conv");
    for (int i = conv.lowerBound(); i <= conv.upperBound(); ++i)
        if (conv.contains(i))
            conv(i).AccessibleName = [&cell = conv(i)] { return conversion::spokenCell(cell); };

    // A reader is shown the chart as a table: a row per Original note, a
    // column per key, each converted column's heading with its count.
    forms::ReaderTable chart{u"Key chart", {&label("Label100")}, {}};
    for (int i = org.lowerBound(); i <= org.upperBound(); ++i)
        chart.rows.push_back({&org(i), &conv(i), &conv(20 + i), &conv(40 + i)});
    forms::LabelArray& headings = labelArray("Label101");
    for (int k = 1; k <= 3; ++k) {
        forms::Label& heading = headings(k - 1);
        const std::u16string column = heading.Caption();
        const std::string digit = std::to_string(k);
        forms::Label& shift = label("ud_" + digit);
        shift.AccessibleName = [column, &shift] { return conversion::spokenShift(column, shift); };
        heading.AccessibleName = [column, &shift] {
            return column + u", shift " + shift.Caption();
        };
        heading.setNameSource(&shift);
        chart.columnHeaders.push_back(&heading);
        forms::CommandButton& up = button("up_" + digit);
        forms::CommandButton& down = button("dn_" + digit);
        up.AccessibleName = [column] { return u"Up, " + column; };
        down.AccessibleName = [column] { return u"Down, " + column; };
        up.AccessibleDescription = [this, k] {
            return conversion::spokenShiftAction(*this, k, +1);
        };
        down.AccessibleDescription = [this, k] {
            return conversion::spokenShiftAction(*this, k, -1);
        };
    }
    setReaderTable(std::move(chart));
    forms::CommandButton& reset = button("reset");
    reset.AccessibleName = [] { return std::u16string(u"Reset"); };
    reset.AccessibleDescription = [] {
        return std::u16string(u"Sets every count to 0 and clears every mark");
    };
    forms::CommandButton& help = button("help_pb");
    help.AccessibleName = [] { return std::u16string(u"Help"); };
    help.AccessibleDescription = [] { return std::u16string(u"Opens a short usage text"); };
}

void MainWindow::Form_Load()
{
    table_.Form_Load();
}

void MainWindow::Form_Unload(std::int16_t&)
{
    forms::End();
}

void MainWindow::help_pb_Click()
{
    if (!help_)
        help_ = std::make_unique<HelpWindow>();
    help_->Show();
    // Already open, it comes to the front with the focus, as a user expects.
    help_->SetFocus();
}

} // namespace ui
