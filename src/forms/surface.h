// A loaded window's client area as the core sees it: where every control
// stands at the window's density, how its labels and lines are painted, and
// what a pointer or a key does there. Both backends draw and steer their
// windows through it, so that they agree by construction.
#pragma once

#include "forms/backend.h"
#include "forms/colours.h"

#include <string>
#include <string_view>
#include <vector>

namespace forms {

class Form;

// A key by the forms platform's key codes (KeyCode, the virtual-key codes of
// Windows): the physical key, whatever character it types. The letters' keys
// are 'A'..'Z' (65..90), with Caps Lock or Shift or not. A backend maps its own
// codes to these; any key without one here is Other.
enum class Key : std::uint8_t
{
    Other = 0,
    Tab = 9,
    Return = 13, // Return and the keypad's Enter
    Space = 32,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    A = 65,
    Z = 90,
};

// The key of a letter 'A'..'Z' (or 'a'..'z'); Other for anything else.
constexpr Key letterKey(char letter)
{
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    return letter >= 'A' && letter <= 'Z' ? static_cast<Key>(letter) : Key::Other;
}

constexpr bool isLetter(Key key)
{
    return key >= Key::A && key <= Key::Z;
}

// A key going down, as the backend reports it: the physical key, the state
// of the modifier keys, and whether it is the keyboard's auto-repeat of a key
// held down (its first press is not).
struct KeyPress
{
    Key key = Key::Other;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool repeat = false;
};

struct KeyAnswer
{
    enum Kind : std::uint8_t
    {
        Ignore,    // not the window's: the toolkit's default
        Native,    // the focused button handles it itself (Space: press, then click)
        MoveFocus, // give the focus to `target`
        Click,     // click `target`
        Handled,   // the window has done all there is to do: nothing more
    };
    Kind kind = Ignore;
    CommandButton* target = nullptr;

    // Carries the answer out on the toolkit's buttons: focus(target) or
    // click(target). True when the window took the key, false when it is
    // the toolkit's to handle as it would anyway.
    template <typename Focus, typename Press> bool carryOut(Focus focus, Press click) const
    {
        switch (kind) {
        case MoveFocus:
            focus(*target);
            return true;
        case Click:
            click(*target);
            return true;
        case Handled:
            return true;
        case Native:
        case Ignore:
            break;
        }
        return false;
    }
};

// A button's face: the layout's, made smaller where the caption would not fit
// inside the native button with two pixels to spare either side.
FontFace buttonFont(const CommandButton& button, const Scale& scale);

class FormSurface final : public ControlPeer
{
public:
    explicit FormSurface(Form& form);
    ~FormSurface() override;
    FormSurface(const FormSurface&) = delete;
    FormSurface& operator=(const FormSurface&) = delete;

    Form& form() const { return form_; }

    // Where invalidations and changes go; null while no window is attached.
    // A screen reader reads the controls' names from here on: they are the
    // names it was last told.
    void setPeer(FormPeer* peer);

    // Takes every box and font to a density (dots per inch). The window's
    // peer does so when it is made; until then nothing is measured.
    void setDpi(int dpi);
    // The desktop changed under a loaded window: a new density (dots per
    // inch), or new fonts at the same one. Everything is measured again
    // exactly as a fresh start there would measure it, and the peer fits the
    // window to it (FormPeer::refit) where anything it shows has changed.
    // Returns whether it had to.
    bool refit(int dpi);
    bool measured() const { return measured_; }
    const Scale& scale() const { return scale_; }
    PixelSize clientSize() const;

    // A control's box in device pixels: a label's as fitted to its text, a
    // button's as the layout has it, a line's the pixels it covers.
    PixelRect box(const Control& control) const;
    // The face a label or a button is drawn in, at this density.
    FontFace font(const Control& control) const;
    // From one line's top to the next, in a label.
    int linePitch(const Label& label) const;
    // Where line `line` (from 0) of a label's text stands: inside its frame,
    // from the line's top to the next line's, cut off at the frame.
    PixelRect lineBox(const Label& label, int line) const;
    // A layout colour as drawn outside high contrast: system colours resolved.
    Color resolve(Color color) const;
    // The window's own background, also beyond the layout.
    Color backColor() const;
    // Whether the window is a sheet in the standard colours drawn in the
    // user's high-contrast scheme instead, as the desktop asks now.
    bool highContrast() const;

