#include "backend/qt/bridge/bridge_channel_object.h"

#include "backend/qt/bridge/bridge_core.h"
#include "backend/qt/bridge/snapshot_decoder.h"

namespace qv::bridge {

BridgeChannelObject::BridgeChannelObject(BridgeCore& core) : m_core(core) {}

// Reports reach the host from the event loop, not from inside the channel's
// delivery: the engine runs nothing of its own until that returns, so a host
// that waits for the page inside a report would wait in vain.
void BridgeChannelObject::frameOpened(double frame, double parent, bool isTop) {
    m_core.Later([core = &m_core, id = FrameIdFromJson(frame), up = FrameIdFromJson(parent),
                  isTop] { core->FrameOpened(id, up, isTop); });
}

void BridgeChannelObject::frameEvent(const QJsonObject& report) {
    m_core.Later([core = &m_core, report] { core->FrameReport(report); });
}

void BridgeChannelObject::frameGone(double frame) {
    m_core.Later([core = &m_core, id = FrameIdFromJson(frame)] { core->FrameGone(id); });
}

bool BridgeChannelObject::beforeNavigate(double frame, const QString& url) {
    return m_core.BeforeNavigate(FrameIdFromJson(frame), url);
}

void BridgeChannelObject::externalCall(double frame, const QString& name, const QJsonArray& args) {
    m_core.Later([core = &m_core, id = FrameIdFromJson(frame), name, args] {
        core->ExternalCall(id, name, args);
    });
}

void BridgeChannelObject::closeRequested(double frame) {
    m_core.Later([core = &m_core, id = FrameIdFromJson(frame)] { core->CloseRequested(id); });
}

} // namespace qv::bridge
