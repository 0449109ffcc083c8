// The main window's layout table: every control's kind, name, index, box,
// style and tab index.
#include "testing.h"

#include "ui/layouts.h"

#include <array>
#include <map>
#include <set>
#include <string>

using namespace forms;

namespace {

const ControlRow* row(std::string_view name, int index = kNoIndex)
{
    for (const ControlRow& r : ui::kMainLayout.controls)
        if (r.name == name && r.index == index)
            return &r;
    return nullptr;
}

// Column left edges and widths of the key table, in twips.
struct ColumnRule
{
    const char* array;
    int base;
    int left;
    int width;
};
constexpr ColumnRule kColumns[] = {{"org", 0, 120, 1095},
                                   {"conv", 0, 1320, 1455},
                                   {"conv", 20, 2880, 1455},
                                   {"conv", 40, 4440, 1455}};

std::u16string ascii(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

} // namespace

TEST_CASE("the window: name, caption, client area, white, centred")
{
    const FormLayout& layout = ui::kMainLayout;
    CHECK(layout.name == "main");
    CHECK(layout.caption == u"Marelo");
    CHECK(layout.clientWidth == 6015);
    CHECK(layout.clientHeight == 4305);
    CHECK(layout.backColor == Color(0x00FFFFFF));
    CHECK(layout.startUpPosition == StartUpPosition::CenterScreen);
}

TEST_CASE("75 controls in declaration order, arrays counted once")
{
    const std::vector<std::string_view> expected = {
        "help_pb", "up_1",   "dn_1",     "Label100", "org",   "Line4", "Line3",  "Line2",  "Line1",
        "ud_1",    "conv",   "Label101", "up_2",     "dn_2",  "dn_3",  "Line6",  "Line7",  "up_3",
        "Line9",   "Line10", "ud_2",     "ud_3",     "Line5", "Line8", "Line11", "Line12", "reset"};
    std::vector<std::string_view> names;
    for (const ControlRow& r : ui::kMainLayout.controls)
        if (names.empty() || names.back() != r.name)
            names.push_back(r.name);
    CHECK(names == expected);
    CHECK(ui::kMainLayout.controls.size() == 75);
}

TEST_CASE("the arrays: org 0..11, conv 0..11, 20..31 and 40..51, Label101 0..2")
{
    std::map<std::string_view, std::set<int>> members;
    std::set<std::pair<std::string_view, int>> seen;
    for (const ControlRow& r : ui::kMainLayout.controls) {
        CAPTURE(r.name);
        CHECK(seen.insert({r.name, r.index}).second);
        if (r.index != kNoIndex)
            members[r.name].insert(r.index);
    }
    std::set<int> conv;
    for (int base : {0, 20, 40})
        for (int i = 0; i < 12; ++i)
            conv.insert(base + i);
    CHECK(members["conv"] == conv);
    CHECK(members["conv"].size() == 36);
    CHECK(members["org"] == std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    CHECK(members["Label101"] == std::set<int>{0, 1, 2});
    CHECK(members.size() == 3);
}

TEST_CASE("the 48 note cells: same Top across a row, bold Gothic, framed, system colours")
{
    for (int column = 0; column < 4; ++column)
        for (int r = 0; r < 12; ++r) {
            CAPTURE(column);
            CAPTURE(r);
            const ColumnRule& rule = kColumns[column];
            const ControlRow* cell = row(rule.array, rule.base + r);
            REQUIRE(cell != nullptr);
            CHECK(cell->kind == ControlKind::Label);
            CHECK(cell->rect == Rect{rule.left, 360 + 240 * r, rule.width, 255});
            CHECK(cell->caption ==
                  ascii(std::string(rule.array) + "(" + std::to_string(rule.base + r) + ")"));
            const ControlStyle& s = *cell->style;
            CHECK(s.font == LayoutFont{u"ＭＳ Ｐゴシック", 9.75, 700, 128});
            CHECK(s.foreColor == Color(0x80000008));
            CHECK(s.backColor == Color(0x80000005));
            CHECK(s.border == BorderStyle::FixedSingle);
            CHECK(s.alignment == AlignLeft);
            CHECK_FALSE(s.autoSize);
        }
}

TEST_CASE("the headings fit themselves to their text")
{
    struct Heading
    {
        const char* name;
        int index;
        std::u16string_view caption;
        int left;
        int width;
    };
    const Heading headings[] = {{"Label100", kNoIndex, u"Original", 120, 630},
                                {"Label101", 0, u"Converted_1", 1320, 1050},
                                {"Label101", 1, u"Converted_2", 2880, 1050},
                                {"Label101", 2, u"Converted_3", 4440, 1050}};
    for (const Heading& h : headings) {
        CAPTURE(h.caption);
        const ControlRow* r = row(h.name, h.index);
        REQUIRE(r != nullptr);
        CHECK(r->rect == Rect{h.left, 120, h.width, 195});
        CHECK(r->caption == h.caption);
        CHECK(r->style->font == LayoutFont{u"ＭＳ Ｐゴシック", 9.75, 400, 128});
        CHECK(r->style->backColor == Color(0xFFFFFF));
        CHECK(r->style->border == BorderStyle::None);
        CHECK(r->style->autoSize);
    }
}

TEST_CASE("each shift area: a box of four lines, its count and its two buttons")
{
    struct Area
    {
        int k;
        std::array<const char*, 4> box; // top, right, bottom, left
        int udLeft;
        int udTop;
    };
    const Area areas[] = {{1, {"Line4", "Line3", "Line2", "Line1"}, 1905, 3465},
                          {2, {"Line6", "Line7", "Line9", "Line10"}, 3480, 3480},
                          {3, {"Line12", "Line11", "Line8", "Line5"}, 5040, 3480}};
    for (const Area& a : areas) {
        CAPTURE(a.k);
        const int x = kColumns[a.k].left;
        const auto ends = [](const char* name) {
            const ControlRow* r = row(name);
            REQUIRE(r != nullptr);
            CHECK(r->kind == ControlKind::Line);
            CHECK(r->tabIndex == -1);
            return r->ends;
        };
        CHECK(ends(a.box[0]) == LineEnds{x, 3360, x + 1440, 3360});
        CHECK(ends(a.box[1]) == LineEnds{x + 1440, 3360, x + 1440, 4200});
        CHECK(ends(a.box[2]) == LineEnds{x, 4200, x + 1440, 4200});
        CHECK(ends(a.box[3]) == LineEnds{x, 3360, x, 4200});
        // The box's right side is the last pixel column of the cells above it.
        CHECK(pixels(x + 1440) == pixels(x) + pixels(1455) - 1);

        const std::string n = std::to_string(a.k);
        const ControlRow* ud = row("ud_" + n);
        CHECK(ud->rect == Rect{a.udLeft, a.udTop, 255, 255});
        CHECK(ud->style->font == LayoutFont{u"ＭＳ Ｐゴシック", 11.25, 700, 128});
        CHECK(ud->style->alignment == AlignCenter);
        CHECK(ud->style->autoSize);
        CHECK(ud->caption == u"0");
        CHECK(row("dn_" + n)->rect == Rect{x + 120, 3720, 615, 375});
        CHECK(row("up_" + n)->rect == Rect{x + 720, 3720, 615, 375});
        CHECK(row("dn_" + n)->caption == u"Down");
        CHECK(row("up_" + n)->caption == u"Up");
        CHECK(row("up_" + n)->style->font.isDefault());
        CHECK(row("dn_" + n)->style->font.isDefault());
    }
}

TEST_CASE("RESET and the help button under the Original column")
{
    CHECK(row("reset")->rect == Rect{120, 3360, 1095, 375});
    CHECK(row("reset")->caption == u"RESET");
    CHECK(row("reset")->style->font.isDefault());
    CHECK(row("help_pb")->rect == Rect{120, 3840, 375, 375});
    CHECK(row("help_pb")->caption == u"\uFF1F");
    CHECK(row("help_pb")->style->font == LayoutFont{u"ＭＳ 明朝", 9, 400, 128});
}

TEST_CASE("tab indexes 0..62, each once, in the layout's order")
{
    std::map<int, std::string> byTab;
    for (const ControlRow& r : ui::kMainLayout.controls) {
        if (r.kind == ControlKind::Line) {
            CHECK(r.tabIndex == -1);
            continue;
        }
        std::string name(r.name);
        if (r.index != kNoIndex)
            name += "(" + std::to_string(r.index) + ")";
        CAPTURE(name);
        CHECK(byTab.emplace(r.tabIndex, name).second);
    }
    CHECK(byTab.size() == 63);
    CHECK(byTab.begin()->first == 0);
    CHECK(byTab.rbegin()->first == 62);
    std::vector<std::string> expected;
    for (int r = 2; r <= 11; ++r)
        expected.push_back("org(" + std::to_string(r) + ")");
    expected.push_back("Label101(0)");
    for (int i = 0; i <= 11; ++i)
        expected.push_back("conv(" + std::to_string(i) + ")");
    for (auto n :
         {"dn_1", "up_1", "ud_1", "org(1)", "org(0)", "Label100", "help_pb", "Label101(1)"})
        expected.push_back(n);
    for (int i = 31; i >= 20; --i)
        expected.push_back("conv(" + std::to_string(i) + ")");
    for (auto n : {"up_2", "dn_2", "ud_2"})
        expected.push_back(n);
    for (int i = 40; i <= 51; ++i)
        expected.push_back("conv(" + std::to_string(i) + ")");
    for (auto n : {"Label101(2)", "dn_3", "up_3", "ud_3", "reset"})
        expected.push_back(n);
    std::vector<std::string> got;
    for (auto& [tab, name] : byTab)
        got.push_back(name);
    CHECK(got == expected);
}
