// The contract between the forms core and a toolkit backend.
//
// The core decides how the windows look and take input: every control's box
// at a density, which face stands in for a layout's face, how a caption breaks
// into lines and where they stand, the colours, what lies above what, the
// keyboard order and keys, where a window is first placed, what a click or a
// double-click on a label does, and what a screen reader is told. A backend
// (qt/, win32/) only carries that out on its toolkit:
//
// - the desktop: Desktop below, measuring text, listing the installed faces
//   and giving the system colours;
// - drawing: a Painter for a window's client area; the core paints the
//   window's background, lines and labels through it (FormSurface::paint);
// - windows: a FormPeer per loaded window (createFormPeer), with native push
//   buttons at the core's boxes, above everything the core paints;
// - input: the backend hands pointer presses and keys (the physical key, the
//   modifiers, whether it is an auto-repeat) to the window's FormSurface and
//   does what it answers, and reports where the focus goes;
// - changes of the desktop under a running window: the backend reports a new
//   density or new fonts to FormSurface::refit and carries out
//   FormPeer::refit; when the screens change it moves the window to where
//   keptOnScreens (geometry.h) puts it;
// - the event loop, the end of the program and the fatal error report
//   (application.h), and the bridge to the platform's accessibility interface,
//   which takes names, roles and actions from the controls.
#pragma once

#include "forms/controls.h"
#include "forms/geometry.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

class Form;

// A face at a size in device pixels (the em height), ready to draw with.
struct FontFace
{
    std::u16string family;
    int pixels = 13;
    int weight = 400;
    int charset = 1; // the character set a Windows font is asked for; 1: any

    friend bool operator==(const FontFace&, const FontFace&) = default;
};

struct FontMetrics
{
    int ascent = 0;  // from a line's top to its baseline
    int height = 0;  // ascent and descent: what one line needs to be whole
    int spacing = 0; // the face's own distance from one line to the next
};

// The installed fonts and the system colours, as the toolkit sees them.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // Installed families that can draw Japanese, in the toolkit's own order.
    virtual std::vector<std::u16string> japaneseFamilies() = 0;
    // Whether this family is installed and can draw Japanese.
    virtual bool isJapanese(std::u16string_view family) = 0;
    // Whether the face itself (no fallback) has a glyph for every character.
    virtual bool hasGlyphs(const FontFace& face, std::u16string_view text) = 0;
    // Advance width of a run of text, in device pixels.
    virtual int width(const FontFace& face, std::u16string_view text) = 0;
    virtual FontMetrics metrics(const FontFace& face) = 0;
    // The platform's default user-interface font at a density.
    virtual FontFace defaultFont(int dpi) = 0;
    // What a native push button keeps between its edge and its caption, each
    // side, at a density.
    virtual int buttonPadding(int dpi) = 0;
    // A system colour (index 0..24) as the platform's scheme gives it, 0x00BBGGRR.
    virtual Color systemColor(int index) = 0;
    // Whether the user has turned on the platform's high contrast; a desktop
    // without one never has.
    virtual bool highContrast() { return false; }
};

// The backend's desktop; lives as long as the program.
Desktop& desktop();

// Draws on a window's client area, in device pixels. Colours are plain
// 0x00BBGGRR values: the core has resolved the system colours.
class Painter
{
public:
    virtual ~Painter() = default;
    virtual void fill(const PixelRect& area, Color color) = 0;
    // One run of text, its line's top at `top`, cut off outside `clip`.
    virtual void text(int x, int top, std::u16string_view run, const FontFace& face, Color color,
                      const PixelRect& clip) = 0;

    // A frame `thickness` pixels wide just inside `box`.
    void frame(const PixelRect& box, int thickness, Color color);
};

// The backend's side of a loaded window.
class FormPeer
{
public:
    virtual ~FormPeer() = default;
    // Shows the window; the first time, at the place its layout asks for.
    virtual void show() = 0;
    virtual void hide() = 0;
    // Restores it if minimised, brings it to the front and gives it the focus.
    virtual void activate() = 0;
    // A part of the client area must be painted again.
    virtual void invalidate(const PixelRect& area) = 0;
    // The control's accessible name is no longer the one a screen reader was
    // last told (the core keeps it and asks after every change the control
    // shows): send the platform's name-change event for it.
    virtual void renamed(const Control& control) = 0;
    // The surface was measured anew (FormSurface::refit: a new density, new
    // fonts): the client area takes the surface's clientSize() at once, the
    // buttons their box() and font(), and all of it is painted again. The
    // window keeps its top-left corner, unless the platform hands it a place
    // of its own for the new density (Windows' suggested rectangle).
    virtual void refit() = 0;
    // The control's accessible description is to be told to a screen reader
    // now (an announcement, or its own description back): send the platform's
    // description-change event for it every time, even when the text is the
    // same as last time, so that a repeated announcement is heard again.
    virtual void described(const Control& control) = 0;
    // A platform with an announcement API of its own (Qt 6.8's) says so, and
    // is handed each announcement with the focused control it comes from;
    // every description then stays the control's own.
    virtual bool announces() const { return false; }
    virtual void announce(const Control& source, std::u16string_view text)
    {
        (void)source;
        (void)text;
    }
};

// Made by the backend for a window that loads. Refusing (null) is a failed
// window operation.
std::unique_ptr<FormPeer> createFormPeer(Form& form);

// The event loop, until End(): the program's exit status.
int runEventLoop();

} // namespace forms
