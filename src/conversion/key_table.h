// The key table's behaviour: three converted columns that follow their shift
// counts and the marks of the Original column. It keeps no data of its own:
// every step reads what it needs back from the window's controls.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"

#include <cstdint>

namespace conversion {

class KeyTable
{
public:
    // Drives the controls of the key-table window `form`.
    explicit KeyTable(forms::Form& form) : form_(form) {}

    // Looks up the controls anew; call whenever the window has (re)loaded.
    void attach();

    void Form_Load();
    void reset_Click();
    void org_Click(std::int16_t Index);

    void up_1_Click();
    void up_2_Click();
    void up_3_Click();
    void dn_1_Click();
    void dn_2_Click();
    void dn_3_Click();

    void ud_1_Change();
    void ud_2_Change();
    void ud_3_Change();

private:
    struct Column
    {
        forms::Label* ud; // shift label
        int base;         // first conv index of the column
    };

    void reset_sub();
    void mark_sub();

    void shift_1_pos();
    void shift_1_neg();
    void shift_2_pos();
    void shift_2_neg();
    void shift_3_pos();
    void shift_3_neg();

    // The fill of a column for a count of 0 or more, and for a negative one.
    void positiveFill(int column);
    void negativeFill(int column);

    // The change handling shared by the three shift labels.
    void shiftLabelChanged(int column);
    // The loop shared by the six fills: `offset` is 12 for negative counts.
    void fill(int column, int offset);
    // Moves the counts of columns `first`..3 by `step`, one label after the other.
    void shiftChain(int first, double step);

    forms::LabelArray& org() const { return *org_; }
    forms::LabelArray& conv() const { return *conv_; }
    forms::Label& ud(int column) const { return *columns_[column - 1].ud; }

    forms::Form& form_;
    forms::LabelArray* org_ = nullptr;
    forms::LabelArray* conv_ = nullptr;
    Column columns_[3] = {};
};

} // namespace conversion
