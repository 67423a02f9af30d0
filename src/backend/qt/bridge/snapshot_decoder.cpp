#include "backend/qt/bridge/snapshot_decoder.h"

#include "backend/qt/bridge/bridge_limits.h"

#include <QJsonArray>
#include <algorithm>
#include <cmath>

namespace qv::bridge {

namespace {

constexpr double kMaxExactInteger = 9007199254740992.0; // 2^53

// The page's own script writes subframe reports, so the caps the bridge script
// keeps are kept here again; a cut script is marked, as the script marks it.
std::string Text(const QJsonValue& value, std::size_t limit, bool* cut = nullptr) {
    if (!value.isString()) {
        return std::string();
    }
    QString text = value.toString();
    if (static_cast<std::size_t>(text.size()) > limit) {
        qsizetype end = static_cast<qsizetype>(limit);
        if (end > 0 && text.at(end - 1).isHighSurrogate()) {
            --end;
        }
        text.truncate(end);
        if (cut) {
            *cut = true;
        }
    }
    return text.toStdString();
}

std::string Text(const QJsonValue& value) {
    return Text(value, kMaxAttributeChars);
}

ElementKind KindFromJson(const QJsonValue& value) {
    switch (value.toInt(0)) {
    case 1:
        return ElementKind::InputText;
    case 2:
        return ElementKind::InputButton;
    case 3:
        return ElementKind::Anchor;
    case 4:
        return ElementKind::Select;
    case 5:
        return ElementKind::Script;
    default:
        return ElementKind::Other;
    }
}

// 0, or [kind, name, type, href, value, optionCount, text, truncated]
ElementInfo DecodeElement(const QJsonValue& value, std::size_t& scriptBudget) {
    ElementInfo info;
    if (!value.isArray()) {
        return info;
    }
    const QJsonArray a = value.toArray();
    info.kind = KindFromJson(a.at(0));
    info.name = Text(a.at(1));
    info.type = Text(a.at(2));
    info.href = Text(a.at(3));
    info.value = Text(a.at(4));
    info.optionCount = a.at(5).toInt(0);
    info.truncated = a.at(7).toBool(false);
    // Script texts count in UTF-16 units against the snapshot's budget.
    const QJsonValue script = a.at(6);
    const std::size_t units =
        script.isString() ? static_cast<std::size_t>(script.toString().size()) : 0;
    const std::size_t limit = std::min(kMaxScriptChars, scriptBudget);
    info.text = Text(script, limit, &info.truncated);
    scriptBudget -= std::min(units, limit);
    return info;
}

} // namespace

FrameId FrameIdFromJson(const QJsonValue& value) {
    if (!value.isDouble()) {
        return kNoFrame;
    }
    const double d = value.toDouble();
    if (!(d >= 1.0 && d < kMaxExactInteger) || std::floor(d) != d) {
        return kNoFrame;
    }
    return static_cast<FrameId>(d);
}

FrameSnapshot DecodeSnapshot(const QJsonObject& report) {
    FrameSnapshot s;
    s.frame = FrameIdFromJson(report.value(QLatin1String("frame")));
    s.parent = FrameIdFromJson(report.value(QLatin1String("parent")));
    s.isTop = report.value(QLatin1String("top")).toBool(false);
    const double seq = report.value(QLatin1String("seq")).toDouble(0);
    s.sequence = seq >= 0 && seq < 4294967296.0 ? static_cast<std::uint32_t>(seq) : 0;
    s.frameName = Text(report.value(QLatin1String("name")));
    s.title = Text(report.value(QLatin1String("title")));
    s.location.href = Text(report.value(QLatin1String("href")));
    s.location.host = Text(report.value(QLatin1String("host")));
    s.location.protocol = Text(report.value(QLatin1String("protocol")));
    s.truncated = report.value(QLatin1String("truncated")).toBool(false);
    s.buildMillis = report.value(QLatin1String("ms")).toDouble(0);

    const QJsonArray elements = report.value(QLatin1String("elements")).toArray();
    const auto count = std::min<qsizetype>(elements.size(), kMaxSnapshotElements);
    s.elements.reserve(static_cast<std::size_t>(count));
    std::size_t scriptBudget = kMaxTotalScriptChars;
    for (qsizetype i = 0; i < count; ++i) {
        s.elements.push_back(DecodeElement(elements.at(i), scriptBudget));
    }
    s.truncated = s.truncated || elements.size() > count;
    return s;
}

} // namespace qv::bridge
