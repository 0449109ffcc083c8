#include "conversion/key_table.h"

#include "conversion/note_names.h"
#include "forms/number_text.h"

namespace conversion {

using forms::toDouble;

void KeyTable::attach()
{
    org_ = &form_.labelArray("org");
    conv_ = &form_.labelArray("conv");
    columns_[0] = {&form_.label("ud_1"), 0};
    columns_[1] = {&form_.label("ud_2"), 20};
    columns_[2] = {&form_.label("ud_3"), 40};
}

void KeyTable::Form_Load()
{
    reset_sub();
}

void KeyTable::reset_Click()
{
    reset_sub();
}

void KeyTable::reset_sub()
{
    for (int i = 0; i < 12; ++i)
        org()(i).setCaption(kNoteNames[static_cast<std::size_t>(i)]);
    for (int i = 0; i < 12; ++i) {
        org()(i).setForeColor(forms::kBlack);
        org()(i).setAlignment(forms::AlignLeft);
        conv()(i).setCaption(org()(i).Caption());
        conv()(20 + i).setCaption(org()(i).Caption());
        conv()(40 + i).setCaption(org()(i).Caption());
        conv()(i).setAlignment(forms::AlignRight);
        conv()(20 + i).setAlignment(forms::AlignRight);
        conv()(40 + i).setAlignment(forms::AlignRight);
    }
    ud(1).setCaption(u"0");
    ud(2).setCaption(u"0");
    ud(3).setCaption(u"0");
    mark_sub();
}

void KeyTable::mark_sub()
{
    for (int i = 0; i < 12; ++i) {
        conv()(i).setForeColor(org()(i).ForeColor());
        conv()(20 + i).setForeColor(org()(i).ForeColor());
        conv()(40 + i).setForeColor(org()(i).ForeColor());
        conv()(i).setAlignment(static_cast<std::int16_t>(org()(i).Alignment() ^ 1));
        conv()(20 + i).setAlignment(static_cast<std::int16_t>(org()(i).Alignment() ^ 1));
        conv()(40 + i).setAlignment(static_cast<std::int16_t>(org()(i).Alignment() ^ 1));
    }
}

void KeyTable::org_Click(std::int16_t Index)
{
    org()(Index).setForeColor(org()(Index).ForeColor() ^ 0xFF);
    org()(Index).setAlignment(org()(Index).ForeColor() == 0 ? forms::AlignLeft : forms::AlignRight);
    mark_sub();
}

void KeyTable::ud_1_Change()
{
    shiftLabelChanged(1);
}

void KeyTable::ud_2_Change()
{
    shiftLabelChanged(2);
}

void KeyTable::ud_3_Change()
{
    shiftLabelChanged(3);
}

// A switch rather than a table of member-function pointers: GCC 12's
// -fsanitize=undefined miscompiles the bounds check of an index into such a
// table and reports an index the program never used.
void KeyTable::positiveFill(int column)
{
    switch (column) {
    case 1:
        shift_1_pos();
        break;
    case 2:
        shift_2_pos();
        break;
    default:
        shift_3_pos();
        break;
    }
}

void KeyTable::negativeFill(int column)
{
    switch (column) {
    case 1:
        shift_1_neg();
        break;
    case 2:
        shift_2_neg();
        break;
    default:
        shift_3_neg();
        break;
    }
}

// Every step reads the caption anew: a fold's "0" runs this handling nested,
// and the outer run goes on with what the nested one left.
void KeyTable::shiftLabelChanged(int column)
{
    forms::Label& label = ud(column);
    if (toDouble(label.Caption()) > 11)
        label.setCaption(u"0");
    if (toDouble(label.Caption()) < -11)
        label.setCaption(u"0");
    if (toDouble(label.Caption()) > 0)
        positiveFill(column);
    if (toDouble(label.Caption()) < 0)
        negativeFill(column);
    if (toDouble(label.Caption()) == 0)
        positiveFill(column);
}

void KeyTable::shift_1_pos()
{
    fill(1, 0);
}

void KeyTable::shift_1_neg()
{
    fill(1, 12);
}

void KeyTable::shift_2_pos()
{
    fill(2, 0);
}

void KeyTable::shift_2_neg()
{
    fill(2, 12);
}

void KeyTable::shift_3_pos()
{
    fill(3, 0);
}

void KeyTable::shift_3_neg()
{
    fill(3, 12);
}

void KeyTable::fill(int column, int offset)
{
    const int base = columns_[column - 1].base;
    for (int i = 0; i < 12; ++i) {
        double j = i + toDouble(ud(column).Caption()) + offset;
        if (j > 11)
            j = j - 12;
        conv()(base + i).setCaption(org()(forms::toIndex(j)).Caption());
    }
    mark_sub();
}

void KeyTable::up_1_Click()
{
    shiftChain(1, +1);
}

void KeyTable::up_2_Click()
{
    shiftChain(2, +1);
}

void KeyTable::up_3_Click()
{
    shiftChain(3, +1);
}

void KeyTable::dn_1_Click()
{
    shiftChain(1, -1);
}

void KeyTable::dn_2_Click()
{
    shiftChain(2, -1);
}

void KeyTable::dn_3_Click()
{
    shiftChain(3, -1);
}

void KeyTable::shiftChain(int first, double step)
{
    for (int column = first; column <= 3; ++column) {
        forms::Label& label = ud(column);
        const double sum = forms::checkedAdd(toDouble(label.Caption()), step);
        label.setCaption(forms::toText(sum));
    }
}

} // namespace conversion
