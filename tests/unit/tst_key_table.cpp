// The key table's behaviour through the main window's controls: the columns,
// the chained shift buttons, the marks, the reset, and a long random run
// checked against an independent model.
#include "testing.h"

#include "conversion/note_names.h"
#include "forms/controls.h"
#include "forms/error.h"
#include "forms/number_text.h"
#include "forms/surface.h"
#include "key_table_model.h"
#include "ui/main_window.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// The main window with its controls at hand, a counter of property writes,
// random action sequences and the check of a run against the model.
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

using namespace forms;
using conversion::kNoteNames;
using keytest::kBases;
using keytest::randomSteps;
using keytest::rotated;
using keytest::WriteCounter;
using model::Action;
using Fixture = keytest::KeyTableFixture;

namespace {

unsigned environmentNumber(const char* name, unsigned fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? unsigned(std::strtoul(text, nullptr, 10)) : fallback;
}

// "up_1 org ..." as a list of clicks.
void perform(Fixture& f, const std::vector<std::string>& actions)
{
    for (const std::string& action : actions) {
        if (action.rfind("org ", 0) == 0)
            f.clickOrg(std::stoi(action.substr(4)));
        else
            f.click(action.c_str());
    }
}

} // namespace

TEST_CASE("the start state")
{
    Fixture f;
    CHECK(f.counts() == "0 0 0");
    CHECK(f.differences({}) == "");
    CHECK(f.org(0).Caption() == std::u16string(u"Ｃ"));
    CHECK(f.conv(51).Caption() == std::u16string(u"Ｂ"));
    CHECK(f.conv(21).Caption() == std::u16string(u"Ｃ＃（Ｄ♭）"));
    // Explicit black, not the layout's system colour, so the first toggle gives pure red.
    for (int i = 0; i < 12; ++i)
        CHECK(f.org(i).ForeColor() == Color(0));
}

TEST_CASE("the note names to the code point")
{
    const auto& expected = keytest::kExpectedNoteCodePoints;
    for (std::size_t i = 0; i < 12; ++i)
        CHECK(kNoteNames[i] == std::u16string(expected[i].begin(), expected[i].end()));
}

TEST_CASE("a count written to a shift label")
{
    const struct
    {
        std::u16string_view written, shown;
        int rotation;
    } cases[] = {{u"0", u"0", 0},    {u"1", u"1", 1},    {u"-1", u"-1", -1},    {u"3", u"3", 3},
                 {u"-2", u"-2", -2}, {u"11", u"11", 11}, {u"-11", u"-11", -11}, {u"12", u"0", 0},
                 {u"-12", u"0", 0},  {u"40", u"0", 0}};
    for (int column = 1; column <= 3; ++column)
        for (const auto& c : cases) {
            CAPTURE(column);
            CAPTURE(c.written);
            Fixture f;
            f.ud(column).setCaption(c.written);
            CHECK(f.count(column) == c.shown);
            CHECK(f.column(column - 1) == rotated(c.rotation));
            for (int other = 1; other <= 3; ++other)
                if (other != column)
                    CHECK(f.column(other - 1) == rotated(0));
        }
}

TEST_CASE("the worked example")
{
    Fixture f;
    f.ud(1).setCaption(u"3");
    f.ud(2).setCaption(u"-2");
    const char16_t* const three[] = {u"Ｄ＃（Ｅ♭）", u"Ｅ",          u"Ｆ",          u"Ｆ＃（Ｇ♭）",
                                     u"Ｇ",          u"Ｇ＃（Ａ♭）", u"Ａ",          u"Ａ＃（Ｂ♭）",
                                     u"Ｂ",          u"Ｃ",          u"Ｃ＃（Ｄ♭）", u"Ｄ"};
    const char16_t* const minusTwo[] = {u"Ａ＃（Ｂ♭）", u"Ｂ", u"Ｃ", u"Ｃ＃（Ｄ♭）", u"Ｄ",
                                        u"Ｄ＃（Ｅ♭）", u"Ｅ", u"Ｆ", u"Ｆ＃（Ｇ♭）", u"Ｇ",
                                        u"Ｇ＃（Ａ♭）", u"Ａ"};
    for (int i = 0; i < 12; ++i) {
        CAPTURE(i);
        CHECK(f.conv(i).Caption() == std::u16string(three[i]));
        CHECK(f.conv(20 + i).Caption() == std::u16string(minusTwo[i]));
    }
    // 11 shows the same column as -1.
    f.ud(3).setCaption(u"11");
    const auto eleven = f.column(2);
    f.ud(3).setCaption(u"-1");
    CHECK(f.column(2) == eleven);
    CHECK(f.conv(40).Caption() == std::u16string(u"Ｂ"));
    CHECK(f.conv(51).Caption() == std::u16string(u"Ａ＃（Ｂ♭）"));
}

