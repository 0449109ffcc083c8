// Helpers that keep a layout table to one short row per control.
#pragma once

#include "forms/controls.h"

namespace ui {

constexpr forms::ControlRow label(std::string_view name, std::int16_t index, forms::Rect rect,
                                  const forms::ControlStyle& style, std::int16_t tabIndex,
                                  std::u16string_view caption)
{
    return {forms::ControlKind::Label, name, index, rect, {}, &style, tabIndex, caption};
}

constexpr forms::ControlRow button(std::string_view name, forms::Rect rect,
                                   const forms::ControlStyle& style, std::int16_t tabIndex,
                                   std::u16string_view caption)
{
    return {forms::ControlKind::CommandButton,
            name,
            forms::kNoIndex,
            rect,
            {},
            &style,
            tabIndex,
            caption};
}

constexpr forms::ControlRow lineRow(std::string_view name, int x1, int y1, int x2, int y2,
                                    const forms::ControlStyle& style)
{
    return {forms::ControlKind::Line, name, forms::kNoIndex, {}, {x1, y1, x2, y2}, &style, -1, {}};
}

} // namespace ui
