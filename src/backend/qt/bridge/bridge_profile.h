#pragma once

// The browser profile every bridge view of one program instance shares: kept in
// memory only (nothing on disk, so instances and tests never share state) and
// without an HTTP cache, so no navigation is ever answered from a cache.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

class QWebEngineProfile;

namespace qv::bridge {

class BridgeProfile {
public:
    BridgeProfile();
    ~BridgeProfile();
    BridgeProfile(const BridgeProfile&) = delete;
    BridgeProfile& operator=(const BridgeProfile&) = delete;

    // Must outlive every PageBridge made with it.
    QWebEngineProfile* Profile() const { return m_profile.get(); }
    // A window with pages of this profile that nothing else owns (one opened
    // for a page): deleted with the profile, before it, unless it went first.
    void Own(QWidget* window);

private:
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::vector<QPointer<QWidget>> m_windows;
};

} // namespace qv::bridge
