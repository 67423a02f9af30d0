// The base of every interface: identity and a reference count.
#pragma once

#include "platform/com/guid.h"

struct IUnknown {
    static const IID& Iid() { return IID_IUnknown; }

    // Clears *object and answers E_NOINTERFACE when the interface is not offered.
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;
