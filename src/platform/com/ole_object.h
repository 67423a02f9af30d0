// A hosted control's link to its site: the control asks the site (through
// QueryInterface) for host interfaces such as IDocHostUIHandler.
#pragma once

#include "platform/com/unknown.h"

struct IOleObject : IUnknown {
    static const IID& Iid() { return IID_IOleObject; }

    // The control holds a reference to the site until it gets null.
    virtual HRESULT SetClientSite(IUnknown* site) = 0;

protected:
    ~IOleObject() = default;
};
