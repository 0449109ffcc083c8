#include "forms/win32/win32_fonts.h"

#include <map>

namespace forms::win32 {

namespace {

// The longest note names: six fullwidth characters with sharp, brackets and flat.
constexpr std::u16string_view kWideNotes[] = {u"Ｃ＃（Ｄ♭）", u"Ｄ＃（Ｅ♭）", u"Ｆ＃（Ｇ♭）",
                                              u"Ｇ＃（Ａ♭）", u"Ａ＃（Ｂ♭）"};

const std::vector<FaceNeeds>& rules()
{
    static const std::vector<FaceNeeds> table = {
        {u"ＭＳ Ｐゴシック",
         true,
         u"ＡＢＣＤＥＦＧ＃（）♭0123456789-",
         {std::begin(kWideNotes), std::end(kWideNotes)},
         13, // 9.75 pt, bold: the note cells
         700,
         71, // inside the one-pixel frame of a 73-pixel Original cell
         {u"MS PGothic", u"Meiryo UI", u"Yu Gothic UI", u"Meiryo", u"Yu Gothic", u"IPAPGothic",
          u"IPAexGothic", u"VL PGothic", u"TakaoPGothic"}},
        {u"ＭＳ 明朝",
         false,
         u"？ボタン数字列明朝",
         {},
         0,
         400,
         0,
         {u"MS Mincho", u"Yu Mincho", u"IPAMincho", u"IPAexMincho", u"TakaoMincho", u"IPAPMincho",
          u"Noto Serif CJK JP"}},
    };
    return table;
}

// A LOGFONT for a face at a pixel height (negative: the character height).
LOGFONTW logFont(std::u16string_view face, int height, int weight, int charset)
{
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = static_cast<BYTE>(charset);
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::size_t n = std::min(face.size(), std::size_t(LF_FACESIZE - 1));
    for (std::size_t i = 0; i < n; ++i)
        font.lfFaceName[i] = static_cast<wchar_t>(face[i]);
    return font;
}

// A screen DC with a font selected, for measuring.
class Measure
{
public:
    Measure(std::u16string_view face, int height, int weight, int charset)
    {
        const LOGFONTW lf = logFont(face, height, weight, charset);
        font_ = CreateFontIndirectW(&lf);
        dc_ = CreateCompatibleDC(nullptr);
        if (dc_ != nullptr && font_ != nullptr)
            old_ = SelectObject(dc_, font_);
    }
    ~Measure()
    {
        if (dc_ != nullptr) {
            if (old_ != nullptr)
                SelectObject(dc_, old_);
            DeleteDC(dc_);
        }
        if (font_ != nullptr)
            DeleteObject(font_);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    bool ok() const { return dc_ != nullptr && font_ != nullptr && old_ != nullptr; }

    int width(std::u16string_view text) const
    {
        SIZE size{};
        const std::wstring wide = toWide(text);
        if (!GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size))
            return -1;
        return size.cx;
    }

    bool hasGlyphs(std::u16string_view text) const
    {
        const std::wstring wide = toWide(text);
        std::vector<WORD> glyphs(wide.size());
        if (GetGlyphIndicesW(dc_, wide.c_str(), static_cast<int>(wide.size()), glyphs.data(),
                             GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
            return false;
        for (WORD glyph : glyphs)
            if (glyph == 0xFFFF)
                return false;
        return true;
    }

private:
    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

int CALLBACK collectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data)
{
    auto& faces = *reinterpret_cast<std::vector<std::u16string>*>(data);
    std::u16string name = fromWide(font->lfFaceName);
    if (!name.empty() && name.front() != u'@' &&
        std::find(faces.begin(), faces.end(), name) == faces.end())
        faces.push_back(std::move(name));
    return 1;
}

std::vector<std::u16string> enumerate(std::u16string_view face, int charset)
{
    std::vector<std::u16string> faces;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        return faces;
    LOGFONTW query = logFont(face, 0, 0, charset);
    EnumFontFamiliesExW(dc, &query, collectFace, reinterpret_cast<LPARAM>(&faces), 0);
    DeleteDC(dc);
    return faces;
}

} // namespace

const FaceNeeds* faceNeeds(std::u16string_view face)
{
    for (const FaceNeeds& needs : rules())
        if (needs.face == face)
            return &needs;
    return nullptr;
}

std::u16string pickFace(const FaceNeeds& needs, const std::vector<std::u16string>& installed,
                        const std::function<bool(const std::u16string&)>& suitable)
{
    const std::u16string named(needs.face);
    if (suitable(named))
        return named;
    for (std::u16string_view standIn : needs.standIns)
        if (suitable(std::u16string(standIn)))
            return std::u16string(standIn);
    for (const std::u16string& face : installed)
        if (suitable(face))
            return face;
    return named;
}

std::vector<std::u16string> japaneseFaces()
{
    return enumerate(u"", SHIFTJIS_CHARSET);
}

bool isInstalled(std::u16string_view face, int charset)
{
    if (face.empty() || face.size() >= LF_FACESIZE)
        return false;
    for (const std::u16string& found : enumerate(face, charset))
        if (found == face)
            return true;
    return false;
}

bool suits(std::u16string_view face, const FaceNeeds& needs)
{
    if (!isInstalled(face, SHIFTJIS_CHARSET))
        return false;
    const int pixels = needs.fitPixels > 0 ? needs.fitPixels : 13;
    const Measure measure(face, -pixels, needs.fitWeight, SHIFTJIS_CHARSET);
    if (!measure.ok() || !measure.hasGlyphs(needs.sample))
        return false;
    // Fullwidth letters of a proportional face have widths of their own.
    if (needs.proportional && !(measure.width(u"Ｉ") < measure.width(u"Ｗ")))
        return false;
    for (std::u16string_view text : needs.fitTexts) {
        const int width = measure.width(text);
        if (width < 0 || width > needs.fitWidth)
            return false;
    }
    return true;
}

std::u16string resolveFace(std::u16string_view face)
{
    static std::map<std::u16string, std::u16string, std::less<>> cache;
    auto it = cache.find(face);
    if (it != cache.end())
        return it->second;
    std::u16string chosen(face);
    if (const FaceNeeds* needs = faceNeeds(face)) {
        chosen = pickFace(*needs, japaneseFaces(), [needs](const std::u16string& candidate) {
            return suits(candidate, *needs);
        });
    }
    return cache.emplace(std::u16string(face), chosen).first->second;
}

int textWidth(std::u16string_view face, int pixelHeight, int weight, int charset,
              std::u16string_view text)
{
    const Measure measure(face, pixelHeight, weight, charset);
    return measure.ok() ? measure.width(text) : -1;
}

HFONT createFont(const FontSpec& wanted, int dpi)
{
    if (wanted.isDefault()) {
        LOGFONTW lf{};
        if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf) != sizeof lf)
            failed();
        // The stock font is made for the density of the whole system.
        lf.lfHeight = MulDiv(lf.lfHeight, dpi, systemDpi());
        HFONT font = CreateFontIndirectW(&lf);
        if (font == nullptr)
            failed();
        return font;
    }
    const int height = -MulDiv(fontPixels(wanted.points), dpi, 96);
    const LOGFONTW lf = logFont(resolveFace(wanted.face), height, wanted.weight, wanted.charset);
    HFONT font = CreateFontIndirectW(&lf);
    if (font == nullptr)
        failed();
    return font;
}

} // namespace forms::win32
