#include "platform/html/page_element.h"

namespace qv::html {

using com::FromBstr;

namespace {

HRESULT Put(BSTR* out, const std::string& text) {
    if (!out)
        return E_POINTER;
    *out = com::ToBstr(text);
    return S_OK;
}

} // namespace

PageElement::PageElement(std::shared_ptr<const PageContent> content, std::size_t index,
                         std::shared_ptr<IPageCommands> commands)
    : content_(std::move(content)), index_(index), commands_(std::move(commands)) {}

HRESULT PageElement::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    const ElementKind kind = Info().kind;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLElement)
        *object = AsDispatch();
    else if (iid == IID_IHTMLInputTextElement && kind == ElementKind::InputText)
        *object = static_cast<IHTMLInputTextElement*>(this);
    else if (iid == IID_IHTMLInputButtonElement && kind == ElementKind::InputButton)
        *object = static_cast<IHTMLInputButtonElement*>(this);
    else if (iid == IID_IHTMLAnchorElement && kind == ElementKind::Anchor)
        *object = static_cast<IHTMLAnchorElement*>(this);
    else if (iid == IID_IHTMLSelectElement && kind == ElementKind::Select)
        *object = static_cast<IHTMLSelectElement*>(this);
    else if (iid == IID_IHTMLScriptElement && kind == ElementKind::Script)
        *object = static_cast<IHTMLScriptElement*>(this);
    if (!*object)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT PageElement::click() {
    return commands_ && commands_->Click(index_) ? S_OK : E_FAIL;
}

HRESULT PageElement::get_name(BSTR* value) {
    return Put(value, Info().name);
}

HRESULT PageElement::get_value(BSTR* value) {
    return Put(value, value_ ? *value_ : Info().value);
}

HRESULT PageElement::put_value(const BSTR& value) {
    std::string text = FromBstr(value);
    if (!commands_ || !commands_->SetValue(index_, text))
        return E_FAIL;
    value_ = std::move(text);
    return S_OK;
}

HRESULT PageElement::get_type(BSTR* value) {
    return Put(value, Info().type);
}

HRESULT PageElement::get_href(BSTR* value) {
    return Put(value, Info().href);
}

HRESULT PageElement::get_length(LONG* options) {
    if (!options)
        return E_POINTER;
    *options = Info().optionCount;
    return S_OK;
}

HRESULT PageElement::get_text(BSTR* value) {
    return Put(value, text_ ? *text_ : Info().text);
}

HRESULT PageElement::put_text(const BSTR& value) {
    // A text cut short when it was read must not replace the whole script.
    if (Info().truncated)
        return E_FAIL;
    std::string text = FromBstr(value);
    if (!commands_ || !commands_->SetScriptText(index_, text))
        return E_FAIL;
    text_ = std::move(text);
    return S_OK;
}

} // namespace qv::html
