#pragma once

// One browser view showing a page, with a bridge into every frame's document.
// The host gets snapshots of each frame at DOMContentLoaded and load and sends
// back commands addressed to (frame, snapshot, element index). Commands run in
// the order given; one whose document has gone, or whose element is no longer
// in it, is dropped. Everything happens on the GUI thread.

#include "backend/qt/bridge/bridge_types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class QWebEnginePage;

namespace qv::bridge {

class BridgeProfile;
class IExternalDispatch;
class PageBridgeListener;
class BridgeCore;

class PageBridge {
public:
    // Called once a command has run in the page (true) or was dropped as stale
    // (false). Optional.
    using Done = std::function<void(bool applied)>;

    PageBridge(BridgeProfile& profile, PageBridgeListener* listener, QWidget* parent = nullptr);
    ~PageBridge();
    PageBridge(const PageBridge&) = delete;
    PageBridge& operator=(const PageBridge&) = delete;

    void SetListener(PageBridgeListener* listener);
    // The object the page sees as window.external, with the names it offers.
    // Each name is probed here and at every Navigate/Refresh: a property read
    // answers Invoke(PROPERTYGET), a call answers what Invoke(METHOD) gave without
    // arguments (so an argument-less call must not have side effects), while the
    // real call with its arguments reaches Invoke asynchronously. Pass nullptr to
    // offer nothing. Takes effect for documents created afterwards.
    void SetExternal(IExternalDispatch* external, std::vector<std::string> names);

    void Navigate(const std::string& url, unsigned flags = 0);
    // Reloads the frame's document (the top frame's reloads the page).
    bool Refresh(FrameId frame, Done done = {});
    // The three element commands use the element list of `snapshot` of `frame`.
    bool SetValue(FrameId frame, std::uint32_t snapshot, std::size_t index, const std::string& text,
                  Done done = {});
    bool Click(FrameId frame, std::uint32_t snapshot, std::size_t index, Done done = {});
    // Replaces a script element's text in the document. A script runs once, when
    // it is inserted, so the new text does not run and the old one is not undone;
    // focus requests are kept off by the page-world override instead.
    bool SetScriptText(FrameId frame, std::uint32_t snapshot, std::size_t index,
                       const std::string& text, Done done = {});
    // Runs `done` once every command given before has been carried out.
    void Flush(std::function<void()> done);

    // The last snapshot received of a live frame document, or nullptr.
    const FrameSnapshot* LastSnapshot(FrameId frame) const;
    FrameId TopFrame() const;
    std::string Title() const;

    QWidget* Widget() const;
    QWebEnginePage* Page() const;
    BridgeProfile& Profile() const;

private:
    std::unique_ptr<BridgeCore> m_core;
};

} // namespace qv::bridge