TEST_CASE("a fold fills its column twice and copies the marks twice")
{
    for (int column = 1; column <= 3; ++column)
        for (std::u16string_view written : {u"12", u"-12"}) {
            CAPTURE(column);
            CAPTURE(written);
            Fixture f;
            f.clickOrg(4);
            WriteCounter counter;
            f.main.setWriteObserver(&counter);
            f.ud(column).setCaption(written);
            f.main.setWriteObserver(nullptr);
            CHECK(counter.count("ud_" + std::to_string(column), Property::Caption) ==
                  2); // "12", "0"
            CHECK(counter.column(column - 1, Property::Caption) == 24);
            for (int c = 0; c < 3; ++c) {
                if (c != column - 1)
                    CHECK(counter.column(c, Property::Caption) == 0);
                CHECK(counter.column(c, Property::ForeColor) == 24);
                CHECK(counter.column(c, Property::Alignment) == 24);
            }
            CHECK(f.conv(kBases[column - 1] + 4).ForeColor() == kRed); // the mark survives
        }
}

TEST_CASE("one shift rewrites its column and every mark")
{
    Fixture f;
    WriteCounter counter;
    f.main.setWriteObserver(&counter);
    f.click("up_3");
    f.main.setWriteObserver(nullptr);
    CHECK(counter.column(0, Property::Caption) == 0);
    CHECK(counter.column(1, Property::Caption) == 0);
    CHECK(counter.column(2, Property::Caption) == 12);
    CHECK(counter.count("ud_1", Property::Caption) == 0);
    CHECK(counter.count("ud_2", Property::Caption) == 0);
    for (int c = 0; c < 3; ++c) {
        CHECK(counter.column(c, Property::ForeColor) == 12);
        CHECK(counter.column(c, Property::Alignment) == 12);
    }
}

