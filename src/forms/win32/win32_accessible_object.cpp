#include "forms/win32/win32_accessible_object.h"

#include "forms/surface.h"
#include "forms/win32/win32_com.h"

#include <algorithm>

namespace forms::win32 {

std::vector<Control*> AccessibleLink::children() const
{
    std::vector<Control*> found;
    if (const Form* owner = form())
        for (const auto& control : owner->controls())
            if (control->accessibleRole() != AccessibleRole::None)
                found.push_back(control.get());
    return found;
}

const Control* AccessibleLink::focused() const
{
    const FormSurface* surface = form() != nullptr ? form()->surface() : nullptr;
    return surface != nullptr ? surface->focused() : nullptr;
}

Control* AccessibleLink::child(long id) const
{
    const std::vector<Control*> all = children();
    return id >= 1 && id <= std::ssize(all) ? all[static_cast<std::size_t>(id - 1)] : nullptr;
}

long AccessibleLink::idOf(const Control& control) const
{
    const std::vector<Control*> all = children();
    const auto found = std::find(all.begin(), all.end(), &control);
    return found == all.end() ? 0 : static_cast<long>(found - all.begin()) + 1;
}

namespace {

// What a call is about: the client area (no control), a control, or one line
// of a label.
struct Target
{
    Control* control = nullptr;
    int line = -1;
};

// Everything a reader may read of one element; `box` is on the screen.
struct Facts
{
    std::u16string name, description, action;
    long role = ROLE_SYSTEM_STATICTEXT, state = 0;
    RECT box{};
};

// The answers, in the form a reader takes them.
HRESULT put(BSTR* out, const std::u16string& text)
{
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}
HRESULT put(VARIANT* out, long id)
{
    out->vt = VT_I4;
    out->lVal = id;
    return S_OK;
}

// A label of several lines is an object of its own, its lines its children.
long lineCount(const Control& control)
{
    const auto count = static_cast<long>(control.accessibleLines().size());
    return count > 1 ? count : 0;
}

class AccessibleObject final : public DispatchObject<IAccessible>
{
public:
    AccessibleObject(std::shared_ptr<AccessibleLink> link, long self)
        : link_(std::move(link)), self_(self)
    {
        link_->live.push_back(this);
    }
    ~AccessibleObject() override { std::erase(link_->live, this); }

    STDMETHOD(get_accName)(VARIANT id, BSTR* out) override { return get(id, out, &Facts::name); }
    STDMETHOD(get_accDescription)(VARIANT id, BSTR* out) override
    {
        return get(id, out, &Facts::description, true);
    }
    STDMETHOD(get_accDefaultAction)(VARIANT id, BSTR* out) override
    {
        return get(id, out, &Facts::action, true);
    }
    STDMETHOD(get_accRole)(VARIANT id, VARIANT* out) override { return get(id, out, &Facts::role); }
    STDMETHOD(get_accState)(VARIANT id, VARIANT* out) override
    {
        return get(id, out, &Facts::state);
    }
    STDMETHOD(accLocation)(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT id) override
    {
        if (top == nullptr || width == nullptr || height == nullptr)
            return E_POINTER;
        *top = *width = *height = 0;
        return on(id, left, [&](const Target& target) {
            const RECT box = facts(target).box;
            *left = box.left, *top = box.top;
            *width = box.right - box.left, *height = box.bottom - box.top;
            return S_OK;
        });
    }

