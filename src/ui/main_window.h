// The main window: the key table with its shift buttons, RESET and the help button.
#pragma once

#include "conversion/key_table.h"
#include "forms/form.h"
#include "ui/help_window.h"

#include <memory>

namespace ui {

class MainWindow final : public forms::Form
{
public:
    MainWindow();
    ~MainWindow() override;

    conversion::KeyTable& keyTable() { return table_; }
    // The program's one help window; null until the help button is first pressed.
    HelpWindow* helpWindow() const { return help_.get(); }

    void help_pb_Click();

protected:
    void bindEvents() override;
    void Form_Load() override;
    void Form_Unload(std::int16_t& Cancel) override;

private:
    void nameControls();

    conversion::KeyTable table_;
    std::unique_ptr<HelpWindow> help_;
};

} // namespace ui
