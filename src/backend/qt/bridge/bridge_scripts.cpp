#include "backend/qt/bridge/bridge_scripts.h"

#include "backend/qt/bridge/bridge_limits.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

namespace qv::bridge {

namespace {

const QString kConfigMarker = QStringLiteral("/*QV_CONFIG*/ {}");
const QString kFrameMarker = QStringLiteral("/*QV_FRAME*/");

QString ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

// The engine reads the page-world script anew for every document, a reloaded
// poll frame's too: comment lines and indentation are left out. (No line of
// these scripts continues a string or a template.)
QString Compact(const QString& source) {
    QString out;
    out.reserve(source.size());
    for (const QStringView line : QStringView(source).split(u'\n')) {
        const QStringView text = line.trimmed();
        if (!text.isEmpty() && !text.startsWith(u"//")) {
            out += text;
            out += u'\n';
        }
    }
    return out;
}

// The script with the frame part put in and its settings filled in: the
// names and caps both worlds share, and `extra`.
QString Assemble(const QString& path, const QString& token, const QJsonObject& extra) {
    QString source = ReadResource(path);
    const QString frame = ReadResource(QStringLiteral(":/qv/bridge/js/frame.js"));
    if (source.isEmpty() || frame.isEmpty()) {
        return {};
    }
    QJsonObject config = extra;
    config[QStringLiteral("token")] = token;
    config[QStringLiteral("requestEvent")] = QString::fromLatin1(kRequestEventName);
    config[QStringLiteral("allowEvent")] = QString::fromLatin1(kAllowEventName);
    config[QStringLiteral("reportEvent")] = QString::fromLatin1(kReportEventName);
    config[QStringLiteral("commandEvent")] = QString::fromLatin1(kCommandEventName);
    config[QStringLiteral("registerEvent")] = QString::fromLatin1(kRegisterEventName);
    config[QStringLiteral("maxElements")] = static_cast<qint64>(kMaxSnapshotElements);
    config[QStringLiteral("maxAttributeChars")] = static_cast<qint64>(kMaxAttributeChars);
    config[QStringLiteral("maxScriptChars")] = static_cast<qint64>(kMaxScriptChars);
    config[QStringLiteral("maxTotalScriptChars")] = static_cast<qint64>(kMaxTotalScriptChars);
    config[QStringLiteral("keptSnapshots")] = kKeptSnapshots;
    const QString json = QString::fromUtf8(QJsonDocument(config).toJson(QJsonDocument::Compact));
    return Compact(source.replace(kFrameMarker, frame)).replace(kConfigMarker, json);
}

QJsonValue Optional(const std::optional<bool>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

} // namespace

QString ChannelScriptSource() {
    return ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
}

QString BridgeScriptSource(const QString& token) {
    QJsonObject config;
    config[QStringLiteral("bridgeName")] = QString::fromLatin1(kBridgeObjectName);
    config[QStringLiteral("hostName")] = QString::fromLatin1(kHostObjectName);
    config[QStringLiteral("lazyReportMs")] = kLazyReportMillis;
    return Assemble(QStringLiteral(":/qv/bridge/js/bridge.js"), token, config);
}

QString PageWorldScriptSource(const std::vector<ExternalMember>& members, const QString& token) {
    QJsonArray list;
    for (const ExternalMember& m : members) {
        list.append(QJsonArray{QString::fromStdString(m.name), Optional(m.property),
                               Optional(m.callResult)});
    }
    QJsonObject config;
    config[QStringLiteral("maxArgumentChars")] = static_cast<qint64>(kMaxAttributeChars);
    config[QStringLiteral("members")] = list;
    return Assemble(QStringLiteral(":/qv/bridge/js/page_world.js"), token, config);
}

QString NewBridgeToken() {
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex());
}

} // namespace qv::bridge
