// The browser object of a subframe: what the control's events name as the
// frame. Its document is the frame's last snapshot and Refresh reloads the
// frame. Geometry belongs to the control; a frame reports zeros.
#pragma once

#include "backend/qt/browser/frame_state.h"
#include "platform/com/dispatch_object.h"

namespace qv::qt {

class QtFrameBrowser final : public com::DispatchObject<IWebBrowser2> {
public:
    QtFrameBrowser(std::string name, FrameState* parent, std::shared_ptr<BridgeLink> link,
                   IDispatch* application);

    FrameState& State() { return state_; }
    IDispatch* AsDispatch() { return static_cast<IWebBrowser2*>(this); }
    // The control went: Application has nothing to give any more.
    void Orphan();

    HRESULT Navigate(const BSTR& url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                     VARIANT* headers) override;
    HRESULT Refresh() override;
    HRESULT get_Application(IDispatch** application) override;
    HRESULT get_Document(IDispatch** document) override { return state_.GetDocument(document); }
    HRESULT get_Left(LONG* value) override { return Zero(value); }
    HRESULT get_Top(LONG* value) override { return Zero(value); }
    HRESULT get_Width(LONG* value) override { return Zero(value); }
    HRESULT put_Width(LONG) override { return S_OK; }
    HRESULT get_Height(LONG* value) override { return Zero(value); }
    HRESULT put_Height(LONG) override { return S_OK; }
    HRESULT put_RegisterAsBrowser(VARIANT_BOOL) override { return S_OK; }

private:
    static HRESULT Zero(LONG* value);

    FrameState state_;
    IDispatch* application_; // the control's; not counted, it outlives us or orphans us
};

} // namespace qv::qt
