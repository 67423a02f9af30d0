// A subframe's report is written by the page's own script: whatever it holds,
// decoding keeps the snapshot within the caps the bridge promises.
#include "../fuzz.h"
#include "backend/qt/bridge/bridge_limits.h"
#include "backend/qt/bridge/snapshot_decoder.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>

using qv::fuzz::Require;

namespace {

// UTF-8 takes at most three bytes for a UTF-16 unit.
constexpr std::size_t kMaxBytesPerUnit = 3;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QJsonObject report = QJsonDocument::fromJson(json).array().at(0).toObject();
    const qv::bridge::FrameSnapshot s = qv::bridge::DecodeSnapshot(report);

    using namespace qv::bridge;
    Require(s.frame == kNoFrame || (s.frame >= 1 && s.frame < (FrameId{1} << 53)));
    Require(s.elements.size() <= kMaxSnapshotElements);
    const std::size_t attributeBytes = kMaxAttributeChars * kMaxBytesPerUnit;
    Require(s.title.size() <= attributeBytes && s.frameName.size() <= attributeBytes);
    std::size_t scriptBytes = 0;
    for (const auto& e : s.elements) {
        for (const std::string* text : {&e.name, &e.type, &e.href, &e.value}) {
            Require(text->size() <= attributeBytes);
        }
        Require(e.text.size() <= kMaxScriptChars * kMaxBytesPerUnit);
        scriptBytes += e.text.size();
    }
    Require(scriptBytes <= kMaxTotalScriptChars * kMaxBytesPerUnit);
    return 0;
}
