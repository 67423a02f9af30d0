#include "backend/qt/bridge/bridge_channel_object.h"

#include "backend/qt/bridge/bridge_core.h"
#include "backend/qt/bridge/snapshot_decoder.h"

namespace qv::bridge {

BridgeChannelObject::BridgeChannelObject(BridgeCore& core) : m_core(core) {}

void BridgeChannelObject::frameOpened(double frame, double parent, bool isTop) {
    m_core.FrameOpened(FrameIdFromJson(frame), FrameIdFromJson(parent), isTop);
}

void BridgeChannelObject::frameEvent(const QJsonObject& report) {
    m_core.FrameReport(report);
}

void BridgeChannelObject::frameGone(double frame) {
    m_core.FrameGone(FrameIdFromJson(frame));
}

bool BridgeChannelObject::beforeNavigate(double frame, const QString& url) {
    return m_core.BeforeNavigate(FrameIdFromJson(frame), url);
}

void BridgeChannelObject::externalCall(double frame, const QString& name, const QJsonArray& args) {
    m_core.ExternalCall(FrameIdFromJson(frame), name, args);
}

void BridgeChannelObject::closeRequested(double frame) {
    m_core.CloseRequested(FrameIdFromJson(frame));
}

} // namespace qv::bridge