TEST_CASE("the chain of shift buttons")
{
    const struct
    {
        const char* what;
        std::u16string_view start[3];
        std::vector<std::string> clicks;
        const char* end;
    } cases[] = {
        {"up 1", {u"0", u"0", u"0"}, {"up_1"}, "1 1 1"},
        {"up 1, up 2", {u"0", u"0", u"0"}, {"up_1", "up_2"}, "1 2 2"},
        {"up 1, up 2, down 3", {u"0", u"0", u"0"}, {"up_1", "up_2", "dn_3"}, "1 2 1"},
        {"a fold does not carry", {u"11", u"5", u"-2"}, {"up_1"}, "0 6 -1"},
        {"all fold down", {u"-11", u"-11", u"-11"}, {"dn_1"}, "0 0 0"},
        {"up then down from 11", {u"0", u"0", u"11"}, {"up_3", "dn_3"}, "0 0 -1"},
        {"down from 0", {u"0", u"0", u"0"}, {"dn_3"}, "0 0 -1"},
        {"up from -1", {u"0", u"0", u"-1"}, {"up_3"}, "0 0 0"},
        {"column 2 leaves column 1", {u"4", u"0", u"0"}, {"dn_2", "dn_2"}, "4 -2 -2"},
        {"column 2 folds", {u"0", u"11", u"10"}, {"up_2"}, "0 0 11"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        Fixture f;
        for (int k = 1; k <= 3; ++k)
            f.ud(k).setCaption(c.start[k - 1]);
        perform(f, c.clicks);
        CHECK(f.counts() == c.end);
        CHECK(f.invariantsHold());
    }
}

TEST_CASE("twelve clicks come round")
{
    for (const auto& [button, step] : {std::pair{"up_3", 1}, std::pair{"dn_3", -1}}) {
        CAPTURE(button);
        Fixture f;
        for (int n = 1; n <= 12; ++n) {
            f.click(button);
            CHECK(f.count(3) == forms::toText(n == 12 ? 0 : n * step));
            CHECK(f.column(2) == rotated(n * step));
        }
    }
}

TEST_CASE("marks")
{
    Fixture f;
    f.clickOrg(4);
    CHECK(f.org(4).ForeColor() == kRed);
    CHECK(f.org(4).Alignment() == std::int16_t(AlignRight));
    for (int base : kBases) {
        CHECK(f.conv(base + 4).ForeColor() == kRed);
        CHECK(f.conv(base + 4).Alignment() == std::int16_t(AlignLeft));
    }
    model::KeyTableModel m;
    m.marked[4] = true;
    CHECK(f.differences(m) == "");

    f.clickOrg(9);
    m.marked[9] = true;
    CHECK(f.differences(m) == "");
    f.clickOrg(4);
    m.marked[4] = false;
    CHECK(f.differences(m) == "");
    CHECK(f.org(4).ForeColor() == Color(0));
    CHECK(f.org(4).Alignment() == std::int16_t(AlignLeft));
}

TEST_CASE("a mark stays on its row while the columns shift")
{
    Fixture f;
    f.clickOrg(4);
    f.click("up_1");
    for (int base : kBases) {
        CHECK(f.conv(base + 4).Caption() == std::u16string(u"Ｆ"));
        CHECK(f.conv(base + 4).ForeColor() == kRed);
        CHECK(f.conv(base + 4).Alignment() == std::int16_t(AlignLeft));
    }
    CHECK(f.org(4).Caption() == std::u16string(u"Ｅ"));
    CHECK(f.org(4).ForeColor() == kRed);
}

TEST_CASE("a marked row with one column shifted")
{
    Fixture f;
    f.clickOrg(4);
    f.ud(1).setCaption(u"3");
    CHECK(f.conv(4).Caption() == std::u16string(u"Ｇ"));
    CHECK(f.conv(24).Caption() == std::u16string(u"Ｅ"));
    CHECK(f.conv(44).Caption() == std::u16string(u"Ｅ"));
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 12; ++i) {
            CAPTURE(kBases[c] + i);
            Label& cell = f.conv(kBases[c] + i);
            CHECK(cell.ForeColor() == (i == 4 ? kRed : kBlack));
            CHECK(cell.Alignment() == std::int16_t(i == 4 ? AlignLeft : AlignRight));
        }
}

TEST_CASE("clicks elsewhere change nothing")
{
    Fixture f;
    WriteCounter counter;
    f.main.setWriteObserver(&counter);
    f.conv(25).raiseClick();
    f.ud(2).raiseClick();
    f.main.labelArray("Label101")(1).raiseClick();
    f.main.label("Label100").raiseClick();
    f.main.setWriteObserver(nullptr);
    CHECK(counter.writes.empty());
}

TEST_CASE("RESET brings back the start state")
{
    const struct
    {
        const char* what;
        std::vector<std::string> before;
    } cases[] = {
        {"start state", {}},
        {"shifted and marked",
         {"up_1", "up_1", "up_1", "up_2", "up_2", "dn_3", "dn_3", "dn_3", "dn_3", "dn_3", "org 2",
          "org 7"}},
        {"folded", {"dn_1", "org 0", "org 11"}},
        {"reset twice", {"up_2", "org 5", "reset"}},
    };
    for (const auto& c : cases) {
        CAPTURE(c.what);
        Fixture f;
        f.ud(1).setCaption(u"-11");
        perform(f, c.before);
        f.click("reset");
        CHECK(f.differences({}) == "");
        // The first click after a reset marks exactly as at the start.
        f.clickOrg(6);
        CHECK(f.org(6).ForeColor() == Color(0xFF));
        CHECK(f.org(6).Alignment() == std::int16_t(AlignRight));
    }
}

