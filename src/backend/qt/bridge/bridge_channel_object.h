#pragma once

// The one object the bridge script sees on the web channel. It only receives;
// everything it gets goes to the core, which checks it.

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

namespace qv::bridge {

class BridgeCore;

class BridgeChannelObject : public QObject {
    Q_OBJECT
    // Written by the page with a batch of reports (see reports()): a write
    // is one message, where a call is answered with a second one.
    Q_PROPERTY(QJsonArray batch READ batch WRITE reports)

public:
    explicit BridgeChannelObject(BridgeCore& core);

    // Reports that came in one task of the page, in order: each is [method,
    // arguments...] of one of the reports below.
    Q_INVOKABLE void reports(const QJsonArray& list);
    QJsonArray batch() const { return {}; }
    Q_INVOKABLE void frameOpened(double frame, double parent, bool isTop);
    Q_INVOKABLE void frameEvent(const QJsonObject& report);
    void subframeEvent(double frame, double parent, const QString& json);
    Q_INVOKABLE void frameGone(double frame);
    // Answers whether to cancel.
    Q_INVOKABLE bool beforeNavigate(double frame, const QString& url);
    Q_INVOKABLE void externalCall(double frame, const QString& name, const QJsonArray& args);
    Q_INVOKABLE void closeRequested(double frame);

private:
    BridgeCore& m_core;
};

} // namespace qv::bridge
