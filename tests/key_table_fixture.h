// What the key-table tests of both platforms share: the main window with its
// controls at hand, a counter of property writes, random action sequences and
// the check of a run against the model.
#pragma once

#include "conversion/note_names.h"
#include "forms/controls.h"
#include "forms/error.h"
#include "forms/number_text.h"
#include "key_table_model.h"
#include "ui/main_window.h"

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace keytest {

using namespace forms;
using conversion::kNoteNames;
using model::Action;

// A count's caption for a message; counts are plain ASCII.
inline std::string ascii(std::u16string_view text)
{
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? char(c) : '?';
    return out;
}

// The note names code point by code point, written out apart from the program's table.
inline const std::vector<std::vector<char16_t>> kExpectedNoteCodePoints = {
    {0xFF23},
    {0xFF23, 0xFF03, 0xFF08, 0xFF24, 0x266D, 0xFF09},
    {0xFF24},
    {0xFF24, 0xFF03, 0xFF08, 0xFF25, 0x266D, 0xFF09},
    {0xFF25},
    {0xFF26},
    {0xFF26, 0xFF03, 0xFF08, 0xFF27, 0x266D, 0xFF09},
    {0xFF27},
    {0xFF27, 0xFF03, 0xFF08, 0xFF21, 0x266D, 0xFF09},
    {0xFF21},
    {0xFF21, 0xFF03, 0xFF08, 0xFF22, 0x266D, 0xFF09},
    {0xFF22}};

constexpr int kBases[3] = {0, 20, 40};

// Counts property writes per control and property.
struct WriteCounter : WriteObserver
{
    std::map<std::pair<std::string, Property>, int> writes;
    void written(const Control& control, Property property) override
    {
        ++writes[{control.displayName(), property}];
    }
    int count(const std::string& name, Property p) const
    {
        auto it = writes.find({name, p});
        return it == writes.end() ? 0 : it->second;
    }
    int column(int c, Property p) const
    {
        int n = 0;
        for (int i = 0; i < 12; ++i)
            n += count("conv(" + std::to_string(kBases[c] + i) + ")", p);
        return n;
    }
};

// The main window loaded, with the controls the key-table tests look at.
class KeyTableFixture
{
public:
    KeyTableFixture() { main.Load(); }

    Label& org(int i) { return main.labelArray("org")(i); }
    Label& conv(int i) { return main.labelArray("conv")(i); }
    Label& ud(int k) { return main.label("ud_" + std::to_string(k)); }
    std::u16string count(int k) { return ud(k).Caption(); }
    std::string counts() { return ascii(count(1) + u" " + count(2) + u" " + count(3)); }

    void click(const char* button) { main.button(button).raiseClick(); }
    void clickOrg(int i) { org(i).raiseClick(); }

    void apply(const model::Step& step)
    {
        if (step.action == Action::Org)
            clickOrg(step.row);
        else
            click(model::name(step.action));
    }

    // An empty string when the window shows what the model says, else the differences.
    std::string differences(const model::KeyTableModel& m)
    {
        std::ostringstream out;
        for (int c = 0; c < 3; ++c)
            if (count(c + 1) != forms::toText(m.counts[std::size_t(c)]))
                out << "ud_" << c + 1 << " reads " << ascii(count(c + 1)) << ", expected "
                    << m.counts[std::size_t(c)] << "; ";
        for (int i = 0; i < 12; ++i) {
            const bool marked = m.marked[std::size_t(i)];
            const Color color = marked ? kRed : kBlack;
            if (org(i).Caption() != kNoteNames[std::size_t(i)] || org(i).ForeColor() != color ||
                org(i).Alignment() != (marked ? AlignRight : AlignLeft))
                out << "org(" << i << ") wrong; ";
            for (int c = 0; c < 3; ++c) {
                Label& cell = conv(kBases[c] + i);
                if (cell.Caption() != m.converted(c, i))
                    out << "conv(" << kBases[c] + i << ") caption; ";
                if (cell.ForeColor() != color)
                    out << "conv(" << kBases[c] + i << ") colour; ";
                if (cell.Alignment() != (marked ? AlignLeft : AlignRight))
                    out << "conv(" << kBases[c] + i << ") alignment; ";
            }
        }
        return out.str();
    }

    // The invariants that hold whenever a handler has returned.
    bool invariantsHold()
    {
        for (int c = 0; c < 3; ++c) {
            const double s = forms::toDouble(count(c + 1));
            if (s < -11 || s > 11)
                return false;
            for (int i = 0; i < 12; ++i) {
                const int j = ((i + int(s)) % 12 + 12) % 12;
                Label& cell = conv(kBases[c] + i);
                if (cell.Caption() != org(j).Caption() || cell.ForeColor() != org(i).ForeColor() ||
                    cell.Alignment() != (org(i).Alignment() ^ 1))
                    return false;
            }
        }
        return true;
    }

    std::vector<std::u16string> column(int c)
    {
        std::vector<std::u16string> names;
        for (int i = 0; i < 12; ++i)
            names.push_back(conv(kBases[c] + i).Caption());
        return names;
    }

    ui::MainWindow main;
};

inline std::vector<std::u16string> rotated(int count)
{
    std::vector<std::u16string> names;
    for (int i = 0; i < 12; ++i)
        names.emplace_back(kNoteNames[std::size_t(((i + count) % 12 + 12) % 12)]);
    return names;
}

inline std::vector<model::Step> randomSteps(std::uint32_t seed, int n)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pick(0, 18); // six buttons, twelve notes, RESET
    std::vector<model::Step> steps;
    steps.reserve(std::size_t(n));
    for (int k = 0; k < n; ++k) {
        const int p = pick(random);
        if (p < 6)
            steps.push_back({Action(p)});
        else if (p < 18)
            steps.push_back({Action::Org, p - 6});
        else
            steps.push_back({Action::Reset});
    }
    return steps;
}

// The number of the first step after which the window and the model differ, or
// -1; a run-time error counts as a difference.
template <class Fixture>
int firstFailure(const std::vector<model::Step>& steps, std::string* why = nullptr)
{
    Fixture f;
    model::KeyTableModel m;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        try {
            f.apply(steps[k]);
        } catch (const forms::RuntimeError& e) {
            if (why)
                *why = "run-time error " + std::to_string(int(e.number()));
            return int(k);
        }
        m.apply(steps[k]);
        std::string diff = f.differences(m);
        if (!f.invariantsHold())
            diff += "an invariant is broken; ";
        if (!diff.empty()) {
            if (why)
                *why = diff;
            return int(k);
        }
    }
    return -1;
}

} // namespace keytest
