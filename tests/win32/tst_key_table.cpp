// The key table's behaviour through the main window's controls on Windows: the
// columns, the chained shift buttons, the marks, the reset, and a long random
// run checked against an independent model.
#include "check.h"
#include "win32_test.h"

#include "conversion/note_names.h"
#include "forms/number_text.h"
#include "key_table_fixture.h"
#include "ui/main_window.h"

#include <cstdlib>
#include <map>
#include <random>
#include <sstream>

using namespace forms;
using conversion::kNoteNames;
using keytest::kBases;
using keytest::randomSteps;
using keytest::rotated;
using keytest::WriteCounter;
using model::Action;

namespace {

// The platform comes up before the window and goes after it.
struct Fixture : wintest::Platform, keytest::KeyTableFixture
{
};

unsigned environmentNumber(const char* name, unsigned fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? unsigned(std::strtoul(text, nullptr, 10)) : fallback;
}

} // namespace

TEST(startState)
{
    Fixture f;
    CHECK_EQ(f.counts(), std::string("0 0 0"));
    CHECK_EQ(f.differences({}), std::string());
    CHECK_EQ(f.org(0).Caption(), std::u16string(u"Ｃ"));
    CHECK_EQ(f.conv(51).Caption(), std::u16string(u"Ｂ"));
    CHECK_EQ(f.conv(21).Caption(), std::u16string(u"Ｃ＃（Ｄ♭）"));
    // Explicit black, not the layout's system colour, so the first toggle gives pure red.
    for (int i = 0; i < 12; ++i)
        CHECK_EQ(f.org(i).ForeColor(), Color(0));
}

TEST(noteNameCodePoints)
{
    const auto& expected = keytest::kExpectedNoteCodePoints;
    for (std::size_t i = 0; i < 12; ++i)
        CHECK(std::vector<char16_t>(kNoteNames[i].begin(), kNoteNames[i].end()) == expected[i]);
}

TEST(countWrittenToAShiftLabel)
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
            Fixture f;
            f.ud(column).setCaption(c.written);
            CHECK_EQ(f.count(column), c.shown);
            CHECK(f.column(column - 1) == rotated(c.rotation));
            for (int other = 1; other <= 3; ++other)
                if (other != column)
                    CHECK(f.column(other - 1) == rotated(0));
        }
}

TEST(workedExample)
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
        CHECK_EQ(f.conv(i).Caption(), std::u16string(three[i]));
        CHECK_EQ(f.conv(20 + i).Caption(), std::u16string(minusTwo[i]));
    }
    // 11 shows the same column as -1.
    f.ud(3).setCaption(u"11");
    const auto eleven = f.column(2);
    f.ud(3).setCaption(u"-1");
    CHECK(f.column(2) == eleven);
    CHECK_EQ(f.conv(40).Caption(), std::u16string(u"Ｂ"));
    CHECK_EQ(f.conv(51).Caption(), std::u16string(u"Ａ＃（Ｂ♭）"));
}

TEST(foldFillsTwiceAndCopiesMarksTwice)
{
    for (int column = 1; column <= 3; ++column)
        for (std::u16string_view written : {u"12", u"-12"}) {
            Fixture f;
            f.clickOrg(4);
            WriteCounter counter;
            f.main.setWriteObserver(&counter);
            f.ud(column).setCaption(written);
            f.main.setWriteObserver(nullptr);
            CHECK_EQ(counter.count("ud_" + std::to_string(column), Property::Caption), 2);
            CHECK_EQ(counter.column(column - 1, Property::Caption), 24);
            for (int c = 0; c < 3; ++c) {
                if (c != column - 1)
                    CHECK_EQ(counter.column(c, Property::Caption), 0);
                CHECK_EQ(counter.column(c, Property::ForeColor), 24);
                CHECK_EQ(counter.column(c, Property::Alignment), 24);
            }
            CHECK_EQ(f.conv(kBases[column - 1] + 4).ForeColor(), kRed); // the mark survives
        }
}

TEST(oneShiftRewritesItsColumnAndEveryMark)
{
    Fixture f;
    WriteCounter counter;
    f.main.setWriteObserver(&counter);
    f.click("up_3");
    f.main.setWriteObserver(nullptr);
    CHECK_EQ(counter.column(0, Property::Caption), 0);
    CHECK_EQ(counter.column(1, Property::Caption), 0);
    CHECK_EQ(counter.column(2, Property::Caption), 12);
    CHECK_EQ(counter.count("ud_1", Property::Caption), 0);
    CHECK_EQ(counter.count("ud_2", Property::Caption), 0);
    for (int c = 0; c < 3; ++c) {
        CHECK_EQ(counter.column(c, Property::ForeColor), 12);
        CHECK_EQ(counter.column(c, Property::Alignment), 12);
    }
}

