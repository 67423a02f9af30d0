#include "bridge_fixture.h"

#include <QWebEnginePage>
#include <QWidget>
#include <algorithm>
#include <optional>

namespace qv::bridge::test {

void Recorder::OnBeforeNavigate(FrameId frame, const std::string& url, bool& cancel) {
    beforeNavigate.emplace_back(frame, url);
    cancel = cancelIf && cancelIf(frame, url);
}

void Recorder::OnFrameGone(FrameId frame) {
    FrameSnapshot s;
    s.frame = frame;
    events.push_back({FrameEvent::Gone, s});
}

PageBridge* Recorder::OnNewWindow(const NewWindowRequest& request) {
    newWindows.push_back(request);
    return newWindowTarget ? newWindowTarget(request) : nullptr;
}

std::vector<FrameSnapshot> Recorder::Completed(const std::string& suffix) const {
    std::vector<FrameSnapshot> out;
    for (const FrameEvent& e : events) {
        if (e.type == FrameEvent::DocumentComplete && e.snapshot.location.href.ends_with(suffix))
            out.push_back(e.snapshot);
    }
    return out;
}

const FrameSnapshot* Recorder::LastCompleted(const std::string& suffix) const {
    const auto it = std::find_if(events.rbegin(), events.rend(), [&](const FrameEvent& e) {
        return e.type == FrameEvent::DocumentComplete && e.snapshot.location.href.ends_with(suffix);
    });
    return it == events.rend() ? nullptr : &it->snapshot;
}

bool Recorder::Gone(FrameId frame) const {
    return std::any_of(events.begin(), events.end(), [&](const FrameEvent& e) {
        return e.type == FrameEvent::Gone && e.snapshot.frame == frame;
    });
}

void BridgeTest::SetUp() {
    ASSERT_TRUE(server.Start());
    profile = std::make_unique<BridgeProfile>();
    bridge = std::make_unique<PageBridge>(*profile, &recorder);
    bridge->Widget()->resize(800, 600);
    bridge->Widget()->show();
}

void BridgeTest::TearDown() {
    bridge.reset();
    profile.reset();
}

const FrameSnapshot* BridgeTest::Load(const QString& path, unsigned flags) {
    const std::string url = server.Url(path).toStdString();
    const std::size_t before = recorder.events.size();
    bridge->Navigate(url, flags);
    const FrameSnapshot* found = nullptr;
    WaitUntil([&] {
        for (std::size_t i = before; i < recorder.events.size() && !found; ++i) {
            const FrameEvent& e = recorder.events[i];
            if (e.type == FrameEvent::DocumentComplete && e.snapshot.isTop &&
                e.snapshot.location.href == url)
                found = &e.snapshot;
        }
        return found != nullptr;
    });
    return found;
}

void BridgeTest::Flush() {
    bool done = false;
    bridge->Flush([&] { done = true; });
    ASSERT_TRUE(WaitUntil([&] { return done; }));
}

bool BridgeTest::Applied(const std::function<void(PageBridge::Done)>& issue) {
    std::optional<bool> result;
    issue([&](bool applied) { result = applied; });
    EXPECT_TRUE(WaitUntil([&] { return result.has_value(); }));
    return result.value_or(false);
}

int FindElement(const FrameSnapshot& s, ElementKind kind, const std::string& name,
                const std::string& href) {
    for (std::size_t i = 0; i < s.elements.size(); ++i) {
        const ElementInfo& e = s.elements[i];
        if (e.kind == kind && e.name == name && (href.empty() || e.href == href))
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace qv::bridge::test
