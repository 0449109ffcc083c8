#include "forms/win32/win32_accessible.h"

#include <commctrl.h>
#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace forms::win32 {

class Element;

struct AccessibleLink : std::enable_shared_from_this<AccessibleLink>
{
    AccessibleHost* host = nullptr;
    std::vector<std::u16string> names;          // what each child last said, by id - 1
    std::vector<Element*> live;                 // every object handed out and not yet released
    std::vector<std::pair<HWND, long>> natives; // adopted windows and their child ids

    Form* form() const { return host != nullptr ? host->form() : nullptr; }
    bool visible() const { return form() != nullptr && IsWindowVisible(host->hwnd()); }
};

namespace {

// A reader sees every control but the lines, which only draw.
std::vector<Control*> children(const Form& form)
{
    std::vector<Control*> found;
    for (const auto& control : form.controls())
        if (control->accessibleRole() != AccessibleRole::None)
            found.push_back(control.get());
    return found;
}

Control* childOf(const AccessibleLink& link, long id)
{
    const Form* form = link.form();
    if (form == nullptr || id < 1)
        return nullptr;
    const std::vector<Control*> all = children(*form);
    return static_cast<std::size_t>(id) <= all.size() ? all[static_cast<std::size_t>(id - 1)]
                                                      : nullptr;
}

long idOf(const AccessibleLink& link, const Control& control)
{
    const Form* form = link.form();
    if (form == nullptr)
        return 0;
    const std::vector<Control*> all = children(*form);
    const auto found = std::find(all.begin(), all.end(), &control);
    return found == all.end() ? 0 : static_cast<long>(found - all.begin()) + 1;
}

// A label of several lines is an object of its own, its lines its children.
bool severalLines(const Control& control)
{
    return control.accessibleLines().size() > 1;
}

std::u16string nameOf(const Control& control)
{
    const std::vector<std::u16string> lines = control.accessibleLines();
    if (lines.size() < 2)
        return control.accessibleName();
    std::u16string text = lines.front();
    for (std::size_t i = 1; i < lines.size(); ++i)
        text += u"\r\n" + lines[i];
    return text;
}

HRESULT toBstr(std::u16string_view text, BSTR* out)
{
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

void setI4(VARIANT* out, long value)
{
    out->vt = VT_I4;
    out->lVal = value;
}

RECT toScreen(HWND hwnd, RECT box)
{
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

void press(const std::shared_ptr<AccessibleLink>& link, long id);

// An event about a child of a shown window. A window not yet shown has no
// reader listening; it reads what is there when the window shows.
void tell(const AccessibleLink& link, DWORD event, long id)
{
    if (link.visible())
        NotifyWinEvent(event, link.host->hwnd(), OBJID_CLIENT, id);
}

} // namespace

// One object a reader holds: the window's client area (self 0) or, as an
// object of its own, the control with child id `self`.
class Element final : public IAccessible
{
public:
    Element(std::shared_ptr<AccessibleLink> link, long self) : link_(std::move(link)), self_(self)
    {
        link_->live.push_back(this);
    }
    ~Element()
    {
        auto& live = link_->live;
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
    }
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: readers call IAccessible directly; there is no type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info != nullptr)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        if (parent == nullptr)
            return E_POINTER;
        *parent = nullptr;
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        if (self_ == CHILDID_SELF)
            return AccessibleObjectFromWindow(host().hwnd(), static_cast<DWORD>(OBJID_WINDOW),
                                              __uuidof(IDispatch),
                                              reinterpret_cast<void**>(parent));
        *parent = new Element(link_, CHILDID_SELF);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        *count = childCount();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        if (child.lVal == CHILDID_SELF)
            return E_INVALIDARG;
        if (self_ == CHILDID_SELF && severalLines(*target.control)) {
            *object = new Element(link_, child.lVal);
            return S_OK;
        }
        return S_FALSE; // a simple element, reached through this object with its id
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        if (name == nullptr)
            return E_POINTER;
        *name = nullptr;
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        if (target.control == nullptr) {
            wchar_t title[256] = {};
            GetWindowTextW(host().hwnd(), title, 256);
            return toBstr(fromWide(title), name);
        }
        if (target.line >= 0)
            return toBstr(lineText(target), name);
        return toBstr(nameOf(*target.control), name);
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        if (value == nullptr)
            return E_POINTER;
        *value = nullptr;
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        if (description == nullptr)
            return E_POINTER;
        *description = nullptr;
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        if (target.control == nullptr || target.line >= 0)
            return S_FALSE;
        return toBstr(target.control->accessibleDescription(), description);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        if (role == nullptr)
            return E_POINTER;
        VariantInit(role);
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        long value = ROLE_SYSTEM_CLIENT;
        if (target.control != nullptr)
            value =
                target.line < 0 && target.control->accessibleRole() == AccessibleRole::PushButton
                    ? ROLE_SYSTEM_PUSHBUTTON
                    : ROLE_SYSTEM_STATICTEXT;
        setI4(role, value);
        return S_OK;
    }

