#pragma once

// Events of one browser view, all delivered on the GUI thread. Frame reports
// come from the event loop, in the order the page sent them; a handler that
// waits for the page (a nested event loop) gets later ones inside its wait.

#include "backend/qt/bridge/bridge_types.h"

#include <string>

namespace qv::bridge {

class PageBridge;

class PageBridgeListener {
public:
    virtual ~PageBridgeListener() = default;

    // A javascript: URL about to run in `frame` (a link, a location assignment,
    // a form's action, window.open), or a navigation of the top frame (`frame`
    // is the top document's id) or of a subframe (`frame` is kNoFrame: the
    // engine does not say which). Reloads are not offered. Set cancel to stop it.
    virtual void OnBeforeNavigate(FrameId /*frame*/, const std::string& /*url*/, bool& /*cancel*/) {
    }
    // DOMContentLoaded of a frame's document; a subframe's comes after its
    // parent's, even when the subframe finished first.
    virtual void OnNavigateComplete(const FrameSnapshot& /*snapshot*/) {}
    // load of a frame's document; a subframe's arrives before its parent's.
    virtual void OnDocumentComplete(const FrameSnapshot& /*snapshot*/) {}
    // A frame's document went away (navigated, reloaded or removed).
    virtual void OnFrameGone(FrameId /*frame*/) {}
    // The page wants a new window. Return a bridge of the same profile to load
    // it there, or nullptr to refuse. A page with kMaxOpenWindows open gets
    // none and this is not asked.
    virtual PageBridge* OnNewWindow(const NewWindowRequest& /*request*/) { return nullptr; }
    // The page called window.close() on its top window, whatever its history.
    // Nothing is closed by the bridge; the host decides.
    virtual void OnWindowCloseRequested() {}
    virtual void OnTitleChanged(const std::string& /*title*/) {}
};

} // namespace qv::bridge
