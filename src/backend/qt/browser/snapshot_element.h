// One element of a frame snapshot. It offers IHTMLElement and the one
// interface of its kind; reads come from the snapshot, writes and clicks go
// to the page as commands addressed to the snapshot's frame and index.
#pragma once

#include "backend/qt/bridge/bridge_types.h"
#include "backend/qt/browser/bridge_link.h"
#include "platform/com/ref_counted.h"
#include "platform/html/html_elements.h"

#include <memory>
#include <optional>
#include <string>

namespace qv::qt {

class SnapshotElement final
    : public com::RefCounted<IHTMLElement, IHTMLInputTextElement, IHTMLInputButtonElement,
                             IHTMLAnchorElement, IHTMLSelectElement, IHTMLScriptElement> {
public:
    SnapshotElement(std::shared_ptr<const bridge::FrameSnapshot> snapshot, std::size_t index,
                    std::shared_ptr<BridgeLink> link);

    IDispatch* AsDispatch() { return static_cast<IHTMLElement*>(this); }

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT click() override;
    HRESULT get_name(BSTR* value) override;
    HRESULT get_value(BSTR* value) override;
    HRESULT put_value(const BSTR& value) override;
    HRESULT get_type(BSTR* value) override;
    HRESULT get_href(BSTR* value) override;
    HRESULT get_length(LONG* options) override;
    HRESULT get_text(BSTR* value) override;
    HRESULT put_text(const BSTR& value) override;

private:
    const bridge::ElementInfo& Info() const { return snapshot_->elements[index_]; }
    bridge::PageBridge* Bridge() const { return link_ ? link_->bridge : nullptr; }

    std::shared_ptr<const bridge::FrameSnapshot> snapshot_;
    std::size_t index_;
    std::shared_ptr<BridgeLink> link_;
    // What this object wrote; the snapshot stays as the page sent it.
    std::optional<std::string> value_, text_;
};

} // namespace qv::qt