TEST_CASE("RESET leaves the help window alone")
{
    Fixture f;
    f.main.Show();
    f.click("help_pb");
    REQUIRE(f.main.helpWindow() != nullptr);
    CHECK(f.main.helpWindow()->visible());
    f.click("reset");
    CHECK(f.main.helpWindow()->visible());
    CHECK(f.main.helpWindow()->loaded());
}

TEST_CASE("a random run against the model")
{
    const std::uint32_t seed = environmentNumber("MARELO_SEED", 20261208u);
    const int actions = int(environmentNumber("MARELO_RANDOM_ACTIONS", 10000));
    const auto steps = randomSteps(seed, actions);
    const auto start = std::chrono::steady_clock::now();
    std::string why;
    const int failed = keytest::firstFailure<Fixture>(steps, &why);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    MESSAGE(actions << " random actions (seed " << seed << ") in " << elapsed.count() << " ms");
    if (failed >= 0) {
        std::ostringstream prefix;
        for (int k = 0; k <= failed; ++k) {
            prefix << model::name(steps[std::size_t(k)].action);
            if (steps[std::size_t(k)].action == Action::Org)
                prefix << "(" << steps[std::size_t(k)].row << ")";
            prefix << ' ';
        }
        FAIL_CHECK("seed " << seed << ": after action " << failed + 1 << ": " << why
                           << "\nshortest failing prefix: " << prefix.str());
    }
}

TEST_CASE("the model notices a wrong window")
{
    // The comparison with the model is only worth something if it can fail.
    Fixture f;
    model::KeyTableModel m;
    m.apply({Action::Up2});
    CHECK_FALSE(f.differences(m).empty());
    f.conv(3).setForeColor(kRed);
    CHECK_FALSE(f.invariantsHold());
}

// What a screen reader user hears after each action: the words told from the
// focused button, whichever button has the focus.
TEST_CASE("every action is told through the focused control")
{
    struct Case
    {
        std::vector<std::string> actions;
        std::u16string_view told;
    };
    const Case cases[] = {
        {{"up_1"}, u"All three shift 1"},
        {{"org 4", "up_1"}, u"All three shift 1. E: F"},
        {{"org 4", "org 7", "dn_2"},
         u"Converted_2 to 3 shift -1. E: D sharp or E flat. G: F sharp or G flat"},
        {{"org 4", "up_3", "up_2"},
         u"Converted_2 shift 1; Converted_3 shift 2. E: F in Converted_2, F sharp or G flat "
         u"in Converted_3"},
        {{"up_3", "up_2", "up_1"},
         u"Converted_1 shift 1; Converted_2 shift 2; Converted_3 shift 3"},
        {{"up_2", "dn_3", "org 4", "dn_1"},
         u"Converted_1 and 3 shift -1; Converted_2 shift 0. E: D sharp or E flat in Converted_1 "
         u"and 3, E in Converted_2"},
        {{"org 11", "dn_3"}, u"Converted_3 shift -1. B: A sharp or B flat"},
        {{"org 4"}, u"E, marked: E in all three"},
        {{"org 4", "org 4"}, u"E, unmarked"},
        {{"up_2", "up_2", "org 4"},
         u"E, marked: E in Converted_1, F sharp or G flat in Converted_2 and Converted_3"},
        {{"up_2", "dn_3", "org 4"},
         u"E, marked: E in Converted_1 and Converted_3, F in Converted_2"},
        {{"up_3", "up_2", "up_1", "org 0"},
         u"C, marked: C sharp or D flat in Converted_1, D in Converted_2, D sharp or E flat in "
         u"Converted_3"},
        {{"org 1", "up_2", "reset"}, u"All three shift 0. Nothing marked"},
    };
    for (const char* focus : {"dn_1", "reset", "help_pb"})
        for (const Case& c : cases) {
            CAPTURE(focus);
            CAPTURE(c.actions.back());
            Fixture f;
            f.main.surface()->focusChanged(&f.main.button(focus));
            perform(f, c.actions);
            CHECK(f.main.surface()->told() == c.told);
            CHECK(f.main.surface()->toldBy() == &f.main.button(focus));
            // The other buttons say what they do, as before.
            const char* other = std::string_view(focus) == "dn_1" ? "reset" : "dn_1";
            CHECK(f.main.button(other).accessibleDescription() != c.told);
        }
}

