// What a screen reader finds in a window through Microsoft Active
// Accessibility: the client area as one object whose children are what the
// core's AccessibleTree shows a reader, and the events that tell of changes.
#pragma once

#include "forms/form.h"
#include "forms/win32/win32_system.h"

#include <memory>
#include <optional>

namespace forms::win32 {

// What the bridge asks of its window.
class AccessibleHost
{
public:
    // The top-level window; its client area is the root of what a reader sees.
    virtual HWND hwnd() const = 0;
    // The window's form, or null once the window is on its way out.
    virtual Form* form() const = 0;
    // Exactly what a click on the control does, errors included.
    virtual void press(Control& control) = 0;

protected:
    ~AccessibleHost() = default;
};

// What the bridge and the objects it hands out share; outlives the window.
struct AccessibleLink;

// The Active Accessibility bridge of one window. Child ids 1..N are the client
// area's children in the tree; a label of several lines is an object of its
// own whose children are its lines.
class AccessibleBridge
{
public:
    explicit AccessibleBridge(AccessibleHost& host);
    ~AccessibleBridge();
    AccessibleBridge(const AccessibleBridge&) = delete;
    AccessibleBridge& operator=(const AccessibleBridge&) = delete;

    // A press a reader asked for, posted to the window to run once the
    // reader's call has returned; wParam is the child id.
    static constexpr UINT kPressMessage = WM_APP + 1;

    // The bridge's part of the window's messages: WM_GETOBJECT (the client
    // area's object) and kPressMessage. Null for what the window or the system
    // answers itself.
    std::optional<LRESULT> message(UINT message, WPARAM wParam, LPARAM lParam);
    // A control that is a native window of its own (a push button): its own
    // WM_GETOBJECT answers with the same element as the window's. The system
    // tells screen readers when such a window takes the focus, and they then
    // ask it. Lasts until the window or the bridge goes.
    void adopt(HWND native, const Control& control);

    // Tells screen readers of an event (EVENT_OBJECT_*) of the control, or of
    // the window itself without one.
    void tell(DWORD event, const Control* control = nullptr);

    // The window is going: every object a reader still holds answers that it
    // is no longer connected, and no event is sent any more.
    void retire();

private:
    std::shared_ptr<AccessibleLink> link_;
};

} // namespace forms::win32
