#include "forms/faces.h"

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

std::u16string pickFamily(Desktop& desktop, std::u16string_view face)
{
    const FaceRule* rule = faceRule(face);
    if (rule == nullptr)
        return std::u16string(face);
    if (suits(desktop, *rule, face))
        return std::u16string(face);
    for (std::u16string_view standIn : rule->standIns)
        if (suits(desktop, *rule, standIn))
            return std::u16string(standIn);
    for (const std::u16string& family : desktop.japaneseFamilies())
        if (suits(desktop, *rule, family))
            return family;
    return std::u16string(face);
}

const std::u16string& resolveFamily(std::u16string_view face)
{
    static std::map<std::u16string, std::u16string, std::less<>> cache;
    auto it = cache.find(face);
    if (it == cache.end())
        it = cache.emplace(std::u16string(face), pickFamily(desktop(), face)).first;
    return it->second;
}

FontFace resolveFont(const FontSpec& spec, const Scale& scale)
{
    if (spec.isDefault())
        return desktop().defaultFont(scale.dpi);
    return {resolveFamily(spec.face), scale.fontPixels(spec.points), spec.weight >= 700 ? 700 : 400,
            spec.charset};
}

} // namespace forms
