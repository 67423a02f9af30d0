#pragma once

// Sources of the scripts put into frames at document creation: the top frame's
// bridge (isolated world, after the web channel client) and, in every frame,
// the page-world part (focus override, window.external, and in subframes the
// frame's own bridge). Both sides share a secret, `token`, which page scripts
// never see.

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
// On the top window: a subframe's reports to the bridge, a subframe making
// itself known to the top's page-world part, and the bridge's commands to it.
inline constexpr char kReportEventName[] = "qv-frame-report";
inline constexpr char kRegisterEventName[] = "qv-frame-register";
inline constexpr char kCommandEventName[] = "qv-frame-command";

// What the page-world proxy answers synchronously for one member.
struct ExternalMember {
    std::string name;
    std::optional<bool> property;   // a read of the member
    std::optional<bool> callResult; // what a call returns
};

// Empty when a resource is missing (a broken build), which the caller reports.
// The web channel client, needed by the top frame's bridge only.
QString ChannelScriptSource();
QString BridgeScriptSource(const QString& token);
QString PageWorldScriptSource(const std::vector<ExternalMember>& members, const QString& token);
// A fresh secret for one page.
QString NewBridgeToken();

} // namespace qv::bridge
