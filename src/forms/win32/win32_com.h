// The COM side of an object the backend hands to other processes: reference
// counting and the interfaces it answers to, written once.
#pragma once

#include "forms/win32/win32_system.h"

#include <ole2.h>

namespace forms::win32 {

// Clears an answer a caller made room for (no text, no object, an empty
// variant, 0), if it did, and returns `result`.
template <class Out> HRESULT cleared(Out* out, HRESULT result)
{
    if (out != nullptr)
        *out = Out{};
    return result;
}

// An object of `Interface`, an interface derived from IDispatch, made with one
// reference and deleted with its last. Callers use `Interface` directly, so
// IDispatch has no type information and invokes nothing.
template <class Interface> class DispatchObject : public Interface
{
public:
    DispatchObject() = default;
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        const bool known =
            iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(Interface);
        *out = known ? static_cast<Interface*>(this) : nullptr;
        return known ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++refs_; }
    STDMETHOD_(ULONG, Release)() override
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHOD(GetTypeInfoCount)(UINT* count) override
    {
        return count == nullptr ? E_POINTER : cleared(count, S_OK);
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo** info) override
    {
        return cleared(info, E_NOTIMPL);
    }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

protected:
    virtual ~DispatchObject() = default;

private:
    ULONG refs_ = 1;
};

} // namespace forms::win32
