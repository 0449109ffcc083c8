// Windows: built from a layout when they load, shown not modal and without an
// owner, hidden, unloaded. A window's controls live from its load to its unload.
#pragma once

#include "forms/controls.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace forms {

enum class StartUpPosition : std::uint8_t
{
    WindowsDefault, // where the windowing system puts a new window
    CenterScreen,
};

// Where a window's system colours come from.
enum class SystemColors : std::uint8_t
{
    Desktop,  // the desktop's scheme, as native controls follow it
    Standard, // the standard scheme, whatever the desktop's: a sheet that
              // keeps the colours it was drawn with
};

struct FormLayout
{
    std::string_view name;
    std::u16string_view caption;
    int clientWidth;  // twips
    int clientHeight; // twips
    Color backColor;
    StartUpPosition startUpPosition;
    std::span<const ControlRow> controls;
    SystemColors systemColors = SystemColors::Desktop;
    // The window gets the letters' keys before its controls and raises KeyDown.
    bool keyPreview = false;
    // A screen reader presents the window as a dialog: it reads the window's
    // text when the window comes up, without a further key.
    bool dialog = false;
};

// The Shift argument of KeyDown: which modifier keys are down.
inline constexpr std::int16_t kShiftMask = 1;
inline constexpr std::int16_t kCtrlMask = 2;
inline constexpr std::int16_t kAltMask = 4;

class FormPeer;
class FormSurface;

// Controls a screen reader is shown as one table: a heading over each column,
// and rows of one control per column, the first heading its row.
struct ReaderTable
{
    std::u16string name;
    std::vector<Control*> columnHeaders;
    std::vector<std::vector<Control*>> rows;
};

class Form
{
public:
    explicit Form(const FormLayout& layout);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const FormLayout& layout() const { return layout_; }
    std::string_view name() const { return layout_.name; }

    // Creates the controls and the window and runs Form_Load, once per load.
    void Load();
    // Loads first if needed; a window already shown stays as it is.
    void Show();
    void Hide();
    // Brings a shown window to the front and gives it the focus.
    void SetFocus();
    // Runs Form_Unload; unless it cancels, hides the window and destroys it
    // with its controls. Returns false when cancelled.
    bool Unload();

    bool loaded() const { return loaded_; }
    bool visible() const { return visible_; }

    // The controls, in declaration order; empty while not loaded.
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    Label& label(std::string_view name) const;
    LabelArray& labelArray(std::string_view name) const;
    CommandButton& button(std::string_view name) const;
    Control* find(std::string_view name, std::int16_t index = kNoIndex) const;

    FormPeer* peer() const { return peer_.get(); }
    // Where the controls stand and how they are drawn; null while not loaded.
    FormSurface* surface() const { return surface_.get(); }

    // A key went down while the window is active; raised only where the
    // layout asks for key preview (FormSurface::key says which keys). KeyCode
    // is the key's code ('A'..'Z' = 65..90 for the letters' keys, Caps Lock
    // or not); setting it to 0 takes the key from the window's controls.
    // Shift holds kShiftMask, kCtrlMask and kAltMask.
    std::function<void(std::int16_t& KeyCode, std::int16_t Shift)> KeyDown;

    // Tells a screen reader user what an action did, through the control that
    // has the focus (FormSurface::announce); nothing while not loaded.
    void announce(std::u16string_view text);

    // Shows the controls of `table` to a reader as a table; its controls stay
    // the window's. Given while the window loads, it lasts until the unload.
    void setReaderTable(ReaderTable table) { table_ = std::move(table); }
    const ReaderTable& readerTable() const { return table_; }

    void setWriteObserver(WriteObserver* observer) { observer_ = observer; }
    WriteObserver* writeObserver() const { return observer_; }

protected:
    // Connects the window's handlers to its new controls, before Form_Load.
    virtual void bindEvents() {}
    virtual void Form_Load() {}
    virtual void Form_Unload(std::int16_t& Cancel) { (void)Cancel; }

private:
    Control& lookup(std::string_view name, ControlKind kind) const;

    const FormLayout& layout_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<LabelArray>> arrays_;
    std::unique_ptr<FormSurface> surface_;
    std::unique_ptr<FormPeer> peer_;
    ReaderTable table_;
    WriteObserver* observer_ = nullptr;
    bool loaded_ = false;
    bool visible_ = false;
    bool loading_ = false;
};

} // namespace forms
