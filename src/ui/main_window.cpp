#include "ui/main_window.h"

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
        {"up_1", &KeyTable::up_1_Click}, {"up_2", &KeyTable::up_2_Click},
        {"up_3", &KeyTable::up_3_Click}, {"dn_1", &KeyTable::dn_1_Click},
        {"dn_2", &KeyTable::dn_2_Click}, {"dn_3", &KeyTable::dn_3_Click},
        {"reset", &KeyTable::reset_Click},
    };
    for (const auto& event : kClicks)
        button(event.name).Click = [this, handler = event.handler] { (table_.*handler)(); };

    button("help_pb").Click = [this] { help_pb_Click(); };
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
