// Element interfaces by kind. An element offers only the interfaces of its
// kind (QueryInterface answers E_NOINTERFACE for the others), so a visitor
// skips what does not fit:
//   input text, password, hidden  -> IHTMLInputTextElement
//   input submit, button, reset   -> IHTMLInputButtonElement
//   a                             -> IHTMLAnchorElement
//   select                        -> IHTMLSelectElement
//   script                        -> IHTMLScriptElement
// and every element -> IHTMLElement.
#pragma once

#include "platform/html/html_ids.h"

struct IHTMLElement : IDispatch {
    static const IID& Iid() { return IID_IHTMLElement; }
    virtual HRESULT click() = 0;

protected:
    ~IHTMLElement() = default;
};

struct IHTMLInputTextElement : IDispatch {
    static const IID& Iid() { return IID_IHTMLInputTextElement; }
    virtual HRESULT get_name(BSTR* value) = 0;
    virtual HRESULT get_value(BSTR* value) = 0;
    virtual HRESULT put_value(const BSTR& value) = 0;

protected:
    ~IHTMLInputTextElement() = default;
};

struct IHTMLInputButtonElement : IDispatch {
    static const IID& Iid() { return IID_IHTMLInputButtonElement; }
    virtual HRESULT get_type(BSTR* value) = 0;

protected:
    ~IHTMLInputButtonElement() = default;
};

struct IHTMLAnchorElement : IDispatch {
    static const IID& Iid() { return IID_IHTMLAnchorElement; }
    virtual HRESULT get_href(BSTR* value) = 0;

protected:
    ~IHTMLAnchorElement() = default;
};

struct IHTMLSelectElement : IDispatch {
    static const IID& Iid() { return IID_IHTMLSelectElement; }
    virtual HRESULT get_name(BSTR* value) = 0;
    virtual HRESULT get_value(BSTR* value) = 0;
    virtual HRESULT get_length(LONG* options) = 0;

protected:
    ~IHTMLSelectElement() = default;
};

struct IHTMLScriptElement : IDispatch {
    static const IID& Iid() { return IID_IHTMLScriptElement; }
    virtual HRESULT get_text(BSTR* value) = 0;
    virtual HRESULT put_text(const BSTR& value) = 0;

protected:
    ~IHTMLScriptElement() = default;
};
