// Event delivery: a source calls the Invoke of each advised sink with the
// event's DISPID and arguments.
#pragma once

#include "platform/com/dispatch.h"

struct IConnectionPoint : IUnknown {
    static const IID& Iid() { return IID_IConnectionPoint; }

    // The source holds a reference to the sink until Unadvise.
    virtual HRESULT Advise(IDispatch* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};
