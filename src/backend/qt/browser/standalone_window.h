// A plain browser window for a page its opener's host leaves to the
// browser (a console's help opened with window.open): it shares the
// opener's profile, so the session's cookies, follows the page's title, and
// goes when the user or the page closes it, or with the profile.
#pragma once

#include "backend/qt/bridge/page_bridge_listener.h"

#include <QWidget>
#include <memory>

namespace qv::bridge {
class BridgeProfile;
class PageBridge;
} // namespace qv::bridge

namespace qv::qt {

class StandaloneWindow final : public QWidget, private bridge::PageBridgeListener {
public:
    // Shown at once; deletes itself once closed. The bridge to load the page in.
    static bridge::PageBridge* Open(bridge::BridgeProfile& profile,
                                    const bridge::NewWindowRequest& request);
    ~StandaloneWindow() override;

private:
    explicit StandaloneWindow(bridge::BridgeProfile& profile);

    void OnWindowCloseRequested() override;
    void OnTitleChanged(const std::string& title) override;

    std::unique_ptr<bridge::PageBridge> bridge_;
};

} // namespace qv::qt
