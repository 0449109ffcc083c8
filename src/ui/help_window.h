// The help window: a short usage text, rebuilt each time the window loads.
#pragma once

#include "forms/form.h"

#include <array>
#include <string>

namespace ui {

class HelpWindow final : public forms::Form
{
public:
    HelpWindow();

    // The line table: entries 1 to 9 hold the text; 0 and 10 stay empty.
    const std::array<std::u16string, 11>& lineTable() const { return lines_; }

    // The nine lines of the usage text, in order.
    static std::array<std::u16string, 9> usageLines();

protected:
    void Form_Load() override;
    void Form_Unload(std::int16_t& Cancel) override;

private:
    std::array<std::u16string, 11> lines_;
};

} // namespace ui
