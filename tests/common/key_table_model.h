// An independent model of what the key table shows: three chained counts
// folded to 0 at ±12, and marks that belong to rows.
#pragma once

#include "conversion/note_names.h"

#include <array>
#include <string>

namespace model {

enum class Action
{
    Up1,
    Up2,
    Up3,
    Dn1,
    Dn2,
    Dn3,
    Org,
    Reset
};

struct Step
{
    Action action;
    int row = 0; // for Org
};

inline const char* name(Action a)
{
    static const char* const names[] = {"up_1", "up_2", "up_3", "dn_1",
                                        "dn_2", "dn_3", "org",  "reset"};
    return names[static_cast<int>(a)];
}

struct KeyTableModel
{
    std::array<int, 3> counts{};
    std::array<bool, 12> marked{};

    void apply(const Step& step)
    {
        switch (step.action) {
        case Action::Up1:
            shift(0, +1);
            break;
        case Action::Up2:
            shift(1, +1);
            break;
        case Action::Up3:
            shift(2, +1);
            break;
        case Action::Dn1:
            shift(0, -1);
            break;
        case Action::Dn2:
            shift(1, -1);
            break;
        case Action::Dn3:
            shift(2, -1);
            break;
        case Action::Org:
            marked[static_cast<std::size_t>(step.row)] ^= true;
            break;
        case Action::Reset:
            *this = KeyTableModel{};
            break;
        }
    }

    void shift(int first, int delta)
    {
        for (int c = first; c < 3; ++c) {
            int& n = counts[static_cast<std::size_t>(c)];
            n += delta;
            if (n == 12 || n == -12)
                n = 0;
        }
    }

    // What row i of converted column c (0-based) shows.
    std::u16string_view converted(int c, int i) const
    {
        const int j = ((i + counts[static_cast<std::size_t>(c)]) % 12 + 12) % 12;
        return conversion::kNoteNames[static_cast<std::size_t>(j)];
    }
};

} // namespace model
