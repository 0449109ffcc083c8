#include "forms/controls.h"

#include "forms/error.h"
#include "forms/form.h"
#include "forms/surface.h"
#include "forms/text_lines.h"

namespace forms {

Control::Control(Form& owner, const ControlRow& row) : owner_(owner), row_(row) {}

Control::~Control() = default;

std::string Control::displayName() const
{
    std::string text(name());
    if (index() != kNoIndex) {
        text += '(';
        text += std::to_string(index());
        text += ')';
    }
    return text;
}

std::u16string Control::accessibleName() const
{
    return AccessibleName ? AccessibleName() : std::u16string(defaultAccessibleName());
}

std::u16string Control::accessibleDescription() const
{
    if (const FormSurface* surface = owner_.surface())
        if (const std::u16string* announcement = surface->announcementOf(*this))
            return *announcement;
    return AccessibleDescription ? AccessibleDescription() : std::u16string();
}

std::vector<std::u16string> Control::accessibleLines() const
{
    const std::u16string name = accessibleName();
    std::vector<std::u16string> lines;
    for (std::u16string_view line : captionLines(name))
        lines.emplace_back(line);
    return lines;
}

AccessibleRole Control::accessibleRole() const
{
    switch (kind()) {
    case ControlKind::Label:
        return AccessibleRole::StaticText;
    case ControlKind::CommandButton:
        return AccessibleRole::PushButton;
    case ControlKind::Line:
        break;
    }
    return AccessibleRole::None;
}

std::u16string Control::accessibleAction() const
{
    if (AccessibleAction)
        return AccessibleAction();
    return clickable() ? u"Press" : u"";
}

void Control::wrote(Property property, bool changed)
{
    if (changed && peer_)
        peer_->changed(*this, property);
    if (WriteObserver* observer = owner_.writeObserver())
        observer->written(*this, property);
}

Label::Label(Form& owner, const ControlRow& row)
    : Control(owner, row), caption_(row.caption), foreColor_(row.style->foreColor),
      alignment_(row.style->alignment)
{
}

void Label::setCaption(std::u16string_view text)
{
    const bool changed = caption_ != text;
    if (changed)
        caption_.assign(text);
    wrote(Property::Caption, changed);
    if (Change)
        Change();
}

void Label::setForeColor(Color color)
{
    if (!isValidColor(color))
        raise(ErrorNumber::InvalidPropertyValue);
    const bool changed = foreColor_ != color;
    foreColor_ = color;
    wrote(Property::ForeColor, changed);
}

void Label::setAlignment(std::int16_t alignment)
{
    if (alignment < AlignLeft || alignment > AlignCenter)
        raise(ErrorNumber::InvalidPropertyValue);
    const bool changed = alignment_ != alignment;
    alignment_ = alignment;
    wrote(Property::Alignment, changed);
}

void Label::raiseClick()
{
    if (Click)
        Click();
}

void Label::raiseDblClick()
{
    if (DblClick)
        DblClick();
}

void CommandButton::raiseClick()
{
    if (Click)
        Click();
}

void LabelArray::outOfRange()
{
    raise(ErrorNumber::SubscriptOutOfRange);
}

void LabelArray::add(Label& member)
{
    const int index = member.index();
    if (slots_.empty()) {
        lower_ = index;
    } else if (index < lower_) {
        slots_.insert(slots_.begin(), static_cast<std::size_t>(lower_ - index), nullptr);
        lower_ = index;
    }
    const auto slot = static_cast<std::size_t>(index - lower_);
    if (slot >= slots_.size())
        slots_.resize(slot + 1, nullptr);
    if (slots_[slot] == nullptr)
        ++count_;
    slots_[slot] = &member;
}

} // namespace forms