    STDMETHOD(get_accValue)(VARIANT id, BSTR* out) override
    {
        return on(id, out, [](const Target&) { return DISP_E_MEMBERNOTFOUND; });
    }
    STDMETHOD(get_accHelp)(VARIANT, BSTR* out) override { return cleared(out, none); }
    STDMETHOD(get_accHelpTopic)(BSTR* file, VARIANT, LONG* out) override
    {
        return cleared(out, cleared(file, none));
    }
    STDMETHOD(get_accKeyboardShortcut)(VARIANT, BSTR* out) override { return cleared(out, none); }
    STDMETHOD(get_accSelection)(VARIANT* out) override { return cleared(out, none); }
    STDMETHOD(put_accName)(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHOD(put_accValue)(VARIANT, BSTR) override { return E_NOTIMPL; }

    STDMETHOD(get_accParent)(IDispatch** out) override
    {
        return on(selfId(), out, [&](const Target&) {
            if (self_ != CHILDID_SELF)
                return *out = makeAccessibleObject(link_, CHILDID_SELF), S_OK;
            return AccessibleObjectFromWindow(host().hwnd(), static_cast<DWORD>(OBJID_WINDOW),
                                              __uuidof(IDispatch), reinterpret_cast<void**>(out));
        });
    }
    STDMETHOD(get_accChildCount)(LONG* out) override
    {
        return on(selfId(), out, [&](const Target&) { return *out = childCount(), S_OK; });
    }
    // A simple element is reached through this object with its id.
    STDMETHOD(get_accChild)(VARIANT id, IDispatch** out) override
    {
        return on(id, out, [&](const Target&) {
            if (id.lVal == CHILDID_SELF)
                return E_INVALIDARG;
            return isObject(id.lVal) ? (*out = makeAccessibleObject(link_, id.lVal), S_OK)
                                     : S_FALSE;
        });
    }

    STDMETHOD(get_accFocus)(VARIANT* out) override
    {
        return on(selfId(), out, [&](const Target& self) {
            const Control* focused = link_->focused();
            if (self_ != CHILDID_SELF)
                return focused == self.control ? put(out, CHILDID_SELF) : S_FALSE;
            if (const long id = focused != nullptr ? link_->idOf(*focused) : 0)
                return child(id, out);
            return GetFocus() == host().hwnd() ? put(out, CHILDID_SELF) : S_FALSE;
        });
    }

    // A reader may give the focus to a button that is a window of its own.
    STDMETHOD(accSelect)(LONG flags, VARIANT id) override
    {
        return on(id, [&](const Target& target) {
            if (flags != SELFLAG_TAKEFOCUS || target.control == nullptr || target.line >= 0 ||
                !target.control->takesFocus())
                return DISP_E_MEMBERNOTFOUND;
            const long control = link_->idOf(*target.control);
            for (const auto& [native, nativeId] : link_->natives)
                if (nativeId == control && SetFocus(native) != nullptr)
                    return S_OK;
            return S_FALSE;
        });
    }

    // The children one after the other, in declaration order (a label's lines
    // from the top); the siblings of this object itself belong to its parent.
    STDMETHOD(accNavigate)(LONG direction, VARIANT start, VARIANT* out) override
    {
        return on(start, out, [&](const Target&) {
            const long from = start.lVal, count = childCount();
            const bool ends = direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD;
            if (!ends && direction != NAVDIR_NEXT && direction != NAVDIR_PREVIOUS)
                return DISP_E_MEMBERNOTFOUND;
            if (ends != (from == CHILDID_SELF))
                return ends ? E_INVALIDARG : S_FALSE;
            const long to = direction == NAVDIR_FIRSTCHILD  ? 1
                            : direction == NAVDIR_LASTCHILD ? count
                            : direction == NAVDIR_NEXT      ? from + 1
                                                            : from - 1;
            return to >= 1 && to <= count ? child(to, out) : S_FALSE;
        });
    }

    STDMETHOD(accHitTest)(LONG x, LONG y, VARIANT* out) override
    {
        return on(selfId(), out, [&](const Target& self) {
            const POINT at{x, y};
            if (const RECT box = facts(self).box; !PtInRect(&box, at))
                return S_FALSE;
            POINT client = at;
            ScreenToClient(host().hwnd(), &client);
            const Control* hit = self.control == nullptr ? host().controlAt(client) : nullptr;
            if (const long id = hit != nullptr ? link_->idOf(*hit) : 0)
                return child(id, out);
            for (int line = 0; self.control != nullptr && line < childCount(); ++line)
                if (const RECT box = facts({self.control, line}).box; PtInRect(&box, at))
                    return put(out, line + 1);
            return put(out, CHILDID_SELF);
        });
    }

    // As a click would, but after the reader's call has returned: a handler may
    // open a window or end the program, and a reader must not wait on either.
    // A press still waiting when the window goes goes with it.
    STDMETHOD(accDoDefaultAction)(VARIANT id) override
    {
        return on(id, [&](const Target& target) {
            if (facts(target).action.empty())
                return DISP_E_MEMBERNOTFOUND;
            PostMessageW(host().hwnd(), AccessibleBridge::kPressMessage,
                         static_cast<WPARAM>(link_->idOf(*target.control)), 0);
            return S_OK;
        });
    }

private:
    static constexpr HRESULT none = DISP_E_MEMBERNOTFOUND;

    // The object itself, as a call names it.
    static VARIANT selfId()
    {
        VARIANT id{};
        return put(&id, CHILDID_SELF), id;
    }
    AccessibleHost& host() const { return *link_->host; }
    // The label whose lines this object's children are; null for the client area.
    Control* own() const { return self_ != CHILDID_SELF ? link_->child(self_) : nullptr; }

    // The one way every call finds what `id` names for this object, and then
    // answers for it; an answer the call takes is cleared first.
    template <class Out, class Answer>
    HRESULT on(const VARIANT& id, Out* out, Answer&& answer) const
    {
        if (out == nullptr)
            return E_POINTER;
        *out = Out{};
        return on(id, answer);
    }
    template <class Answer> HRESULT on(const VARIANT& id, Answer&& answer) const
    {
        if (link_->form() == nullptr)
            return CO_E_OBJNOTCONNECTED;
        if (id.vt != VT_I4)
            return E_INVALIDARG;
        const Target self{own()};
        if (self_ != CHILDID_SELF && self.control == nullptr)
            return CO_E_OBJNOTCONNECTED;
        if (id.lVal == CHILDID_SELF)
            return answer(self);
        if (id.lVal < 1 || id.lVal > childCount())
            return E_INVALIDARG;
        return answer(self.control != nullptr ? Target{self.control, static_cast<int>(id.lVal) - 1}
                                              : Target{link_->child(id.lVal)});
    }
    // One fact of an element; one that it may lack is none (S_FALSE) when empty.
    template <class Out, class Fact>
    HRESULT get(const VARIANT& id, Out* out, Fact Facts::*fact, bool mayLack = false) const
    {
        return on(id, out, [&](const Target& target) {
            const Fact value = facts(target).*fact;
            return mayLack && value == Fact{} ? S_FALSE : put(out, value);
        });
    }

    Facts facts(const Target& target) const
    {
        const HWND hwnd = host().hwnd();
        const Control* control = target.control;
        Facts facts;
        facts.state = IsWindowVisible(hwnd) ? 0 : STATE_SYSTEM_INVISIBLE;
        if (control == nullptr) {
            // A dialog's text is read when it comes up.
            facts.role = link_->form()->layout().dialog ? ROLE_SYSTEM_DIALOG : ROLE_SYSTEM_CLIENT;
            wchar_t title[256] = {};
            GetWindowTextW(hwnd, title, 256);
            facts.name = fromWide(title);
            GetClientRect(hwnd, &facts.box);
        } else if (target.line >= 0) {
            facts.name = control->accessibleLines()[static_cast<std::size_t>(target.line)];
            facts.box = host().lineBox(*control, target.line);
        } else {
            const std::vector<std::u16string> lines = control->accessibleLines();
            facts.name = lines.size() > 1 ? lines[0] : control->accessibleName();
            for (std::size_t i = 1; i < lines.size(); ++i)
                facts.name += u"\r\n" + lines[i];
            facts.description = control->accessibleDescription();
            facts.action = control->accessibleAction();
            if (control->accessibleRole() == AccessibleRole::PushButton)
                facts.role = ROLE_SYSTEM_PUSHBUTTON;
            facts.box = host().controlBox(*control);
        }
        const bool focused = control == nullptr ? GetFocus() == hwnd : link_->focused() == control;
        if (control == nullptr || (target.line < 0 && control->takesFocus()))
            facts.state |= STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&facts.box), 2);
        return facts;
    }

    long childCount() const { return own() ? lineCount(*own()) : long(link_->children().size()); }
    // A child that is an object of its own: a label of several lines.
    bool isObject(long id) const
    {
        const Control* control = self_ == CHILDID_SELF ? link_->child(id) : nullptr;
        return control != nullptr && lineCount(*control) > 0;
    }
    // A child as a reader gets it: an object of its own, or an id of this one.
    HRESULT child(long id, VARIANT* out) const
    {
        if (!isObject(id))
            return put(out, id);
        out->vt = VT_DISPATCH;
        out->pdispVal = makeAccessibleObject(link_, id);
        return S_OK;
    }

    std::shared_ptr<AccessibleLink> link_;
    long self_;
};

} // namespace

IAccessible* makeAccessibleObject(std::shared_ptr<AccessibleLink> link, long self)
{
    return new AccessibleObject(std::move(link), self);
}

} // namespace forms::win32
