// A plain browser window for a page its opener's host leaves to the
// browser (a console's help opened with window.open): it shares the
// opener's profile, so the session's cookies, follows the page's title, and
// goes when the user or the page closes it.
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
    static bridge::PageBridge* Open(std::shared_ptr<bridge::BridgeProfile> profile,
                                    const bridge::NewWindowRequest& request);
    ~StandaloneWindow() override;

private:
    explicit StandaloneWindow(std::shared_ptr<bridge::BridgeProfile> profile);

    void OnWindowCloseRequested() override;
    void OnTitleChanged(const std::string& title) override;

    // Declared first: the bridge's page must go before its profile.
    std::shared_ptr<bridge::BridgeProfile> profile_;
    std::unique_ptr<bridge::PageBridge> bridge_;
};

} // namespace qv::qt
