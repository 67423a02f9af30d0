#pragma once

// Turns a frame report of the bridge script into a FrameSnapshot. The page is
// not trusted: missing or mistyped fields become empty values.

#include "backend/qt/bridge/bridge_types.h"

#include <QJsonObject>
#include <QJsonValue>

namespace qv::bridge {

// A frame id as the page sends it (a double holding a 53-bit integer); kNoFrame
// for anything else.
FrameId FrameIdFromJson(const QJsonValue& value);

FrameSnapshot DecodeSnapshot(const QJsonObject& report);

} // namespace qv::bridge
