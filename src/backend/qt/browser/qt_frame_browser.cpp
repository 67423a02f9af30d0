#include "backend/qt/browser/qt_frame_browser.h"

#include "backend/qt/bridge/page_bridge.h"

namespace qv::qt {

QtFrameBrowser::QtFrameBrowser(std::string name, FrameState* parent,
                               std::shared_ptr<BridgeLink> link, IDispatch* application)
    : application_(application) {
    state_.browser = this;
    state_.parent = parent;
    state_.name = std::move(name);
    state_.link = std::move(link);
}

void QtFrameBrowser::Orphan() {
    application_ = nullptr;
    state_.parent = nullptr;
    for (auto& child : state_.children)
        child->Orphan();
}

// The engine does not load a chosen frame by address; frames change through
// their own pages.
HRESULT QtFrameBrowser::Navigate(const BSTR&, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT QtFrameBrowser::Refresh() {
    bridge::PageBridge* page = state_.link ? state_.link->bridge : nullptr;
    if (!page || !page->Refresh(state_.frame))
        return E_FAIL;
    return S_OK;
}

HRESULT QtFrameBrowser::get_Application(IDispatch** application) {
    if (!application)
        return E_POINTER;
    *application = application_;
    if (!application_)
        return E_FAIL;
    application_->AddRef();
    return S_OK;
}

HRESULT QtFrameBrowser::Zero(LONG* value) {
    if (!value)
        return E_POINTER;
    *value = 0;
    return S_OK;
}

} // namespace qv::qt
