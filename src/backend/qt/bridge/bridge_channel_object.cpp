#include "backend/qt/bridge/bridge_channel_object.h"

#include "backend/qt/bridge/bridge_core.h"
#include "backend/qt/bridge/snapshot_decoder.h"

#include <QJsonDocument>

namespace qv::bridge {

BridgeChannelObject::BridgeChannelObject(BridgeCore& core) : m_core(core) {}

// Reports reach the host from the event loop, not from inside the channel's
// delivery: the engine runs nothing of its own until that returns, so a host
// that waits for the page inside a report would wait in vain.
void BridgeChannelObject::reports(const QJsonArray& list) {
    for (const QJsonValue& value : list) {
        const QJsonArray item = value.toArray();
        const QString method = item.at(0).toString();
        if (method == QLatin1String("frameOpened")) {
            frameOpened(item.at(1).toDouble(), item.at(2).toDouble(), item.at(3).toBool());
        } else if (method == QLatin1String("frameEvent")) {
            frameEvent(item.at(1).toObject());
        } else if (method == QLatin1String("subframeEvent")) {
            subframeEvent(item.at(1).toDouble(), item.at(2).toDouble(), item.at(3).toString());
        } else if (method == QLatin1String("frameGone")) {
            frameGone(item.at(1).toDouble());
        } else if (method == QLatin1String("externalCall")) {
            externalCall(item.at(1).toDouble(), item.at(2).toString(), item.at(3).toArray());
        } else if (method == QLatin1String("closeRequested")) {
            closeRequested(item.at(1).toDouble());
        }
    }
}

void BridgeChannelObject::frameOpened(double frame, double parent, bool isTop) {
    m_core.Later([core = &m_core, id = FrameIdFromJson(frame), up = FrameIdFromJson(parent),
                  isTop] { core->FrameOpened(id, up, isTop); });
}

void BridgeChannelObject::frameEvent(const QJsonObject& report) {
    m_core.Later([core = &m_core, report] { core->FrameReport(report); });
}

// [report] as the subframe's part wrote it; which frame it is for, and its
// parent, come from the hub.
void BridgeChannelObject::subframeEvent(double frame, double parent, const QString& json) {
    QJsonObject report = QJsonDocument::fromJson(json.toUtf8()).array().at(0).toObject();
    if (report.isEmpty()) {
        return;
    }
    report[QLatin1String("frame")] = frame;
    report[QLatin1String("parent")] = parent;
    report[QLatin1String("top")] = false;
    frameEvent(report);
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
