// The way from a document or element back to the page it came from. The
// control clears it when its page goes, so a held element or document then
// fails quietly instead of reaching a deleted view.
#pragma once

namespace qv::bridge {
class PageBridge;
}

namespace qv::qt {

struct BridgeLink {
    bridge::PageBridge* bridge = nullptr;
};

} // namespace qv::qt
