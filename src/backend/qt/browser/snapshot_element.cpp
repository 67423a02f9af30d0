#include "backend/qt/browser/snapshot_element.h"

#include "backend/qt/bridge/page_bridge.h"

namespace qv::qt {

using bridge::ElementKind;
using com::FromBstr;
using com::ToBstr;

namespace {

HRESULT Put(BSTR* out, const std::string& text) {
    if (!out)
        return E_POINTER;
    *out = ToBstr(text);
    return S_OK;
}

} // namespace

SnapshotElement::SnapshotElement(std::shared_ptr<const bridge::FrameSnapshot> snapshot,
                                 std::size_t index, std::shared_ptr<BridgeLink> link)
    : snapshot_(std::move(snapshot)), index_(index), link_(std::move(link)) {}

HRESULT SnapshotElement::QueryInterface(REFIID iid, void** object) {
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

HRESULT SnapshotElement::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}

// A command the bridge refuses names a document that has gone: nothing
// happens in the page, and the caller hears so.
HRESULT SnapshotElement::click() {
    bridge::PageBridge* page = Bridge();
    if (!page || !page->Click(snapshot_->frame, snapshot_->sequence, index_))
        return E_FAIL;
    return S_OK;
}

HRESULT SnapshotElement::get_name(BSTR* value) {
    return Put(value, Info().name);
}

HRESULT SnapshotElement::get_value(BSTR* value) {
    return Put(value, value_ ? *value_ : Info().value);
}

HRESULT SnapshotElement::put_value(const BSTR& value) {
    bridge::PageBridge* page = Bridge();
    std::string text = FromBstr(value);
    if (!page || !page->SetValue(snapshot_->frame, snapshot_->sequence, index_, text))
        return E_FAIL;
    value_ = std::move(text);
    return S_OK;
}

HRESULT SnapshotElement::get_type(BSTR* value) {
    return Put(value, Info().type);
}

HRESULT SnapshotElement::get_href(BSTR* value) {
    return Put(value, Info().href);
}

HRESULT SnapshotElement::get_length(LONG* options) {
    if (!options)
        return E_POINTER;
    *options = Info().optionCount;
    return S_OK;
}

HRESULT SnapshotElement::get_text(BSTR* value) {
    return Put(value, text_ ? *text_ : Info().text);
}

HRESULT SnapshotElement::put_text(const BSTR& value) {
    // A text cut to the snapshot's caps must not replace the whole script.
    if (Info().truncated)
        return E_FAIL;
    bridge::PageBridge* page = Bridge();
    std::string text = FromBstr(value);
    if (!page || !page->SetScriptText(snapshot_->frame, snapshot_->sequence, index_, text))
        return E_FAIL;
    text_ = std::move(text);
    return S_OK;
}

} // namespace qv::qt
