#include "forms/faces.h"

#include <algorithm>
#include <map>

namespace forms {

namespace {

// The longest note names: six fullwidth characters with sharp, brackets and flat.
constexpr std::u16string_view kWideNotes[] = {u"Ｃ＃（Ｄ♭）", u"Ｄ＃（Ｅ♭）", u"Ｆ＃（Ｇ♭）",
                                              u"Ｇ＃（Ａ♭）", u"Ａ＃（Ｂ♭）"};

// Windows' own stand-ins first, then those of the free desktops.
constexpr std::u16string_view kGothicStandIns[] = {u"MS PGothic",  u"Meiryo UI",  u"Yu Gothic UI",
                                                   u"Meiryo",      u"Yu Gothic",  u"IPAPGothic",
                                                   u"IPAexGothic", u"VL PGothic", u"TakaoPGothic"};
constexpr std::u16string_view kMinchoStandIns[] = {
    u"MS Mincho",   u"Yu Mincho",  u"IPAMincho",        u"IPAexMincho",
    u"TakaoMincho", u"IPAPMincho", u"Noto Serif CJK JP"};

constexpr FaceRule kRules[] = {
    // The note cells: bold 13 px, the widest name inside the 71 pixels within
    // the frame of an Original cell.
    {u"ＭＳ Ｐゴシック", true, u"ＡＢＣＤＥＦＧ＃（）♭0123456789-", kWideNotes, 13, 700, 71,
     kGothicStandIns},
    // The help text and the help button.
    {u"ＭＳ 明朝", false, u"？ボタン数字列明朝、", {}, 12, 400, 0, kMinchoStandIns},
};

} // namespace

const FaceRule* faceRule(std::u16string_view face)
{
    for (const FaceRule& rule : kRules)
        if (rule.face == face)
            return &rule;
    return nullptr;
}

bool suits(Desktop& desktop, const FaceRule& rule, std::u16string_view family)
{
    if (!desktop.isJapanese(family))
        return false;
    const FontFace face{std::u16string(family), rule.fitPixels, rule.fitWeight, kCharsetShiftJis};
    if (!desktop.hasGlyphs(face, rule.sample))
        return false;
    // Fullwidth letters of a proportional face have widths of their own.
    if (rule.proportional && !(desktop.width(face, u"Ｉ") < desktop.width(face, u"Ｗ")))
        return false;
    for (std::u16string_view text : rule.fit)
        if (desktop.width(face, text) > rule.fitWidth)
            return false;
    return true;
}

namespace {

// The widest of a rule's fit texts in a family at the rule's size.
int widestFit(Desktop& desktop, const FaceRule& rule, const std::u16string& family, int pixels)
{
    const FontFace face{family, pixels, rule.fitWeight, kCharsetShiftJis};
    int widest = 0;
    for (std::u16string_view text : rule.fit)
        widest = std::max(widest, desktop.width(face, text));
    return widest;
}

// No face suits: the Japanese family with every glyph whose fit texts need the
// least shrinking, proportional ones first, at the size where they fit.
FacePick bestShrunk(Desktop& desktop, const FaceRule& rule)
{
    FacePick best{std::u16string(rule.face), 0.0};
    bool bestProportional = false;
    for (const std::u16string& family : desktop.japaneseFamilies()) {
        const FontFace face{family, rule.fitPixels, rule.fitWeight, kCharsetShiftJis};
        if (!desktop.hasGlyphs(face, rule.sample))
            continue;
        const bool proportional = desktop.width(face, u"Ｉ") < desktop.width(face, u"Ｗ");
        int pixels = rule.fitPixels;
        while (pixels > kLegibleFloorPixels &&
               widestFit(desktop, rule, family, pixels) > rule.fitWidth)
            --pixels;
        const double shrink = static_cast<double>(pixels) / rule.fitPixels;
        if ((proportional && !bestProportional) ||
            (proportional == bestProportional && shrink > best.shrink)) {
            best = {family, shrink};
            bestProportional = proportional;
        }
    }
    if (best.shrink == 0.0)
        return {std::u16string(rule.face), 1.0};
    return best;
}

} // namespace

FacePick pickFamily(Desktop& desktop, std::u16string_view face)
{
    const FaceRule* rule = faceRule(face);
    if (rule == nullptr)
        return {std::u16string(face)};
    if (suits(desktop, *rule, face))
        return {std::u16string(face)};
    for (std::u16string_view standIn : rule->standIns)
        if (suits(desktop, *rule, standIn))
            return {std::u16string(standIn)};
    for (const std::u16string& family : desktop.japaneseFamilies())
        if (suits(desktop, *rule, family))
            return {family};
    if (rule->fit.empty())
        return {std::u16string(face)};
    return bestShrunk(desktop, *rule);
}

const FacePick& resolveFace(std::u16string_view face)
{
    static std::map<std::u16string, FacePick, std::less<>> cache;
    auto it = cache.find(face);
    if (it == cache.end())
        it = cache.emplace(std::u16string(face), pickFamily(desktop(), face)).first;
    return it->second;
}

FontFace resolveFont(const LayoutFont& wanted, const Scale& scale)
{
    if (wanted.isDefault())
        return desktop().defaultFont(scale.dpi);
    const FacePick& pick = resolveFace(wanted.face);
    const int pixels96 = static_cast<int>(forms::fontPixels(wanted.points) * pick.shrink);
    return {pick.family, std::max(1, scale.px(pixels96)), wanted.weight >= 700 ? 700 : 400,
            wanted.charset};
}

FontFace fitted(Desktop& desktop, FontFace face, std::u16string_view text, int width, int floor)
{
    while (face.pixels > floor && desktop.width(face, text) > width)
        --face.pixels;
    return face;
}

} // namespace forms
