#include "forms/win32/win32_desktop.h"

#include <algorithm>

namespace forms::win32 {

namespace {

LOGFONTW logFont(std::u16string_view family, int height, int weight, int charset)
{
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = static_cast<BYTE>(charset);
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::size_t n = std::min(family.size(), std::size_t(LF_FACESIZE - 1));
    for (std::size_t i = 0; i < n; ++i)
        font.lfFaceName[i] = static_cast<wchar_t>(family[i]);
    return font;
}

int CALLBACK collectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data)
{
    auto& faces = *reinterpret_cast<std::vector<std::u16string>*>(data);
    std::u16string name = fromWide(font->lfFaceName);
    // "@" faces are the vertical writing variants.
    if (!name.empty() && name.front() != u'@' &&
        std::find(faces.begin(), faces.end(), name) == faces.end())
        faces.push_back(std::move(name));
    return 1;
}

// Installed faces with the Japanese character set: all of them, or those
// of one family name.
std::vector<std::u16string> japaneseFaces(std::u16string_view family)
{
    std::vector<std::u16string> faces;
    if (family.size() >= LF_FACESIZE)
        return faces;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        failed();
    LOGFONTW query = logFont(family, 0, 0, SHIFTJIS_CHARSET);
    EnumFontFamiliesExW(dc, &query, collectFace, reinterpret_cast<LPARAM>(&faces), 0);
    DeleteDC(dc);
    return faces;
}

} // namespace

GdiDesktop::~GdiDesktop()
{
    if (dc_ != nullptr)
        DeleteDC(dc_);
    for (auto& entry : fonts_)
        DeleteObject(entry.second);
}

HFONT GdiDesktop::font(const FontFace& face)
{
    const auto key = std::make_tuple(face.family, face.pixels, face.weight, face.charset);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
        // A negative height asks for the em, as the layouts' point sizes mean.
        const LOGFONTW lf =
            logFont(face.family, -std::max(1, face.pixels), face.weight, face.charset);
        HFONT made = CreateFontIndirectW(&lf);
        if (made == nullptr)
            failed();
        it = fonts_.emplace(key, made).first;
    }
    return it->second;
}

HDC GdiDesktop::measuring(const FontFace& face)
{
    if (dc_ == nullptr) {
        dc_ = CreateCompatibleDC(nullptr);
        if (dc_ == nullptr)
            failed();
    }
    if (SelectObject(dc_, font(face)) == nullptr)
        failed();
    return dc_;
}

std::vector<std::u16string> GdiDesktop::japaneseFamilies()
{
    return japaneseFaces(u"");
}

bool GdiDesktop::isJapanese(std::u16string_view family)
{
    if (family.empty())
        return false;
    for (const std::u16string& found : japaneseFaces(family))
        if (found == family)
            return true;
    return false;
}

bool GdiDesktop::hasGlyphs(const FontFace& face, std::u16string_view text)
{
    HDC dc = measuring(face);
    const std::wstring wide = toWide(text);
    std::vector<WORD> glyphs(wide.size());
    if (GetGlyphIndicesW(dc, wide.c_str(), static_cast<int>(wide.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        return false;
    return std::none_of(glyphs.begin(), glyphs.end(), [](WORD glyph) { return glyph == 0xFFFF; });
}

int GdiDesktop::width(const FontFace& face, std::u16string_view text)
{
    if (text.empty())
        return 0;
    HDC dc = measuring(face);
    const std::wstring wide = toWide(text);
    SIZE size{};
    check(GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size));
    return size.cx;
}

FontMetrics GdiDesktop::metrics(const FontFace& face)
{
    TEXTMETRICW metrics{};
    check(GetTextMetricsW(measuring(face), &metrics));
    return {metrics.tmAscent, metrics.tmHeight, metrics.tmHeight + metrics.tmExternalLeading};
}

// The message font: the face the desktop gives dialogs and their buttons, at
// the size the user chose for it.
FontFace GdiDesktop::defaultFont(int dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    int fontDpi = dpi;
    if (!systemParametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, dpi)) {
        check(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
        fontDpi = systemDpi();
    }
    const LOGFONTW& lf = metrics.lfMessageFont;
    // Its height is the em where negative, the cell where positive.
    int pixels = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    pixels = MulDiv(pixels, dpi, fontDpi);
    return {fromWide(lf.lfFaceName), std::max(1, pixels), lf.lfWeight >= FW_BOLD ? 700 : 400,
            lf.lfCharSet};
}

int GdiDesktop::buttonPadding(int dpi)
{
    // A push button's sunken edge, then its focus rectangle.
    return MulDiv(GetSystemMetrics(SM_CXEDGE) + 1, dpi, systemDpi());
}

Color GdiDesktop::systemColor(int index)
{
    return static_cast<Color>(GetSysColor(index)) & 0x00FFFFFFu;
}

bool GdiDesktop::highContrast()
{
    HIGHCONTRASTW setting{};
    setting.cbSize = sizeof setting;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) != FALSE &&
           (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

GdiDesktop& gdiDesktop()
{
    // Never destroyed: its fonts and DC are the process's until it exits.
    static GdiDesktop* instance = new GdiDesktop;
    return *instance;
}

} // namespace forms::win32

namespace forms {

Desktop& desktop()
{
    return win32::gdiDesktop();
}

} // namespace forms