TEST(chainOfShiftButtons)
{
    const struct
    {
        std::u16string_view start[3];
        std::vector<const char*> clicks;
        const char* end;
    } cases[] = {
        {{u"0", u"0", u"0"}, {"up_1"}, "1 1 1"},
        {{u"0", u"0", u"0"}, {"up_1", "up_2"}, "1 2 2"},
        {{u"0", u"0", u"0"}, {"up_1", "up_2", "dn_3"}, "1 2 1"},
        {{u"11", u"5", u"-2"}, {"up_1"}, "0 6 -1"},
        {{u"-11", u"-11", u"-11"}, {"dn_1"}, "0 0 0"},
        {{u"0", u"0", u"11"}, {"up_3", "dn_3"}, "0 0 -1"},
        {{u"0", u"0", u"0"}, {"dn_3"}, "0 0 -1"},
        {{u"0", u"0", u"-1"}, {"up_3"}, "0 0 0"},
        {{u"4", u"0", u"0"}, {"dn_2", "dn_2"}, "4 -2 -2"},
        {{u"0", u"11", u"10"}, {"up_2"}, "0 0 11"},
    };
    for (const auto& c : cases) {
        Fixture f;
        for (int k = 1; k <= 3; ++k)
            f.ud(k).setCaption(c.start[k - 1]);
        for (const char* button : c.clicks)
            f.click(button);
        CHECK_EQ(f.counts(), std::string(c.end));
        CHECK(f.invariantsHold());
    }
}

TEST(twelveClicksComeRound)
{
    for (const auto& [button, step] : {std::pair{"up_3", 1}, std::pair{"dn_3", -1}}) {
        Fixture f;
        for (int n = 1; n <= 12; ++n) {
            f.click(button);
            CHECK_EQ(f.count(3), forms::toText(n == 12 ? 0 : n * step));
            CHECK(f.column(2) == rotated(n * step));
        }
    }
}

TEST(marksFollowTheirRows)
{
    Fixture f;
    f.clickOrg(4);
    CHECK_EQ(f.org(4).ForeColor(), kRed);
    CHECK_EQ(f.org(4).Alignment(), std::int16_t(AlignRight));
    for (int base : kBases) {
        CHECK_EQ(f.conv(base + 4).ForeColor(), kRed);
        CHECK_EQ(f.conv(base + 4).Alignment(), std::int16_t(AlignLeft));
    }
    model::KeyTableModel m;
    m.marked[4] = true;
    CHECK_EQ(f.differences(m), std::string());
    f.clickOrg(9);
    m.marked[9] = true;
    CHECK_EQ(f.differences(m), std::string());
    f.clickOrg(4);
    m.marked[4] = false;
    CHECK_EQ(f.differences(m), std::string());
    CHECK_EQ(f.org(4).ForeColor(), Color(0));

    // The mark stays on its row while the columns shift.
    f.clickOrg(4);
    f.click("up_1");
    for (int base : kBases) {
        CHECK_EQ(f.conv(base + 4).Caption(), std::u16string(u"Ｆ"));
        CHECK_EQ(f.conv(base + 4).ForeColor(), kRed);
    }
    CHECK_EQ(f.org(4).Caption(), std::u16string(u"Ｅ"));
}

TEST(clicksElsewhereChangeNothing)
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

TEST(resetBringsBackTheStartState)
{
    const std::vector<std::vector<const char*>> befores = {
        {},
        {"up_1", "up_1", "up_1", "up_2", "up_2", "dn_3", "dn_3", "dn_3", "dn_3", "dn_3", "org 2",
         "org 7"},
        {"dn_1", "org 0", "org 11"},
        {"up_2", "org 5", "reset"},
    };
    for (const auto& before : befores) {
        Fixture f;
        f.ud(1).setCaption(u"-11");
        for (std::string action : before) {
            if (action.rfind("org ", 0) == 0)
                f.clickOrg(std::stoi(action.substr(4)));
            else
                f.click(action.c_str());
        }
        f.click("reset");
        CHECK_EQ(f.differences({}), std::string());
        f.clickOrg(6);
        CHECK_EQ(f.org(6).ForeColor(), Color(0xFF));
        CHECK_EQ(f.org(6).Alignment(), std::int16_t(AlignRight));
    }
}

TEST(randomizedAgainstModel)
{
    const std::uint32_t seed = environmentNumber("MARELO_SEED", 20261208u);
    const int actions = int(environmentNumber("MARELO_RANDOM_ACTIONS", 3000));
    const auto steps = randomSteps(seed, actions);
    std::string why;
    const int failed = keytest::firstFailure<Fixture>(steps, &why);
    if (!CHECK_EQ(failed, -1)) {
        std::ostringstream prefix;
        for (int k = 0; k <= failed; ++k) {
            prefix << model::name(steps[std::size_t(k)].action);
            if (steps[std::size_t(k)].action == Action::Org)
                prefix << "(" << steps[std::size_t(k)].row << ")";
            prefix << ' ';
        }
        std::printf("    seed %u: after action %d: %s\n    failing prefix: %s\n", seed, failed + 1,
                    why.c_str(), prefix.str().c_str());
    }
}

TEST(modelNoticesAWrongWindow)
{
    // The comparison with the model is only worth something if it can fail.
    Fixture f;
    model::KeyTableModel m;
    m.apply({Action::Up2});
    CHECK(!f.differences(m).empty());
    f.conv(3).setForeColor(kRed);
    CHECK(!f.invariantsHold());
}

CHECK_MAIN()
