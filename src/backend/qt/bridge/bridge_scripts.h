#pragma once

// Sources of the two scripts put into every frame at document creation: the
// bridge (isolated world, with the web channel client) and the page-world part
// (focus override and window.external).

#include <QString>
#include <QWebEngineScript>
#include <optional>
#include <string>
#include <vector>

namespace qv::bridge {

// Above the application's world, so neither the page nor other scripts of the
// program share the bridge's variables.
inline constexpr quint32 kBridgeWorldId = QWebEngineScript::UserWorld + 1;
inline constexpr char kBridgeObjectName[] = "qvPageBridge";
inline constexpr char kHostObjectName[] = "qvHost";
// Page world to bridge: external calls, close requests, javascript: URLs.
inline constexpr char kRequestEventName[] = "qv-page-request";
// Bridge to page world: a javascript: URL the host let through.
inline constexpr char kAllowEventName[] = "qv-page-allow";

// What the page-world proxy answers synchronously for one member.
struct ExternalMember {
    std::string name;
    std::optional<bool> property;   // a read of the member
    std::optional<bool> callResult; // what a call returns
};

// Empty when a resource is missing (a broken build), which the caller reports.
// The web channel client, needed by the top frame's bridge only.
QString ChannelScriptSource();
QString BridgeScriptSource();
QString PageWorldScriptSource(const std::vector<ExternalMember>& members);

} // namespace qv::bridge
