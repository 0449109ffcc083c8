// The objects a screen reader holds of a window: what the bridge and they
// share, and how they are made and let go.
#pragma once

#include "forms/accessible.h"
#include "forms/win32/win32_accessible.h"

#include <oleacc.h>

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
    // What a reader finds in the window; only while form() is there.
    AccessibleTree tree() const;
    // The control of a child id of the client area, or null.
    Control* control(long id) const;
    long idOf(const Control& control) const;
};

// The object of the client area or of one element in it, with one reference.
IAccessible* makeAccessibleObject(std::shared_ptr<AccessibleLink> link,
                                  const AccessibleElement& self = {});

} // namespace forms::win32
