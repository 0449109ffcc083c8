// For the fault probes: the link wraps the forms layer's createFormPeer
// (--wrap in the tests' CMakeLists.txt), so that a probe can make one window
// fail as a windowing system that refuses a window would. The backend's own
// function stays as it is. Include in one file of a probe.
#pragma once

#include "forms/backend.h"
#include "forms/form.h"

#include <memory>

namespace refusing {

// The window that may not be made: 1 for the first window created, 0 for none.
inline int failingWindow = 0;
inline int windowsMade = 0;

} // namespace refusing

std::unique_ptr<forms::FormPeer>
realCreateFormPeer(forms::Form& form) __asm__("__real__ZN5forms14createFormPeerERNS_4FormE");
std::unique_ptr<forms::FormPeer>
wrappedCreateFormPeer(forms::Form& form) __asm__("__wrap__ZN5forms14createFormPeerERNS_4FormE");
std::unique_ptr<forms::FormPeer> wrappedCreateFormPeer(forms::Form& form)
{
    if (++refusing::windowsMade == refusing::failingWindow)
        return nullptr;
    return realCreateFormPeer(form);
}
