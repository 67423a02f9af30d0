#pragma once

// Shared pieces of the bridge tests: a listener that records, an external
// object shaped like the program's, waits on the event loop with deadlines, and
// a fixture with a fresh profile, view and loopback server per test.

#include "backend/qt/bridge/bridge_profile.h"
#include "backend/qt/bridge/external_dispatch.h"
#include "backend/qt/bridge/page_bridge.h"
#include "backend/qt/bridge/page_bridge_listener.h"
#include "loopback_server.h"

#include <QVariant>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace qv::bridge::test {

// Runs the event loop until `done` holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 15000);

struct FrameEvent {
    enum Type { NavigateComplete, DocumentComplete, Gone } type;
    FrameSnapshot snapshot; // only the id for Gone
};

class Recorder : public PageBridgeListener {
public:
    void OnBeforeNavigate(FrameId frame, const std::string& url, bool& cancel) override;
    void OnNavigateComplete(const FrameSnapshot& snapshot) override;
    void OnDocumentComplete(const FrameSnapshot& snapshot) override;
    void OnFrameGone(FrameId frame) override;
    PageBridge* OnNewWindow(const NewWindowRequest& request) override;
    void OnWindowCloseRequested() override { ++closeRequests; }
    void OnTitleChanged(const std::string& title) override { titles.push_back(title); }

    // Document-complete snapshots whose href ends with `suffix`.
    std::vector<FrameSnapshot> Completed(const std::string& suffix) const;
    const FrameSnapshot* LastCompleted(const std::string& suffix) const;

    std::vector<FrameEvent> events;
    std::vector<std::pair<FrameId, std::string>> beforeNavigate;
    std::function<bool(FrameId, const std::string&)> cancelIf; // cancel when true
    std::vector<NewWindowRequest> newWindows;
    std::function<PageBridge*(const NewWindowRequest&)> newWindowTarget;
    int closeRequests = 0;
    std::vector<std::string> titles;
};

// Answers like the program's external object: CTI_IsBrowser is true as a
// property and as a call; CTI_ChangeRows reads as true and, called with two
// strings, hands them over.
class FakeExternal : public IExternalDispatch {
public:
    static constexpr int kIsBrowser = 12345;
    static constexpr int kChangeRows = 12344;

    int GetIDsOfNames(const std::string& name) override;
    std::optional<bool> Invoke(int dispId, unsigned flags,
                               const std::vector<ExternalArg>& args) override;

    std::vector<std::string> lookedUp;
    std::vector<std::pair<std::string, std::string>> rows;
    int methodCalls = 0;
};

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Navigates and waits for the top document's document-complete.
    const FrameSnapshot* Load(const QString& path, unsigned flags = 0);
    // Waits until every command given so far has run.
    void Flush();
    // Runs script in the top frame's page world and returns its value.
    QVariant RunInPage(const QString& script);
    // Waits for the top document's title to become `title`.
    bool WaitForTitle(const std::string& title, int timeoutMs = 15000);

    LoopbackServer server;
    Recorder recorder;
    std::unique_ptr<BridgeProfile> profile;
    std::unique_ptr<PageBridge> bridge;
};

// Index of the first element of `kind` named `name`, or -1.
int FindElement(const FrameSnapshot& s, ElementKind kind, const std::string& name);

} // namespace qv::bridge::test
