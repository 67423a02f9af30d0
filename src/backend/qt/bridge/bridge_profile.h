#pragma once

// The browser profile every bridge view of one program instance shares: kept in
// memory only (nothing on disk, so instances and tests never share state) and
// without an HTTP cache, so no navigation is ever answered from a cache.

#include <memory>

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

private:
    std::unique_ptr<QWebEngineProfile> m_profile;
};

} // namespace qv::bridge