    // The window's background, its lines, then its labels in declaration
    // order, each later one above the earlier ones. Buttons are native
    // windows, above all of it. `window` is the client area's size as it
    // stands: made larger than the layout, the rest is the window's
    // background too.
    void paint(Painter& painter, PixelSize window) const;
    void paint(Painter& painter) const { paint(painter, clientSize()); }

    // The topmost label at a point, or null.
    Label* labelAt(PixelPoint point) const;
    // The left button went down; `second` when it is the second press of a
    // double-click. A press and a release on the same label click it; the
    // second press of a double-click raises DblClick and no second Click.
    void press(PixelPoint point, bool second);
    void release(PixelPoint point);
    // The press ended elsewhere (capture lost, window hidden).
    void cancelPress() { pressed_ = nullptr; }

    // The buttons in keyboard order: by tab index.
    const std::vector<CommandButton*>& focusOrder() const { return focusOrder_; }
    // Where the focus starts when the window is first shown, or null.
    CommandButton* firstFocus() const;
    // What a key does with the focus on `focused` (null when no button has
    // it). Tab and Right/Down go to the next button, Shift+Tab and Left/Up to
    // the previous one, round the ends; Return clicks; Space is the button's.
    // A letter's key without Ctrl or Alt goes to the window first, as the
    // platform's KeyPreview does: it raises the form's KeyDown, once per key
    // held down (its auto-repeats are ignored), and is Handled when KeyDown
    // sets KeyCode to 0. A handler's run-time error is fatal, as a click's.
    KeyAnswer key(const KeyPress& press, const CommandButton* focused);

    // The focus: the backend reports every time a button of the window gets
    // it (the window coming back to the front included), before a screen
    // reader hears of the focus, and null when it leaves the window's buttons.
    void focusChanged(const CommandButton* focused);
    const CommandButton* focused() const { return focused_; }

    // Tells a screen reader user what an action did: the text becomes the
    // accessible description of the control with the focus, and the peer is
    // told (FormPeer::described) each time, the same text again included.
    // The next focus change takes it back: each control then says its own
    // description again. Without a focused button nothing is told. A
    // platform that announces (FormPeer::announces) is handed the text
    // instead, and the description stays.
    void announce(std::u16string_view text);
    // The announcement a control carries, or null.
    const std::u16string* announcementOf(const Control& control) const;
    // The last announcement told, whichever way, and the control it came from.
    const std::u16string& told() const { return told_; }
    const Control* toldBy() const { return toldBy_; }

    // A label's property changed: repaints it, and tells the peer
    // (FormPeer::renamed) when its accessible name is no longer the one last
    // told, whatever the property.
    void changed(Control& control, Property property) override;

private:
    struct Entry
    {
        Control* control;
        PixelRect box;
        FontFace font;
        FontFace layoutFont; // labels: before it is made to fit the box
        int pitch = 0;       // labels: from one line's top to the next
        int lineHeight = 0;  // labels: what one line needs to be whole
        int ascent = 0;
        std::u16string toldName; // the accessible name a reader was last told
    };

    Entry* entryOf(const Control& control);
    const Entry* entryOf(const Control& control) const;
    void measure(Entry& entry);
    void fitFont(Entry& entry);
    PixelRect fit(const Entry& entry) const;
    PixelRect inside(const Entry& entry) const;
    PixelRect lineBox(const Entry& entry, int line) const;
    void paintLabel(Painter& painter, const Entry& entry) const;
    InkOnGround labelColours(const Label& label) const;
    Color lineColor(const Control& line) const;
    void paintUnderscored(Painter& painter, const Entry& entry, int x, int top, int end,
                          std::u16string_view line, Color ink, const PixelRect& clip) const;
    CommandButton* step(const CommandButton* from, int by) const;

    Form& form_;
    FormPeer* peer_ = nullptr;
    Scale scale_;
    std::vector<Entry> entries_; // every control, in declaration order
    std::vector<CommandButton*> focusOrder_;
    Label* pressed_ = nullptr;
    const CommandButton* focused_ = nullptr;
    const Control* announced_ = nullptr; // carries announcement_
    std::u16string announcement_;
    // Controls whose announcement a reader may still hold: told again of
    // their own description when the focus comes back to them.
    std::vector<const Control*> stale_;
    const Control* toldBy_ = nullptr;
    std::u16string told_;
    bool measured_ = false;
};

} // namespace forms
