#include "forms/win32/win32_accessible_object.h"

#include "forms/win32/win32_com.h"

#include <algorithm>
#include <array>

namespace forms::win32 {

AccessibleTree AccessibleLink::tree() const
{
    RECT client{};
    GetClientRect(host->hwnd(), &client);
    return AccessibleTree(*form(), {client.right, client.bottom}, TableShape::Rows);
}

Control* AccessibleLink::control(long id) const
{
    const auto found = form() != nullptr ? tree().child({}, id) : std::nullopt;
    return found ? found->control : nullptr;
}

long AccessibleLink::idOf(const Control& control) const
{
    return form() != nullptr ? tree().indexOf(control) : 0;
}

namespace {

// Everything a reader may read of one element; `box` is on the screen.
struct Facts
{
    std::u16string name, description, action;
    long role, state;
    RECT box;
};

// By AccessibleRole (None is never in the tree).
constexpr std::array<long, 9> kRoles{
    ROLE_SYSTEM_CLIENT, ROLE_SYSTEM_STATICTEXT, ROLE_SYSTEM_PUSHBUTTON,
    ROLE_SYSTEM_CLIENT, ROLE_SYSTEM_DIALOG,     ROLE_SYSTEM_TABLE,
    ROLE_SYSTEM_ROW,    ROLE_SYSTEM_CELL,       ROLE_SYSTEM_COLUMNHEADER};

// The element an object of its own belongs to: a row to the table, anything
// else to the client area.
AccessibleElement parentOf(const AccessibleElement& element)
{
    if (element.control == nullptr && element.tableRow >= 0)
        return {nullptr, -1, kWholeTable};
    return {};
}

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

constexpr std::array<std::pair<LONG, AccessibleStep>, 4> kSteps{{
    {NAVDIR_FIRSTCHILD, AccessibleStep::FirstChild},
    {NAVDIR_LASTCHILD, AccessibleStep::LastChild},
    {NAVDIR_NEXT, AccessibleStep::Next},
    {NAVDIR_PREVIOUS, AccessibleStep::Previous},
}};

class AccessibleObject final : public DispatchObject<IAccessible>
{
public:
    AccessibleObject(std::shared_ptr<AccessibleLink> link, const AccessibleElement& self)
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
        return on(id, left, [&](const AccessibleElement& target) {
            const RECT box = facts(target).box;
            *left = box.left, *top = box.top;
            *width = box.right - box.left, *height = box.bottom - box.top;
            return S_OK;
        });
    }

    STDMETHOD(get_accValue)(VARIANT id, BSTR* out) override
    {
        return on(id, out, [](const AccessibleElement&) { return none; });
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
        return on(selfId(), out, [&](const AccessibleElement&) {
            if (!(self_ == AccessibleElement{}))
                return *out = makeAccessibleObject(link_, parentOf(self_)), S_OK;
            return AccessibleObjectFromWindow(host().hwnd(), static_cast<DWORD>(OBJID_WINDOW),
                                              __uuidof(IDispatch), reinterpret_cast<void**>(out));
        });
    }
    STDMETHOD(get_accChildCount)(LONG* out) override
    {
        return on(selfId(), out, [&](const AccessibleElement& self) {
            return *out = link_->tree().childCount(self), S_OK;
        });
    }
    // A simple element is reached through this object with its id.
    STDMETHOD(get_accChild)(VARIANT id, IDispatch** out) override
    {
        return on(id, out, [&](const AccessibleElement& target) {
            if (id.lVal == CHILDID_SELF)
                return E_INVALIDARG;
            return isObject(target) ? (*out = makeAccessibleObject(link_, target), S_OK) : S_FALSE;
        });
    }

    STDMETHOD(get_accFocus)(VARIANT* out) override
    {
        return on(selfId(), out, [&](const AccessibleElement& self) {
            const Control* focused = link_->tree().focus();
            if (!(self == AccessibleElement{}))
                return self.control != nullptr && focused == self.control ? put(out, CHILDID_SELF)
                                                                          : S_FALSE;
            if (focused != nullptr)
                return child(link_->idOf(*focused), out);
            return GetFocus() == host().hwnd() ? put(out, CHILDID_SELF) : S_FALSE;
        });
    }

