#include "backend/sim/sim_element.h"

namespace qv::sim {

using qv::com::ComPtr;
using qv::com::FromBstr;
using qv::com::ToBstr;

ComPtr<SimElement> SimElement::InputText(std::string name, std::string value) {
    ComPtr<SimElement> e(new SimElement(ElementKind::InputText, "input"));
    e->name_ = std::move(name);
    e->value_ = std::move(value);
    e->type_ = "text";
    return e;
}

ComPtr<SimElement> SimElement::InputButton(std::string type, std::string name) {
    ComPtr<SimElement> e(new SimElement(ElementKind::InputButton, "input"));
    e->type_ = std::move(type);
    e->name_ = std::move(name);
    return e;
}

ComPtr<SimElement> SimElement::Anchor(std::string href) {
    ComPtr<SimElement> e(new SimElement(ElementKind::Anchor, "a"));
    e->href_ = std::move(href);
    return e;
}

ComPtr<SimElement> SimElement::Select(std::string name, std::string value, LONG options) {
    ComPtr<SimElement> e(new SimElement(ElementKind::Select, "select"));
    e->name_ = std::move(name);
    e->value_ = std::move(value);
    e->options_ = options;
    return e;
}

ComPtr<SimElement> SimElement::Script(std::string text) {
    ComPtr<SimElement> e(new SimElement(ElementKind::Script, "script"));
    e->text_ = std::move(text);
    return e;
}

ComPtr<SimElement> SimElement::Other(std::string tag) {
    return ComPtr<SimElement>(new SimElement(ElementKind::Other, std::move(tag)));
}

HRESULT SimElement::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch)
        *object = AsDispatch();
    else if (iid == IID_IHTMLElement && offersElement_)
        *object = static_cast<IHTMLElement*>(this);
    else if (iid == IID_IHTMLInputTextElement && kind_ == ElementKind::InputText)
        *object = static_cast<IHTMLInputTextElement*>(this);
    else if (iid == IID_IHTMLInputButtonElement && kind_ == ElementKind::InputButton)
        *object = static_cast<IHTMLInputButtonElement*>(this);
    else if (iid == IID_IHTMLAnchorElement && kind_ == ElementKind::Anchor)
        *object = static_cast<IHTMLAnchorElement*>(this);
    else if (iid == IID_IHTMLSelectElement && kind_ == ElementKind::Select)
        *object = static_cast<IHTMLSelectElement*>(this);
    else if (iid == IID_IHTMLScriptElement && kind_ == ElementKind::Script)
        *object = static_cast<IHTMLScriptElement*>(this);
    if (!*object)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT SimElement::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}

std::string SimElement::Label() const {
    if (!name_.empty())
        return tag_ + ":" + name_;
    if (!href_.empty())
        return tag_ + ":" + href_;
    if (!type_.empty())
        return tag_ + ":" + type_;
    return tag_;
}

void SimElement::Log(const std::string& line) {
    if (log_)
        log_->Add(line);
}

HRESULT SimElement::click() {
    if (detached_)
        return E_FAIL;
    ++clicks_;
    Log("click(" + Label() + ")");
    if (onClick_)
        onClick_();
    return S_OK;
}

HRESULT SimElement::get_name(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = ToBstr(name_);
    return S_OK;
}

HRESULT SimElement::get_value(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = ToBstr(value_);
    return S_OK;
}

HRESULT SimElement::put_value(const BSTR& value) {
    if (failWrites_ || detached_)
        return E_FAIL;
    value_ = FromBstr(value);
    Log("value(" + Label() + ") = \"" + value_ + "\"");
    return S_OK;
}

HRESULT SimElement::get_type(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = ToBstr(type_);
    return S_OK;
}

HRESULT SimElement::get_href(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = ToBstr(href_);
    return S_OK;
}

HRESULT SimElement::get_length(LONG* options) {
    if (!options)
        return E_POINTER;
    *options = options_;
    return S_OK;
}

HRESULT SimElement::get_text(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = ToBstr(text_);
    return S_OK;
}

HRESULT SimElement::put_text(const BSTR& value) {
    if (failWrites_ || detached_)
        return E_FAIL;
    text_ = FromBstr(value);
    Log("text(" + Label() + ") = \"" + text_ + "\"");
    return S_OK;
}

} // namespace qv::sim
