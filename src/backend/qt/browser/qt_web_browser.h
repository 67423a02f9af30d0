// The browser control: the object a dialog's browser control hosts, over a
// page bridge in the control's container. It is the top frame's browser;
// subframes have browser objects of their own (QtFrameBrowser). Events go
// to the sinks advised on it, with the frame's browser as argument; its
// host site's IDocHostUIHandler shapes border, context menu and
// window.external.
#pragma once

#include "backend/qt/bridge/page_bridge_listener.h"
#include "backend/qt/browser/frame_tree.h"
#include "platform/html/browser_control.h"
#include "platform/html/doc_host_ui_handler.h"

#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace qv::bridge {
class BridgeProfile;
}

namespace qv::qt {

class BrowserView;
class DispatchExternal;

class QtWebBrowser final : public html::BrowserControl, private bridge::PageBridgeListener {
public:
    // externalNames: the members window.external offers the page (the
    // bridge must know them before a page asks).
    static com::ComPtr<QtWebBrowser> Create(QWidget* container,
                                            std::shared_ptr<bridge::BridgeProfile> profile,
                                            std::vector<std::string> externalNames);

    // Null once the control's dialog has gone.
    bridge::PageBridge* Bridge() const;
    const BrowserView* View() const { return view_.get(); }

    // IWebBrowser2
    HRESULT Navigate(const BSTR& url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                     VARIANT* headers) override;
    HRESULT Refresh() override;
    HRESULT get_Application(IDispatch** application) override;
    HRESULT get_Document(IDispatch** document) override { return top_.GetDocument(document); }
    HRESULT put_Width(LONG value) override;
    HRESULT put_Height(LONG value) override;
    // IOleObject
    HRESULT SetClientSite(IUnknown* site) override;

private:
    QtWebBrowser(QWidget* container, std::shared_ptr<bridge::BridgeProfile> profile,
                 std::vector<std::string> externalNames);
    ~QtWebBrowser() override;

    // PageBridgeListener
    void OnBeforeNavigate(bridge::FrameId frame, const std::string& url, bool& cancel) override;
    void OnNavigateComplete(const bridge::FrameSnapshot& snapshot) override;
    void OnDocumentComplete(const bridge::FrameSnapshot& snapshot) override;
    void OnFrameGone(bridge::FrameId frame) override;
    bridge::PageBridge* OnNewWindow(const bridge::NewWindowRequest& request) override;
    void OnWindowCloseRequested() override;

    // Holds the control while events run and lets it go from the event loop,
    // so a handler that drops the last reference never deletes the bridge
    // under its own call.
    class Hold;
    void FireFrameEvent(DISPID dispid, const bridge::FrameSnapshot& snapshot);
    void ApplyHost();
    bool HostContextMenu(int x, int y);
    bool GetBounds(Bounds& bounds) const override;

    std::shared_ptr<BridgeLink> link_;
    FrameState top_;
    FrameTree tree_;
    std::unique_ptr<BrowserView> view_;
    std::vector<std::string> externalNames_;
    std::unique_ptr<DispatchExternal> external_;
    com::ComPtr<IUnknown> site_;
    com::ComPtr<IDocHostUIHandler> hostUi_;
};

} // namespace qv::qt
