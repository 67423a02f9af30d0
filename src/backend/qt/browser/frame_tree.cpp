#include "backend/qt/browser/frame_tree.h"

#include <algorithm>

namespace qv::qt {

using bridge::FrameId;
using bridge::kNoFrame;

FrameTree::~FrameTree() {
    // Frames the program still holds outlive the control.
    for (auto& child : top_.children)
        child->Orphan();
    top_.children.clear();
}

FrameState* FrameTree::Find(FrameId frame) const {
    const auto it = live_.find(frame);
    return it == live_.end() ? nullptr : it->second;
}

FrameState* FrameTree::Take(const bridge::FrameSnapshot& snapshot) {
    FrameState* state = nullptr;
    if (snapshot.isTop) {
        state = &top_;
    } else if (FrameState* known = Find(snapshot.frame)) {
        state = known;
    } else if (FrameState* parent = Find(snapshot.parent)) {
        state = ChildFor(*parent, snapshot);
    }
    if (!state)
        return nullptr;
    if (state->frame != snapshot.frame) {
        // Its previous document went, whether or not the bridge said so yet.
        if (state->frame != kNoFrame)
            live_.erase(state->frame);
        state->frame = snapshot.frame;
    }
    live_[snapshot.frame] = state;
    state->snapshot = std::make_shared<const bridge::FrameSnapshot>(snapshot);
    state->document.reset();
    return state;
}

FrameState* FrameTree::ChildFor(FrameState& parent, const bridge::FrameSnapshot& snapshot) {
    if (!snapshot.frameName.empty()) {
        for (auto& child : parent.children) {
            if (child->State().name == snapshot.frameName)
                return &child->State();
        }
    }
    auto child = com::MakeCom<QtFrameBrowser>(snapshot.frameName, &parent, top_.link, application_);
    parent.children.push_back(child);
    return &child->State();
}

void FrameTree::Gone(FrameId frame) {
    const auto it = live_.find(frame);
    if (it == live_.end())
        return;
    FrameState* state = it->second;
    live_.erase(it);
    if (state->frame != frame)
        return;
    state->frame = kNoFrame;
    // A named frame may come back with its next document; an unnamed one
    // cannot be recognised again.
    if (state == &top_ || !state->name.empty() || !state->parent)
        return;
    Forget(*state);
    auto& siblings = state->parent->children;
    const auto self = std::find_if(siblings.begin(), siblings.end(),
                                   [state](const auto& c) { return &c->State() == state; });
    if (self == siblings.end())
        return;
    com::ComPtr<QtFrameBrowser> keep = *self; // the program may hold it too
    siblings.erase(self);
    keep->Orphan();
}

void FrameTree::Forget(FrameState& state) {
    for (auto& child : state.children) {
        if (child->State().frame != kNoFrame)
            live_.erase(child->State().frame);
        Forget(child->State());
    }
}

} // namespace qv::qt