    // A reader may give the focus to a button that is a window of its own.
    STDMETHOD(accSelect)(LONG flags, VARIANT id) override
    {
        return on(id, [&](const AccessibleElement& target) {
            if (flags != SELFLAG_TAKEFOCUS || target.control == nullptr ||
                !link_->tree().focusable(target))
                return none;
            const long control = link_->idOf(*target.control);
            for (const auto& [native, nativeId] : link_->natives)
                if (nativeId == control && SetFocus(native) != nullptr)
                    return S_OK;
            return S_FALSE;
        });
    }

    // The children one after the other; the siblings of this object itself
    // belong to its parent.
    STDMETHOD(accNavigate)(LONG direction, VARIANT start, VARIANT* out) override
    {
        return on(start, out, [&](const AccessibleElement&) {
            const auto step = std::find_if(kSteps.begin(), kSteps.end(),
                                           [&](const auto& s) { return s.first == direction; });
            if (step == kSteps.end())
                return none;
            const bool ends = step->second == AccessibleStep::FirstChild ||
                              step->second == AccessibleStep::LastChild;
            if (ends != (start.lVal == CHILDID_SELF))
                return ends ? E_INVALIDARG : S_FALSE;
            const long to = link_->tree().step(self_, start.lVal, step->second);
            return to != 0 ? child(to, out) : S_FALSE;
        });
    }

    STDMETHOD(accHitTest)(LONG x, LONG y, VARIANT* out) override
    {
        return on(selfId(), out, [&](const AccessibleElement& self) {
            POINT at{x, y};
            ScreenToClient(host().hwnd(), &at);
            const std::optional<long> hit = link_->tree().hitTest(self, {at.x, at.y});
            return hit ? child(*hit, out) : S_FALSE;
        });
    }

    // As a click would, but after the reader's call has returned: a handler may
    // open a window or end the program, and a reader must not wait on either.
    // A press still waiting when the window goes goes with it.
    STDMETHOD(accDoDefaultAction)(VARIANT id) override
    {
        return on(id, [&](const AccessibleElement& target) {
            if (facts(target).action.empty())
                return none;
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
        if (id.lVal == CHILDID_SELF)
            return answer(self_);
        const std::optional<AccessibleElement> target = link_->tree().child(self_, id.lVal);
        return target ? answer(*target) : E_INVALIDARG;
    }
    // One fact of an element; one that it may lack is none (S_FALSE) when empty.
    template <class Fact> using FactOf = Fact Facts::*;
    template <class Out, class Fact>
    HRESULT get(const VARIANT& id, Out* out, FactOf<Fact> fact, bool mayLack = false) const
    {
        return on(id, out, [&](const AccessibleElement& target) {
            const Fact value = facts(target).*fact;
            return mayLack && value == Fact{} ? S_FALSE : put(out, value);
        });
    }

    Facts facts(const AccessibleElement& target) const
    {
        const AccessibleTree tree = link_->tree();
        const HWND hwnd = host().hwnd();
        const bool focused =
            target.control == nullptr ? GetFocus() == hwnd : tree.focus() == target.control;
        Facts facts{tree.name(target, u"\r\n"),
                    tree.description(target),
                    tree.action(target),
                    kRoles[static_cast<std::size_t>(tree.role(target))],
                    IsWindowVisible(hwnd) ? 0 : STATE_SYSTEM_INVISIBLE,
                    toRECT(tree.box(target))};
        if (tree.focusable(target))
            facts.state |= STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&facts.box), 2);
        return facts;
    }

    // A child that is an object of its own: the table, its rows, a label of
    // several lines.
    bool isObject(const AccessibleElement& child) const
    {
        return !(child == AccessibleElement{}) && link_->tree().isParent(child);
    }
    // A child as a reader gets it: an object of its own, or an id of this one.
    HRESULT child(long id, VARIANT* out) const
    {
        const auto target = link_->tree().child(self_, id);
        if (!target || !isObject(*target))
            return put(out, id);
        out->vt = VT_DISPATCH;
        out->pdispVal = makeAccessibleObject(link_, *target);
        return S_OK;
    }

    std::shared_ptr<AccessibleLink> link_;
    AccessibleElement self_; // the client area, the table, a row, or a label of several lines
};

} // namespace

IAccessible* makeAccessibleObject(std::shared_ptr<AccessibleLink> link,
                                  const AccessibleElement& self)
{
    return new AccessibleObject(std::move(link), self);
}

} // namespace forms::win32
