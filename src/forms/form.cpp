#include "forms/form.h"

#include "forms/application.h"
#include "forms/backend.h"
#include "forms/error.h"
#include "forms/surface.h"

namespace forms {

Form::Form(const FormLayout& layout) : layout_(layout) {}

Form::~Form()
{
    // The peer's widgets point at the controls: let them go first.
    peer_.reset();
    surface_.reset();
}

void Form::Load()
{
    if (loaded_ || loading_)
        return;
    loading_ = true;
    controls_.reserve(layout_.controls.size());
    for (const ControlRow& row : layout_.controls) {
        switch (row.kind) {
        case ControlKind::Label: {
            auto label = std::make_unique<Label>(*this, row);
            if (row.index != kNoIndex) {
                LabelArray* array = nullptr;
                for (auto& candidate : arrays_)
                    if (candidate->name() == row.name)
                        array = candidate.get();
                if (array == nullptr)
                    array = arrays_.emplace_back(std::make_unique<LabelArray>(row.name)).get();
                array->add(*label);
            }
            controls_.push_back(std::move(label));
            break;
        }
        case ControlKind::CommandButton:
            controls_.push_back(std::make_unique<CommandButton>(*this, row));
            break;
        case ControlKind::Line:
            controls_.push_back(std::make_unique<Line>(*this, row));
            break;
        }
    }
    bindEvents();
    surface_ = std::make_unique<FormSurface>(*this);
    peer_ = createFormPeer(*this);
    if (!peer_) {
        surface_.reset();
        table_ = {};
        arrays_.clear();
        controls_.clear();
        loading_ = false;
        raise(ErrorNumber::WindowOperationFailed);
    }
    if (!surface_->measured())
        surface_->setDpi(96);
    surface_->setPeer(peer_.get());
    loaded_ = true;
    loading_ = false;
    Form_Load();
}

void Form::Show()
{
    Load();
    if (!visible_) {
        visible_ = true;
        peer_->show();
    }
}

void Form::Hide()
{
    if (!loaded_)
        return;
    if (visible_) {
        visible_ = false;
        peer_->hide();
    }
}

void Form::SetFocus()
{
    if (visible_)
        peer_->activate();
}

bool Form::Unload()
{
    if (!loaded_)
        return true;
    std::int16_t cancel = 0;
    Form_Unload(cancel);
    // Form_Unload may have ended the program; the backend then takes every window down.
    if (ended())
        return true;
    if (cancel != 0 || !loaded_)
        return cancel == 0;
    Hide();
    peer_.reset();
    surface_.reset();
    table_ = {};
    arrays_.clear();
    controls_.clear();
    loaded_ = false;
    return true;
}

void Form::announce(std::u16string_view text)
{
    if (surface_)
        surface_->announce(text);
}

Control* Form::find(std::string_view name, std::int16_t index) const
{
    for (const auto& control : controls_)
        if (control->name() == name && control->index() == index)
            return control.get();
    return nullptr;
}

Control& Form::lookup(std::string_view name, ControlKind kind) const
{
    Control* control = find(name);
    if (control == nullptr || control->kind() != kind)
        raise(loaded_ || loading_ ? ErrorNumber::InvalidCall : ErrorNumber::ObjectNotLoaded);
    return *control;
}

Label& Form::label(std::string_view name) const
{
    return static_cast<Label&>(lookup(name, ControlKind::Label));
}

CommandButton& Form::button(std::string_view name) const
{
    return static_cast<CommandButton&>(lookup(name, ControlKind::CommandButton));
}

LabelArray& Form::labelArray(std::string_view name) const
{
    for (const auto& array : arrays_)
        if (array->name() == name)
            return *array;
    raise(loaded_ || loading_ ? ErrorNumber::InvalidCall : ErrorNumber::ObjectNotLoaded);
}

} // namespace forms
