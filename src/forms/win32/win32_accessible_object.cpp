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
    return id >= 1 && id <= static_cast<long>(all.size()) ? all[static_cast<std::size_t>(id - 1)]
                                                          : nullptr;
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

    bool wholeControl() const { return control != nullptr && line < 0; }
};

// Everything a reader may read of one element.
struct Facts
{
    std::u16string name, description, action;
    long role = ROLE_SYSTEM_CLIENT;
    long state = 0;
};

HRESULT toBstr(const std::u16string& text, BSTR* out)
{
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT setI4(VARIANT* out, long value)
{
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

// An answer before there is one: no text, no object, an empty variant, 0.
template <class Out> void clear(Out* out)
{
    *out = Out{};
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

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return on(selfId(), parent, [&](Target) {
            if (self_ != CHILDID_SELF)
                return *parent = makeAccessibleObject(link_, CHILDID_SELF), S_OK;
            return AccessibleObjectFromWindow(host().hwnd(), static_cast<DWORD>(OBJID_WINDOW),
                                              __uuidof(IDispatch),
                                              reinterpret_cast<void**>(parent));
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        return on(selfId(), count, [&](Target) { return *count = childCount(), S_OK; });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return on(child, object, [&](Target target) {
            if (child.lVal == CHILDID_SELF)
                return E_INVALIDARG;
            if (self_ != CHILDID_SELF || lineCount(*target.control) == 0)
                return S_FALSE; // a simple element, reached through this object with its id
            return *object = makeAccessibleObject(link_, child.lVal), S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override
    {
        return on(child, out, [&](Target t) { return toBstr(facts(t).name, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override
    {
        return text(child, out, &Facts::description);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override
    {
        return text(child, out, &Facts::action);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override
    {
        return on(child, out, [&](Target t) { return setI4(out, facts(t).role); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override
    {
        return on(child, out, [&](Target t) { return setI4(out, facts(t).state); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return on(child, value, [](Target) { return DISP_E_MEMBERNOTFOUND; });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return none(help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override
    {
        none(topic);
        return none(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* keys) override
    {
        return none(keys);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return none(selection);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        return on(selfId(), focus, [&](Target target) {
            const Control* focused = link_->focused();
            if (self_ != CHILDID_SELF)
                return focused == target.control ? setI4(focus, CHILDID_SELF) : S_FALSE;
            if (const long id = focused != nullptr ? link_->idOf(*focused) : 0)
                return childVariant(id, focus);
            return GetFocus() == host().hwnd() ? setI4(focus, CHILDID_SELF) : S_FALSE;
        });
    }

    // A reader may give the focus to a button that is a window of its own.
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        return on(child, [&](Target target) {
            if (flags != SELFLAG_TAKEFOCUS || !target.wholeControl() ||
                !target.control->takesFocus())
                return DISP_E_MEMBERNOTFOUND;
            const long id = link_->idOf(*target.control);
            for (const auto& [native, nativeId] : link_->natives)
                if (nativeId == id && SetFocus(native) != nullptr)
                    return S_OK;
            return S_FALSE;
        });
    }

    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override
    {
        if (top == nullptr || width == nullptr || height == nullptr)
            return E_POINTER;
        *top = *width = *height = 0;
        return on(child, left, [&](Target target) {
            const RECT box = screenBox(target);
            *left = box.left, *top = box.top;
            *width = box.right - box.left, *height = box.bottom - box.top;
            return S_OK;
        });
    }

    // The children one after the other, in declaration order (a label's lines
    // from the top); the siblings of this object itself belong to its parent.
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        return on(start, end, [&](Target) {
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
            return to >= 1 && to <= count ? childVariant(to, end) : S_FALSE;
        });
    }

    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override
    {
        return on(selfId(), child, [&](Target self) {
            const POINT at{x, y};
            if (const RECT box = screenBox(self); !PtInRect(&box, at))
                return S_FALSE;
            POINT client = at;
            ScreenToClient(host().hwnd(), &client);
            const Control* hit = self.control == nullptr ? host().controlAt(client) : nullptr;
            if (const long id = hit != nullptr ? link_->idOf(*hit) : 0)
                return childVariant(id, child);
            for (int line = 0; self.control != nullptr && line < childCount(); ++line)
                if (const RECT box = screenBox({self.control, line}); PtInRect(&box, at))
                    return setI4(child, line + 1);
            return setI4(child, CHILDID_SELF);
        });
    }

    // As a click would, but after the reader's call has returned: a handler may
    // open a window or end the program, and a reader must not wait on either.
    // A press still waiting when the window goes goes with it.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return on(child, [&](Target target) {
            if (facts(target).action.empty())
                return DISP_E_MEMBERNOTFOUND;
            PostMessageW(host().hwnd(), AccessibleBridge::kPressMessage,
                         static_cast<WPARAM>(link_->idOf(*target.control)), 0);
            return S_OK;
        });
    }

private:
    static VARIANT selfId()
    {
        VARIANT id;
        VariantInit(&id);
        setI4(&id, CHILDID_SELF);
        return id;
    }

    AccessibleHost& host() const { return *link_->host; }

    // What `child` names for this object: the one way every call finds its target.
    HRESULT resolve(const VARIANT& child, Target& target) const
    {
        if (link_->form() == nullptr)
            return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4)
            return E_INVALIDARG;
        const long id = child.lVal;
        if (self_ == CHILDID_SELF) {
            target.control = id == CHILDID_SELF ? nullptr : link_->child(id);
            return id == CHILDID_SELF || target.control != nullptr ? S_OK : E_INVALIDARG;
        }
        target = {link_->child(self_), static_cast<int>(id) - 1};
        if (target.control == nullptr)
            return CO_E_OBJNOTCONNECTED;
        return id == CHILDID_SELF || (id >= 1 && id <= childCount()) ? S_OK : E_INVALIDARG;
    }

    // Resolves the child, then answers for it; with an answer to give, first
    // clears it.
    template <class Answer> HRESULT on(const VARIANT& child, Answer&& answer) const
    {
        Target target;
        const HRESULT hr = resolve(child, target);
        return FAILED(hr) ? hr : answer(target);
    }
    template <class Out, class Answer>
    HRESULT on(const VARIANT& child, Out* out, Answer&& answer) const
    {
        if (out == nullptr)
            return E_POINTER;
        clear(out);
        return on(child, answer);
    }
    // A text that an element may not have.
    HRESULT text(const VARIANT& child, BSTR* out, std::u16string Facts::*which) const
    {
        return on(child, out, [&](Target target) {
            const std::u16string value = facts(target).*which;
            return value.empty() ? S_FALSE : toBstr(value, out);
        });
    }
    template <class Out> static HRESULT none(Out* out)
    {
        if (out != nullptr)
            clear(out);
        return DISP_E_MEMBERNOTFOUND;
    }

    Facts facts(const Target& target) const
    {
        Facts facts;
        const HWND hwnd = host().hwnd();
        facts.state = IsWindowVisible(hwnd) ? 0 : STATE_SYSTEM_INVISIBLE;
        if (target.control == nullptr) {
            // A dialog's text is read when it comes up.
            if (link_->form()->layout().dialog)
                facts.role = ROLE_SYSTEM_DIALOG;
            wchar_t title[256] = {};
            GetWindowTextW(hwnd, title, 256);
            facts.name = fromWide(title);
            facts.state |= STATE_SYSTEM_FOCUSABLE | (GetFocus() == hwnd ? STATE_SYSTEM_FOCUSED : 0);
            return facts;
        }
        const Control& control = *target.control;
        const std::vector<std::u16string> lines = control.accessibleLines();
        facts.role = ROLE_SYSTEM_STATICTEXT;
        if (target.line >= 0) {
            const auto line = static_cast<std::size_t>(target.line);
            facts.name = line < lines.size() ? lines[line] : u"";
            return facts;
        }
        facts.name = lines.size() < 2 ? control.accessibleName() : u"";
        for (std::size_t i = 0; lines.size() > 1 && i < lines.size(); ++i)
            facts.name += (i > 0 ? u"\r\n" : u"") + lines[i];
        facts.description = control.accessibleDescription();
        facts.action = control.accessibleAction();
        if (control.accessibleRole() == AccessibleRole::PushButton)
            facts.role = ROLE_SYSTEM_PUSHBUTTON;
        if (control.takesFocus())
            facts.state |=
                STATE_SYSTEM_FOCUSABLE | (link_->focused() == &control ? STATE_SYSTEM_FOCUSED : 0);
        return facts;
    }

    long childCount() const
    {
        if (self_ == CHILDID_SELF)
            return static_cast<long>(link_->children().size());
        const Control* control = link_->child(self_);
        return control != nullptr ? lineCount(*control) : 0;
    }

    // A child as a reader gets it: an object of its own, or an id of this one.
    HRESULT childVariant(long id, VARIANT* out) const
    {
        const Control* control = self_ == CHILDID_SELF ? link_->child(id) : nullptr;
        if (control == nullptr || lineCount(*control) == 0)
            return setI4(out, id);
        out->vt = VT_DISPATCH;
        out->pdispVal = makeAccessibleObject(link_, id);
        return S_OK;
    }

    RECT screenBox(const Target& target) const
    {
        const HWND hwnd = host().hwnd();
        RECT box{};
        if (target.control == nullptr)
            GetClientRect(hwnd, &box);
        else
            box = target.line >= 0 ? host().lineBox(*target.control, target.line)
                                   : host().controlBox(*target.control);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&box), 2);
        return box;
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
