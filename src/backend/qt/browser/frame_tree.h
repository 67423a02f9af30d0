// Which browser object stands for which frame. The bridge names documents,
// not frames: a reloaded frame brings a new document id, so a subframe is
// found again by its parent and its name, and keeps its browser object (the
// program may hold it, to refresh it later). Unnamed frames get a new object
// per document.
#pragma once

#include "backend/qt/browser/qt_frame_browser.h"

#include <unordered_map>

namespace qv::qt {

class FrameTree {
public:
    // top: the control's own state; application: what frames answer for it.
    FrameTree(FrameState& top, IDispatch* application) : top_(top), application_(application) {}
    ~FrameTree();
    FrameTree(const FrameTree&) = delete;
    FrameTree& operator=(const FrameTree&) = delete;

    // The frame of a snapshot, which it now shows; null for a frame whose
    // parent document is no longer known (a late report of an old page).
    FrameState* Take(const bridge::FrameSnapshot& snapshot);
    FrameState* Find(bridge::FrameId frame) const;
    void Gone(bridge::FrameId frame);

private:
    FrameState* ChildFor(FrameState& parent, const bridge::FrameSnapshot& snapshot);
    void Forget(FrameState& state);

    FrameState& top_;
    IDispatch* application_;
    std::unordered_map<bridge::FrameId, FrameState*> live_;
};

} // namespace qv::qt
