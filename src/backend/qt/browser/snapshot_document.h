// A frame's document as its last snapshot shows it: title, location and
// the elements in document order. The element objects are made on first
// use and kept, so what the program wrote into one stays readable there.
#pragma once

#include "backend/qt/bridge/bridge_types.h"
#include "backend/qt/browser/bridge_link.h"
#include "backend/qt/browser/snapshot_element.h"
#include "platform/html/html_document.h"

#include <memory>
#include <vector>

namespace qv::qt {

class SnapshotDocument final : public com::RefCounted<IHTMLDocument2> {
public:
    SnapshotDocument(std::shared_ptr<const bridge::FrameSnapshot> snapshot,
                     std::shared_ptr<BridgeLink> link);

    const bridge::FrameSnapshot& Snapshot() const { return *snapshot_; }
    std::size_t Length() const { return snapshot_->elements.size(); }
    // Null past the end.
    SnapshotElement* Element(std::size_t index);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT get_all(IHTMLElementCollection** all) override;
    HRESULT get_title(BSTR* title) override;
    HRESULT get_location(IHTMLLocation** location) override;

private:
    std::shared_ptr<const bridge::FrameSnapshot> snapshot_;
    std::shared_ptr<BridgeLink> link_;
    std::vector<com::ComPtr<SnapshotElement>> elements_;
};

} // namespace qv::qt