    // Buttons are focusable and one of them focused; the rest has no state
    // but that of its window.
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        if (state == nullptr)
            return E_POINTER;
        VariantInit(state);
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        const HWND hwnd = host().hwnd();
        long value = IsWindowVisible(hwnd) ? 0 : STATE_SYSTEM_INVISIBLE;
        if (target.control == nullptr) {
            value |= STATE_SYSTEM_FOCUSABLE;
            if (GetFocus() == hwnd)
                value |= STATE_SYSTEM_FOCUSED;
        } else if (target.line < 0 && target.control->takesFocus()) {
            value |= STATE_SYSTEM_FOCUSABLE;
            if (host().focusedControl() == target.control)
                value |= STATE_SYSTEM_FOCUSED;
        }
        setI4(state, value);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override
    {
        if (help != nullptr)
            *help = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override
    {
        if (file != nullptr)
            *file = nullptr;
        if (topic != nullptr)
            *topic = 0;
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override
    {
        if (shortcut != nullptr)
            *shortcut = nullptr;
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        if (focus == nullptr)
            return E_POINTER;
        VariantInit(focus);
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        const Control* focused = host().focusedControl();
        if (self_ != CHILDID_SELF) {
            if (focused == nullptr || focused != childOf(*link_, self_))
                return S_FALSE;
            setI4(focus, CHILDID_SELF);
            return S_OK;
        }
        if (const long id = focused != nullptr ? idOf(*link_, *focused) : 0; id != 0)
            return childVariant(id, focus);
        if (GetFocus() != host().hwnd())
            return S_FALSE;
        setI4(focus, CHILDID_SELF);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        if (selection != nullptr)
            VariantInit(selection);
        return DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        if (action == nullptr)
            return E_POINTER;
        *action = nullptr;
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        if (target.control == nullptr || target.line >= 0)
            return S_FALSE;
        const std::u16string word = target.control->accessibleAction();
        return word.empty() ? S_FALSE : toBstr(word, action);
    }

    // A reader may give the focus to a button that is a window of its own.
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        if (flags != SELFLAG_TAKEFOCUS || target.control == nullptr || target.line >= 0 ||
            !target.control->takesFocus())
            return DISP_E_MEMBERNOTFOUND;
        const long id = idOf(*link_, *target.control);
        for (const auto& [native, nativeId] : link_->natives)
            if (nativeId == id && SetFocus(native) != nullptr)
                return S_OK;
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override
    {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        const RECT box = screenBox(target);
        *left = box.left;
        *top = box.top;
        *width = box.right - box.left;
        *height = box.bottom - box.top;
        return S_OK;
    }

    // The children one after the other, in declaration order (a label's lines
    // from the top).
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        if (end == nullptr)
            return E_POINTER;
        VariantInit(end);
        Target target;
        if (const HRESULT hr = resolve(start, target); FAILED(hr))
            return hr;
        const long count = childCount();
        const long from = start.lVal;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD:
            if (from != CHILDID_SELF)
                return E_INVALIDARG;
            if (count == 0)
                return S_FALSE;
            return childVariant(direction == NAVDIR_FIRSTCHILD ? 1 : count, end);
        case NAVDIR_NEXT:
        case NAVDIR_PREVIOUS: {
            if (from == CHILDID_SELF)
                return S_FALSE; // the siblings of this object belong to its parent
            const long to = from + (direction == NAVDIR_NEXT ? 1 : -1);
            if (to < 1 || to > count)
                return S_FALSE;
            return childVariant(to, end);
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override
    {
        if (child == nullptr)
            return E_POINTER;
        VariantInit(child);
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        const POINT screen{x, y};
        Target self;
        VARIANT selfId;
        setI4(&selfId, CHILDID_SELF);
        resolve(selfId, self);
        const RECT box = screenBox(self);
        if (!PtInRect(&box, screen))
            return S_FALSE;
        if (self.control == nullptr) {
            POINT client = screen;
            ScreenToClient(host().hwnd(), &client);
            const Control* hit = host().controlAt(client);
            const long id = hit != nullptr ? idOf(*link_, *hit) : 0;
            if (id != 0)
                return childVariant(id, child);
        } else if (severalLines(*self.control)) {
            for (long line = 1; line <= childCount(); ++line) {
                const RECT lineBox = screenBox({self.control, static_cast<int>(line - 1)});
                if (PtInRect(&lineBox, screen)) {
                    setI4(child, line);
                    return S_OK;
                }
            }
        }
        setI4(child, CHILDID_SELF);
        return S_OK;
    }

    // As a click would, but after the reader's call has returned: a handler may
    // open a window or end the program, and a reader must not wait on either.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        Target target;
        if (const HRESULT hr = resolve(child, target); FAILED(hr))
            return hr;
        if (target.control == nullptr || target.line >= 0 ||
            target.control->accessibleAction().empty())
            return DISP_E_MEMBERNOTFOUND;
        press(link_, idOf(*link_, *target.control));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    // What a call is about: the client area (no control), a control, or one
    // line of a label.
    struct Target
    {
        Control* control = nullptr;
        int line = -1;
    };

    bool connected() const { return link_->form() != nullptr; }
    AccessibleHost& host() const { return *link_->host; }

    HRESULT resolve(const VARIANT& child, Target& target) const
    {
        if (!connected())
            return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4)
            return E_INVALIDARG;
        const long id = child.lVal;
        if (self_ == CHILDID_SELF) {
            if (id == CHILDID_SELF)
                return S_OK;
            target.control = childOf(*link_, id);
            return target.control != nullptr ? S_OK : E_INVALIDARG;
        }
        target.control = childOf(*link_, self_);
        if (target.control == nullptr)
            return CO_E_OBJNOTCONNECTED;
        if (id == CHILDID_SELF)
            return S_OK;
        if (id < 1 || id > childCount())
            return E_INVALIDARG;
        target.line = static_cast<int>(id - 1);
        return S_OK;
    }

    long childCount() const
    {
        if (self_ == CHILDID_SELF)
            return static_cast<long>(children(*link_->form()).size());
        const Control* control = childOf(*link_, self_);
        if (control == nullptr || !severalLines(*control))
            return 0;
        return static_cast<long>(control->accessibleLines().size());
    }

    // A child as a reader gets it: an object of its own, or an id of this one.
    HRESULT childVariant(long id, VARIANT* out) const
    {
        const Control* control = self_ == CHILDID_SELF ? childOf(*link_, id) : nullptr;
        if (control != nullptr && severalLines(*control)) {
            out->vt = VT_DISPATCH;
            out->pdispVal = new Element(link_, id);
            return S_OK;
        }
        setI4(out, id);
        return S_OK;
    }

    std::u16string lineText(const Target& target) const
    {
        const std::vector<std::u16string> lines = target.control->accessibleLines();
        return static_cast<std::size_t>(target.line) < lines.size()
                   ? lines[static_cast<std::size_t>(target.line)]
                   : std::u16string();
    }

    RECT screenBox(const Target& target) const
    {
        const HWND hwnd = host().hwnd();
        RECT box{};
        if (target.control == nullptr)
            GetClientRect(hwnd, &box);
        else if (target.line >= 0)
            box = host().lineBox(*target.control, target.line);
        else
            box = host().controlBox(*target.control);
        return toScreen(hwnd, box);
    }

    std::shared_ptr<AccessibleLink> link_;
    long self_;
    ULONG refs_ = 1;
};

namespace {

// Presses waiting for the event loop, each on a timer of the thread.
struct PendingPress
{
    UINT_PTR timer;
    std::shared_ptr<AccessibleLink> link;
    long id;
};

std::vector<PendingPress>& pendingPresses()
{
    static std::vector<PendingPress> pending;
    return pending;
}

void CALLBACK pressNow(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    auto& pending = pendingPresses();
    const auto found = std::find_if(pending.begin(), pending.end(),
                                    [timer](const PendingPress& p) { return p.timer == timer; });
    if (found == pending.end())
        return;
    const PendingPress press = *found;
    pending.erase(found);
    // The window may have gone, or changed, since the reader asked.
    if (Control* control = childOf(*press.link, press.id))
        press.link->host->press(*control);
}

void press(const std::shared_ptr<AccessibleLink>& link, long id)
{
    const UINT_PTR timer = SetTimer(nullptr, 0, 0, &pressNow);
    if (timer != 0)
        pendingPresses().push_back({timer, link, id});
}

// An adopted native control: its own object is its element. The system tells
// of its focus with that object, so a reader that follows the focus hears the
// element's name; an event of ours besides would make it speak twice.
LRESULT CALLBACK nativeProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR data)
{
    auto* link = reinterpret_cast<AccessibleLink*>(data);
    const long child = static_cast<long>(id);
    switch (message) {
    case WM_GETOBJECT:
        if (static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT &&
            childOf(*link, child) != nullptr) {
            auto* element = new Element(link->shared_from_this(), child);
            const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, element);
            element->Release();
            return result;
        }
        break;
    case WM_NCDESTROY: {
        RemoveWindowSubclass(hwnd, &nativeProcedure, id);
        auto& natives = link->natives;
        natives.erase(std::remove(natives.begin(), natives.end(), std::make_pair(hwnd, child)),
                      natives.end());
        break;
    }
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

AccessibleBridge::AccessibleBridge(AccessibleHost& host) : link_(std::make_shared<AccessibleLink>())
{
    link_->host = &host;
    if (const Form* form = host.form())
        for (const Control* control : children(*form))
            link_->names.push_back(control->accessibleName());
}

AccessibleBridge::~AccessibleBridge()
{
    retire();
}

LRESULT AccessibleBridge::getObject(WPARAM wParam, LPARAM lParam)
{
    // The object id comes as a 32-bit value, sign-extended or not.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || link_->form() == nullptr)
        return 0;
    auto* root = new Element(link_, CHILDID_SELF);
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, root);
    root->Release();
    return result;
}

void AccessibleBridge::adopt(HWND native, const Control& control)
{
    const long id = idOf(*link_, control);
    if (id == 0 || !SetWindowSubclass(native, &nativeProcedure, static_cast<UINT_PTR>(id),
                                      reinterpret_cast<DWORD_PTR>(link_.get())))
        return;
    link_->natives.emplace_back(native, id);
}

void AccessibleBridge::nameChanged(const Control& control)
{
    const long id = idOf(*link_, control);
    if (id == 0 || static_cast<std::size_t>(id) > link_->names.size())
        return;
    std::u16string name = control.accessibleName();
    std::u16string& last = link_->names[static_cast<std::size_t>(id - 1)];
    if (name == last)
        return;
    last = std::move(name);
    tell(*link_, EVENT_OBJECT_NAMECHANGE, id);
}

void AccessibleBridge::descriptionChanged(const Control& control)
{
    if (const long id = idOf(*link_, control); id != 0)
        tell(*link_, EVENT_OBJECT_DESCRIPTIONCHANGE, id);
}

void AccessibleBridge::shown()
{
    if (link_->form() != nullptr)
        NotifyWinEvent(EVENT_OBJECT_SHOW, link_->host->hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleBridge::hidden()
{
    if (link_->form() != nullptr)
        NotifyWinEvent(EVENT_OBJECT_HIDE, link_->host->hwnd(), OBJID_CLIENT, CHILDID_SELF);
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
    const std::vector<Element*> live = link_->live;
    for (Element* element : live) {
        element->AddRef();
        CoDisconnectObject(static_cast<IAccessible*>(element), 0);
        element->Release();
    }
}

} // namespace forms::win32
