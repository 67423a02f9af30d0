// A browser (the top-level one of a control, or a frame's). Events of the
// control go to the sinks advised on its IConnectionPoint; the host site
// is given through IOleObject::SetClientSite.
#pragma once

#include "platform/html/html_ids.h"

struct IWebBrowser2 : IDispatch {
    static const IID& Iid() { return IID_IWebBrowser2; }

    // url as UTF-16; flags, target frame, post data and headers may be null.
    virtual HRESULT Navigate(const BSTR& url, VARIANT* flags, VARIANT* targetFrame,
                             VARIANT* postData, VARIANT* headers) = 0;
    virtual HRESULT Refresh() = 0;
    // The automation object of the control: what a NewWindow2 handler returns.
    virtual HRESULT get_Application(IDispatch** application) = 0;
    // The current document (IHTMLDocument2 through QueryInterface); null before one.
    virtual HRESULT get_Document(IDispatch** document) = 0;
    virtual HRESULT get_Left(LONG* value) = 0;
    virtual HRESULT get_Top(LONG* value) = 0;
    virtual HRESULT get_Width(LONG* value) = 0;
    virtual HRESULT put_Width(LONG value) = 0;
    virtual HRESULT get_Height(LONG* value) = 0;
    virtual HRESULT put_Height(LONG value) = 0;
    virtual HRESULT put_RegisterAsBrowser(VARIANT_BOOL value) = 0;

protected:
    ~IWebBrowser2() = default;
};