TEST_CASE("a fold says the count it falls back to")
{
    Fixture f;
    f.main.surface()->focusChanged(&f.main.button("up_3"));
    for (int i = 0; i < 12; ++i)
        f.click("up_3");
    CHECK(f.main.surface()->told() == u"Converted_3 shift 0");
}

TEST_CASE("what each button does, chain included; no control names its layout name")
{
    Fixture f;
    const struct
    {
        const char* button;
        std::u16string_view does;
    } cases[] = {
        {"up_1", u"Raises Converted_1, Converted_2 and Converted_3 by a semitone"},
        {"dn_1", u"Lowers Converted_1, Converted_2 and Converted_3 by a semitone"},
        {"up_2", u"Raises Converted_2 and Converted_3 by a semitone"},
        {"dn_2", u"Lowers Converted_2 and Converted_3 by a semitone"},
        {"up_3", u"Raises Converted_3 by a semitone"},
        {"dn_3", u"Lowers Converted_3 by a semitone"},
        {"reset", u"Sets every count to 0 and clears every mark"},
        {"help_pb", u"Opens a short usage text"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.button);
        CHECK(f.main.button(c.button).accessibleDescription() == c.does);
    }
    for (const auto& control : f.main.controls()) {
        const std::string layoutName = control->displayName();
        const std::u16string name(layoutName.begin(), layoutName.end());
        CAPTURE(layoutName);
        CHECK(control->accessibleDescription().find(name) == std::u16string::npos);
        CHECK(control->accessibleName().find(name) == std::u16string::npos);
    }
}

// The notes' keys take the path of a click on the note, from wherever the focus is.
TEST_CASE("the notes' keys mark and unmark their notes")
{
    struct Case
    {
        const char* keys; // letters; a capital with Shift, '^' before a repeat
        std::vector<int> marked;
        std::u16string_view told; // from the focused button; empty: nothing told
    };
    const Case cases[] = {
        {"c", {0}, u"C, marked: C in all three"},
        {"C", {1}, u"C sharp or D flat, marked: C sharp or D flat in all three"},
        {"d", {2}, u"D, marked: D in all three"},
        {"D", {3}, u"D sharp or E flat, marked: D sharp or E flat in all three"},
        {"e", {4}, u"E, marked: E in all three"},
        {"f", {5}, u"F, marked: F in all three"},
        {"F", {6}, u"F sharp or G flat, marked: F sharp or G flat in all three"},
        {"g", {7}, u"G, marked: G in all three"},
        {"G", {8}, u"G sharp or A flat, marked: G sharp or A flat in all three"},
        {"a", {9}, u"A, marked: A in all three"},
        {"A", {10}, u"A sharp or B flat, marked: A sharp or B flat in all three"},
        {"b", {11}, u"B, marked: B in all three"},
        {"ee", {}, u"E, unmarked"},
        {"e^e^e", {4}, u"E, marked: E in all three"},
        {"egC", {1, 4, 7}, u"C sharp or D flat, marked: C sharp or D flat in all three"},
        {"EBhHz", {}, {}},
    };
    for (const char* focus : {"dn_1", "up_3", ""})
        for (const Case& c : cases) {
            CAPTURE(focus);
            CAPTURE(c.keys);
            Fixture f;
            const CommandButton* focused = *focus != '\0' ? &f.main.button(focus) : nullptr;
            f.main.surface()->focusChanged(focused);
            bool repeat = false;
            for (const char* k = c.keys; *k != '\0'; ++k) {
                if (*k == '^') {
                    repeat = true;
                    continue;
                }
                const bool shift = *k >= 'A' && *k <= 'Z';
                f.main.surface()->key({letterKey(*k), shift, false, false, repeat}, focused);
                repeat = false;
            }
            model::KeyTableModel m;
            for (int row : c.marked)
                m.marked[std::size_t(row)] = true;
            CHECK(f.differences(m) == "");
            if (focused != nullptr)
                CHECK(f.main.surface()->told() == c.told);
        }
}
