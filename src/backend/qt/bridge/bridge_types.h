#pragma once

// Plain values exchanged between the page bridge and its host. No Qt types here:
// the platform's document model reads the snapshots as they are.

#include "platform/html/page_content.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qv::bridge {

// Identifies one document in one frame. A frame that loads a new document gets a
// new id, so commands addressed to the old document are recognised as stale.
using FrameId = std::uint64_t;
inline constexpr FrameId kNoFrame = 0;

// The document model's values, so a snapshot serves as a document's content.
using ElementKind = html::ElementKind;
using ElementInfo = html::ElementInfo;
using FrameLocation = html::PageLocation;

// One frame's document as the bridge saw it at DOMContentLoaded or load.
// Its title, location and elements (in document order, the order of
// document.all, up to kMaxSnapshotElements) are the content.
struct FrameSnapshot : html::PageContent {
    FrameId frame = kNoFrame;
    FrameId parent = kNoFrame; // kNoFrame for the top frame
    bool isTop = false;
    std::uint32_t sequence = 0; // which of this document's snapshots; commands name it
    std::string frameName;      // window.name
    bool truncated = false;     // the document had more elements than the cap
    double buildMillis = 0;     // time the page spent taking it
    double decodeMillis = 0;    // time the host spent reading it
};

// Navigate flags of the old browser; only the cache flags change anything here,
// and the profile never caches, so they always hold.
enum NavigateFlags : unsigned {
    kNavOpenInNewWindow = 0x1,
    kNavNoHistory = 0x2,
    kNavNoReadFromCache = 0x4,
    kNavNoWriteToCache = 0x8,
};

// An argument of a call on window.external: strings and booleans as the page
// passed them, numbers as doubles, anything else as monostate.
using ExternalArg = std::variant<std::monostate, bool, double, std::string>;

struct NewWindowRequest {
    std::string url;
    bool userInitiated = false;
    bool dialog = false; // the page asked for a window without browser chrome
};

} // namespace qv::bridge
