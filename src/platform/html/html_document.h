// The document object model as the system reads it: a document with its
// element collection, title and location.
#pragma once

#include "platform/html/html_ids.h"

struct IHTMLElementCollection : IDispatch {
    static const IID& Iid() { return IID_IHTMLElementCollection; }

    virtual HRESULT get_length(LONG* length) = 0;
    // name holds the index (VT_UINT, VT_I4 or VT_I2); index is unused.
    // *element is null when there is no such item.
    virtual HRESULT item(VARIANT name, VARIANT index, IDispatch** element) = 0;

protected:
    ~IHTMLElementCollection() = default;
};

struct IHTMLLocation : IDispatch {
    static const IID& Iid() { return IID_IHTMLLocation; }

    virtual HRESULT get_href(BSTR* value) = 0;
    virtual HRESULT get_host(BSTR* value) = 0;     // "host:port" when a port is given
    virtual HRESULT get_protocol(BSTR* value) = 0; // with its colon: "http:"

protected:
    ~IHTMLLocation() = default;
};

struct IHTMLDocument2 : IDispatch {
    static const IID& Iid() { return IID_IHTMLDocument2; }

    // Every element, in document order.
    virtual HRESULT get_all(IHTMLElementCollection** all) = 0;
    virtual HRESULT get_title(BSTR* title) = 0;
    virtual HRESULT get_location(IHTMLLocation** location) = 0;

protected:
    ~IHTMLDocument2() = default;
};
