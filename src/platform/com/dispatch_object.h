// Counted objects with dispatch interfaces and no late binding: what the
// page objects of a browser are.
#pragma once

#include "platform/com/dispatch.h"
#include "platform/com/ref_counted.h"

namespace qv::com {

// Counted objects whose dispatch interfaces are called early-bound only:
// the type information and late-binding members answer that there is none.
template <class... Interfaces> class EarlyBound : public RefCounted<Interfaces...> {
public:
    HRESULT GetTypeInfoCount(UINT* count) override {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

template <class Interface> class DispatchObject : public EarlyBound<Interface> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != Interface::Iid())
            return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
    }
};

} // namespace qv::com
