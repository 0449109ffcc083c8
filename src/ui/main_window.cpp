#include "ui/main_window.h"

#include "conversion/spoken.h"
#include "forms/application.h"
#include "ui/layouts.h"

namespace ui {

MainWindow::MainWindow() : forms::Form(kMainLayout), table_(*this) {}

// The help window goes with the program, without its Form_Unload.
MainWindow::~MainWindow() = default;

// Which handler each control's event reaches.
void MainWindow::bindEvents()
{
    using conversion::KeyTable;
    table_.attach();

    forms::LabelArray& org = labelArray("org");
    for (int i = org.lowerBound(); i <= org.upperBound(); ++i)
        org(i).Click = [this, i] { table_.org_Click(static_cast<std::int16_t>(i)); };

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

    static constexpr LabelEvent kClicks[] = {
        {"up_1", &KeyTable::up_1_Click},   {"up_2", &KeyTable::up_2_Click},
        {"up_3", &KeyTable::up_3_Click},   {"dn_1", &KeyTable::dn_1_Click},
        {"dn_2", &KeyTable::dn_2_Click},   {"dn_3", &KeyTable::dn_3_Click},
        {"reset", &KeyTable::reset_Click},
    };
    for (const auto& event : kClicks)
        button(event.name).Click = [this, handler = event.handler] { (table_.*handler)(); };

    button("help_pb").Click = [this] { help_pb_Click(); };
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
    }
    forms::LabelArray& conv = labelArray("conv");
    for (int i = conv.lowerBound(); i <= conv.upperBound(); ++i)
        if (conv.contains(i))
            conv(i).AccessibleName = [&cell = conv(i)] { return conversion::spokenCell(cell); };

    forms::LabelArray& headings = labelArray("Label101");
    for (int k = 1; k <= 3; ++k) {
        const std::u16string column = headings(k - 1).Caption();
        const std::string digit = std::to_string(k);
        forms::Label& shift = label("ud_" + digit);
        shift.AccessibleName = [column, &shift] { return conversion::spokenShift(column, shift); };
        button("up_" + digit).AccessibleName = [column] { return u"Up, " + column; };
        button("dn_" + digit).AccessibleName = [column] { return u"Down, " + column; };
    }
    button("reset").AccessibleName = [] { return std::u16string(u"Reset"); };
    button("help_pb").AccessibleName = [] { return std::u16string(u"Help"); };
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
