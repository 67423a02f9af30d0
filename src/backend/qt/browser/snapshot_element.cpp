#include "backend/qt/browser/snapshot_element.h"

#include "backend/qt/bridge/page_bridge.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace qv::qt {

using bridge::ElementKind;
using com::FromBstr;
using com::ToBstr;

namespace {

// A page busy for longer than this in its own scripts counts as not clicked.
constexpr int kClickAnswerMs = 5000;

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

// As the old DOM's, a click has happened in the page when this returns, so
// the caller knows whether it pressed anything: it fails when the document or
// the element has gone, whether the bridge knew that already or the page
// found it. Events may arrive while it waits.
HRESULT SnapshotElement::click() {
    bridge::PageBridge* page = Bridge();
    if (!page)
        return E_FAIL;
    auto answer = std::make_shared<std::optional<bool>>();
    QEventLoop wait;
    QPointer<QEventLoop> waiting(&wait);
    const bool sent =
        page->Click(snapshot_->frame, snapshot_->sequence, index_, [answer, waiting](bool applied) {
            *answer = applied;
            if (waiting)
                waiting->quit();
        });
    if (!sent)
        return E_FAIL;
    if (!answer->has_value()) {
        QTimer::singleShot(kClickAnswerMs, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return answer->value_or(false) ? S_OK : E_FAIL;
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
