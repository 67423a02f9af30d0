#pragma once

// Events of one browser view, all delivered on the GUI thread.

#include "backend/qt/bridge/bridge_types.h"

#include <string>

namespace qv::bridge {

class PageBridge;

class PageBridgeListener {
public:
    virtual ~PageBridgeListener() = default;

    // A javascript: link about to run in `frame`, or a navigation of the top frame
    // (`frame` is the top document's id) or of a subframe (`frame` is kNoFrame:
    // the engine does not say which). Set cancel to stop it.
    virtual void OnBeforeNavigate(FrameId /*frame*/, const std::string& /*url*/, bool& /*cancel*/) {
    }
    // DOMContentLoaded of a frame's document.
    virtual void OnNavigateComplete(const FrameSnapshot& /*snapshot*/) {}
    // load of a frame's document; a subframe's arrives before its parent's.
    virtual void OnDocumentComplete(const FrameSnapshot& /*snapshot*/) {}
    // A frame's document went away (navigated, reloaded or removed).
    virtual void OnFrameGone(FrameId /*frame*/) {}
    // The page wants a new window. Return a bridge of the same profile to load
    // it there, or nullptr to refuse.
    virtual PageBridge* OnNewWindow(const NewWindowRequest& /*request*/) { return nullptr; }
    // The page called window.close() on its top window. Nothing is closed by
    // the bridge; the host decides.
    virtual void OnWindowCloseRequested() {}
    virtual void OnTitleChanged(const std::string& /*title*/) {}
};

} // namespace qv::bridge
