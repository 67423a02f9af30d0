#include "backend/qt/bridge/bridge_scripts.h"

#include "backend/qt/bridge/bridge_limits.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace qv::bridge {

namespace {

const QString kConfigMarker = QStringLiteral("/*QV_CONFIG*/ {}");

QString ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

QString WithConfig(QString source, const QJsonObject& config) {
    if (source.isEmpty()) {
        return {};
    }
    const QString json = QString::fromUtf8(QJsonDocument(config).toJson(QJsonDocument::Compact));
    return source.replace(kConfigMarker, json);
}

QJsonValue Optional(const std::optional<bool>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

} // namespace

QString ChannelScriptSource() {
    return ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
}

QString BridgeScriptSource() {
    const QString bridge = ReadResource(QStringLiteral(":/qv/bridge/js/bridge.js"));
    if (bridge.isEmpty()) {
        return {};
    }
    QJsonObject config;
    config[QStringLiteral("bridgeName")] = QString::fromLatin1(kBridgeObjectName);
    config[QStringLiteral("hostName")] = QString::fromLatin1(kHostObjectName);
    config[QStringLiteral("requestEvent")] = QString::fromLatin1(kRequestEventName);
    config[QStringLiteral("allowEvent")] = QString::fromLatin1(kAllowEventName);
    config[QStringLiteral("maxElements")] = static_cast<qint64>(kMaxSnapshotElements);
    config[QStringLiteral("maxAttributeChars")] = static_cast<qint64>(kMaxAttributeChars);
    config[QStringLiteral("maxScriptChars")] = static_cast<qint64>(kMaxScriptChars);
    config[QStringLiteral("maxTotalScriptChars")] = static_cast<qint64>(kMaxTotalScriptChars);
    config[QStringLiteral("keptSnapshots")] = kKeptSnapshots;
    return WithConfig(bridge, config);
}

QString PageWorldScriptSource(const std::vector<ExternalMember>& members) {
    QJsonArray list;
    for (const ExternalMember& m : members) {
        list.append(QJsonArray{QString::fromStdString(m.name), Optional(m.property),
                               Optional(m.callResult)});
    }
    QJsonObject config;
    config[QStringLiteral("requestEvent")] = QString::fromLatin1(kRequestEventName);
    config[QStringLiteral("allowEvent")] = QString::fromLatin1(kAllowEventName);
    config[QStringLiteral("maxArgumentChars")] = static_cast<qint64>(kMaxAttributeChars);
    config[QStringLiteral("members")] = list;
    return WithConfig(ReadResource(QStringLiteral(":/qv/bridge/js/page_world.js")), config);
}

} // namespace qv::bridge
