// The desktop as Windows sees it: its fonts, measured through GDI, and its
// system colours.
#pragma once

#include "forms/backend.h"
#include "forms/win32/win32_system.h"

#include <map>
#include <tuple>

namespace forms::win32 {

class GdiDesktop final : public Desktop
{
public:
    ~GdiDesktop() override;

    std::vector<std::u16string> japaneseFamilies() override;
    bool isJapanese(std::u16string_view family) override;
    bool hasGlyphs(const FontFace& face, std::u16string_view text) override;
    int width(const FontFace& face, std::u16string_view text) override;
    FontMetrics metrics(const FontFace& face) override;
    FontFace defaultFont(int dpi) override;
    int buttonPadding(int dpi) override;
    Color systemColor(int index) override;
    bool highContrast() override;

    // The face as a GDI font, made once and kept for the run.
    HFONT font(const FontFace& face);

private:
    // A memory DC with the face selected, for measuring.
    HDC measuring(const FontFace& face);

    std::map<std::tuple<std::u16string, int, int, int>, HFONT> fonts_;
    HDC dc_ = nullptr;
};

GdiDesktop& gdiDesktop();

} // namespace forms::win32
