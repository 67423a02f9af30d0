#pragma once

// Plain values exchanged between the page bridge and its host. No Qt types here,
// so the platform's browser interfaces can be mapped onto them later.

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

// Element kinds as the old DOM sorted them; everything else is Other.
enum class ElementKind {
    Other,
    InputText,   // input type text, password or hidden
    InputButton, // input type submit, button or reset
    Anchor,      // a
    Select,      // select
    Script,      // script
};

struct ElementInfo {
    ElementKind kind = ElementKind::Other;
    std::string name;       // inputs, anchors, selects (also other inputs and textareas)
    std::string type;       // inputs, lower case as the DOM reports it
    std::string href;       // anchors, resolved
    std::string value;      // inputs, selects, textareas
    int optionCount = 0;    // selects
    std::string text;       // scripts
    bool truncated = false; // a text above was cut to the snapshot caps
};

struct FrameLocation {
    std::string href;
    std::string host;     // host[:port]
    std::string protocol; // with its trailing colon, "http:"
};

// One frame's document as the bridge saw it at DOMContentLoaded or load.
struct FrameSnapshot {
    FrameId frame = kNoFrame;
    FrameId parent = kNoFrame; // kNoFrame for the top frame
    bool isTop = false;
    std::uint32_t sequence = 0; // which of this document's snapshots; commands name it
    std::string frameName;      // window.name
    std::string title;
    FrameLocation location;
    // Every element in document order (the order of document.all), so an index
    // here is an index into document.all, up to kMaxSnapshotElements.
    std::vector<ElementInfo> elements;
    bool truncated = false;  // the document had more elements than the cap
    double buildMillis = 0;  // time the page spent taking it
    double decodeMillis = 0; // time the host spent reading it
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
