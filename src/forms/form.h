// Windows: built from a layout when they load, shown not modal and without an
// owner, hidden, unloaded. A window's controls live from its load to its unload.
#pragma once

#include "forms/controls.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
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
};

class FormPeer;
class FormSurface;

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
    WriteObserver* observer_ = nullptr;
    bool loaded_ = false;
    bool visible_ = false;
    bool loading_ = false;
};

} // namespace forms
