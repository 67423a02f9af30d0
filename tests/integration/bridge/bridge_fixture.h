#pragma once

// Shared pieces of the bridge tests: a listener that records, and a fixture
// with a fresh profile, view and loopback server per test.

#include "backend/qt/bridge/bridge_profile.h"
#include "backend/qt/bridge/page_bridge.h"
#include "backend/qt/bridge/page_bridge_listener.h"
#include "engine_support.h"
#include "loopback_server.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace qv::bridge::test {

using engine_test::WaitUntil;

struct FrameEvent {
    enum Type { NavigateComplete, DocumentComplete, Gone } type;
    FrameSnapshot snapshot; // only the id for Gone
};

class Recorder : public PageBridgeListener {
public:
    void OnBeforeNavigate(FrameId frame, const std::string& url, bool& cancel) override;
    void OnNavigateComplete(const FrameSnapshot& s) override {
        events.push_back({FrameEvent::NavigateComplete, s});
    }
    void OnDocumentComplete(const FrameSnapshot& s) override {
        events.push_back({FrameEvent::DocumentComplete, s});
    }
    void OnFrameGone(FrameId frame) override;
    PageBridge* OnNewWindow(const NewWindowRequest& request) override;
    void OnWindowCloseRequested() override { ++closeRequests; }
    void OnTitleChanged(const std::string& title) override { titles.push_back(title); }

    // Document-complete snapshots whose href ends with `suffix`.
    std::vector<FrameSnapshot> Completed(const std::string& suffix) const;
    const FrameSnapshot* LastCompleted(const std::string& suffix) const;
    bool Gone(FrameId frame) const;

    std::vector<FrameEvent> events;
    std::vector<std::pair<FrameId, std::string>> beforeNavigate;
    std::function<bool(FrameId, const std::string&)> cancelIf; // cancel when true
    std::vector<NewWindowRequest> newWindows;
    std::function<PageBridge*(const NewWindowRequest&)> newWindowTarget;
    int closeRequests = 0;
    std::vector<std::string> titles;
};

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Navigates and waits for the top document's document-complete.
    const FrameSnapshot* Load(const QString& path, unsigned flags = 0);
    // Waits until every command given so far has run.
    void Flush();
    // Waits for `done` of a command and returns what it reported.
    static bool Applied(const std::function<void(PageBridge::Done)>& issue);
    QVariant RunInPage(const QString& script) { return engine_test::RunJs(bridge->Page(), script); }
    bool WaitForTitle(const std::string& title, int timeoutMs = 15000) {
        return WaitUntil([&] { return bridge->Title() == title; }, timeoutMs);
    }

    LoopbackServer server;
    Recorder recorder;
    std::unique_ptr<BridgeProfile> profile;
    std::unique_ptr<PageBridge> bridge;
};

// Index of the first element of `kind` named `name` (and, if given, with
// that href), or -1.
int FindElement(const FrameSnapshot& s, ElementKind kind, const std::string& name,
                const std::string& href = {});

} // namespace qv::bridge::test
