#include "forms/win32/win32_accessible.h"

#include "forms/surface.h"
#include "forms/win32/win32_accessible_object.h"

#include <commctrl.h>

#include <algorithm>

namespace forms::win32 {

namespace {

// A new object answered to a WM_GETOBJECT; the answer holds its own reference.
LRESULT answer(IAccessible* object, WPARAM wParam)
{
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return result;
}

// The object id of WM_GETOBJECT comes as a 32-bit value, sign-extended or not.
bool asksForClient(LPARAM lParam)
{
    return static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT;
}

// The core hears where the keyboard focus goes among the buttons, so that a
// reader hears a button's own description when it takes the focus again.
void reportFocus(const AccessibleLink& link, const Control* control, HWND next)
{
    FormSurface* surface = link.form() != nullptr ? link.form()->surface() : nullptr;
    if (surface == nullptr)
        return;
    if (control != nullptr)
        surface->focusChanged(dynamic_cast<const CommandButton*>(control));
    else if (std::none_of(link.natives.begin(), link.natives.end(),
                          [next](const auto& adopted) { return adopted.first == next; }))
        surface->focusChanged(nullptr);
}

// An adopted native control: its own object is its element. The system tells
// of its focus with that object, so a reader that follows the focus hears the
// element's name; an event of ours besides would make it speak twice.
LRESULT CALLBACK nativeProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR data)
{
    auto* link = reinterpret_cast<AccessibleLink*>(data);
    const long child = static_cast<long>(id);
    if (message == WM_GETOBJECT && asksForClient(lParam))
        if (Control* control = link->control(child))
            return answer(makeAccessibleObject(link->shared_from_this(), {control}), wParam);
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS)
        reportFocus(*link, message == WM_SETFOCUS ? link->control(child) : nullptr,
                    reinterpret_cast<HWND>(wParam));
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &nativeProcedure, id);
        std::erase(link->natives, std::make_pair(hwnd, child));
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

AccessibleBridge::AccessibleBridge(AccessibleHost& host) : link_(std::make_shared<AccessibleLink>())
{
    link_->host = &host;
}

AccessibleBridge::~AccessibleBridge()
{
    retire();
}

std::optional<LRESULT> AccessibleBridge::message(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (link_->form() == nullptr)
        return std::nullopt;
    if (message == WM_GETOBJECT && asksForClient(lParam))
        return answer(makeAccessibleObject(link_), wParam);
    if (message != kPressMessage)
        return std::nullopt;
    // The window may have changed since the reader asked.
    if (Control* control = link_->control(static_cast<long>(wParam)))
        link_->host->press(*control);
    return 0;
}

void AccessibleBridge::adopt(HWND native, const Control& control)
{
    const long id = link_->idOf(control);
    if (id != 0 && SetWindowSubclass(native, &nativeProcedure, static_cast<UINT_PTR>(id),
                                     reinterpret_cast<DWORD_PTR>(link_.get())))
        link_->natives.emplace_back(native, id);
}

// A control that is a window of its own is told of as that window; a window
// not yet shown has no reader listening: it reads what is there when it shows.
void AccessibleBridge::tell(DWORD event, const Control* control)
{
    const long id = control != nullptr ? link_->idOf(*control) : CHILDID_SELF;
    if (link_->form() == nullptr ||
        (control != nullptr && (id == 0 || !IsWindowVisible(link_->host->hwnd()))))
        return;
    HWND window = link_->host->hwnd();
    LONG child = id;
    for (const auto& [native, nativeId] : link_->natives)
        if (nativeId == id)
            window = native, child = CHILDID_SELF;
    NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

void AccessibleBridge::retire()
{
    if (link_->host == nullptr)
        return;
    for (const auto& [native, id] : link_->natives)
        if (IsWindow(native))
            RemoveWindowSubclass(native, &nativeProcedure, static_cast<UINT_PTR>(id));
    link_->natives.clear();
    link_->host = nullptr;
    // Readers in other processes let go of what they hold: their calls now
    // fail at once, and our objects go as soon as nothing here holds them.
    const std::vector<IAccessible*> live = link_->live;
    for (IAccessible* object : live) {
        object->AddRef();
        CoDisconnectObject(object, 0);
        object->Release();
    }
}

} // namespace forms::win32
