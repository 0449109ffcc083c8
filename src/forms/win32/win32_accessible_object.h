// The objects a screen reader holds of a window: what the bridge and they
// share, and how they are made and let go.
#pragma once

#include "forms/win32/win32_accessible.h"

#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

namespace forms::win32 {

// Outlives the window: a reader in another process may hold an object longer.
struct AccessibleLink : std::enable_shared_from_this<AccessibleLink>
{
    AccessibleHost* host = nullptr;             // null once the window is going
    std::vector<IAccessible*> live;             // every object handed out and not yet released
    std::vector<std::pair<HWND, long>> natives; // adopted windows and their child ids

    Form* form() const { return host != nullptr ? host->form() : nullptr; }
    // The button with the keyboard focus, as the window has told the core.
    const Control* focused() const;
    // Child ids 1..N: every control a reader sees, in declaration order.
    std::vector<Control*> children() const;
    Control* child(long id) const;
    long idOf(const Control& control) const;
};

// The object of the client area (`self` CHILDID_SELF) or of the child `self`,
// with one reference.
IAccessible* makeAccessibleObject(std::shared_ptr<AccessibleLink> link, long self);

} // namespace forms::win32
