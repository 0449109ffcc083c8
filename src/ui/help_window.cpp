#include "ui/help_window.h"

#include "app/identity.h"
#include "forms/number_text.h"
#include "ui/layouts.h"

namespace ui {

HelpWindow::HelpWindow() : forms::Form(kHelpLayout) {}

std::array<std::u16string, 9> HelpWindow::usageLines()
{
    using namespace std::string_literals;
    return {
        u"Thank you for download this free ware made by "s + std::u16string(marelo::kAuthor) +
            u"..." + std::u16string(marelo::kVersionText),
        u"   Down と Up のボタンを押すだけです",
        u"   ボタンの上の数字はシフト数です",
        u"   Original 列上をクリックすると、マークできます",
        u"   Converted_1 _2 _3 列がシフト数に応じて変化します",
        u"Converted_1 > _2 > _3 と従属関係になります",
        u"アンサンブルでそれぞれ異なるキーを使用する時などに役立つでしょう",
        u"",
        u"My HomePageURL\u3000"s + std::u16string(marelo::kHomePage),
    };
}

void HelpWindow::Form_Load()
{
    const auto text = usageLines();
    for (std::size_t i = 1; i <= 9; ++i)
        lines_[i] = text[i - 1];

    forms::Label& Label1 = label("Label1");
    Label1.setCaption(u"");
    for (std::size_t i = 1; i <= 9; ++i)
        Label1.setCaption(Label1.Caption() + lines_[i] + forms::chr(13));
}

void HelpWindow::Form_Unload(std::int16_t&)
{
    // The close goes on: the window and its label go, the instance stays.
    Hide();
}

} // namespace ui
