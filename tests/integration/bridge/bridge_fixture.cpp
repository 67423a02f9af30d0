#include "bridge_fixture.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWidget>

namespace qv::bridge::test {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        // Sleeps until an event arrives or a short tick passes; no busy wait.
        QEventLoop loop;
        QTimer::singleShot(std::min<qint64>(20, std::max<qint64>(1, deadline.remainingTime())),
                           &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void Recorder::OnBeforeNavigate(FrameId frame, const std::string& url, bool& cancel) {
    beforeNavigate.emplace_back(frame, url);
    cancel = cancelIf && cancelIf(frame, url);
}

void Recorder::OnNavigateComplete(const FrameSnapshot& snapshot) {
    events.push_back({FrameEvent::NavigateComplete, snapshot});
}

void Recorder::OnDocumentComplete(const FrameSnapshot& snapshot) {
    events.push_back({FrameEvent::DocumentComplete, snapshot});
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

static bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<FrameSnapshot> Recorder::Completed(const std::string& suffix) const {
    std::vector<FrameSnapshot> out;
    for (const FrameEvent& e : events) {
        if (e.type == FrameEvent::DocumentComplete && EndsWith(e.snapshot.location.href, suffix)) {
            out.push_back(e.snapshot);
        }
    }
    return out;
}

const FrameSnapshot* Recorder::LastCompleted(const std::string& suffix) const {
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
        if (it->type == FrameEvent::DocumentComplete &&
            EndsWith(it->snapshot.location.href, suffix)) {
            return &it->snapshot;
        }
    }
    return nullptr;
}

int FakeExternal::GetIDsOfNames(const std::string& name) {
    lookedUp.push_back(name);
    if (name == "CTI_IsBrowser") {
        return kIsBrowser;
    }
    if (name == "CTI_ChangeRows") {
        return kChangeRows;
    }
    return kUnknownDispId;
}

std::optional<bool> FakeExternal::Invoke(int dispId, unsigned flags,
                                         const std::vector<ExternalArg>& args) {
    std::optional<bool> result;
    if (dispId != kIsBrowser && dispId != kChangeRows) {
        return result;
    }
    if (flags & kInvokePropertyGet) {
        result = true;
    }
    if (flags & kInvokeMethod) {
        ++methodCalls;
        if (dispId == kIsBrowser) {
            result = true;
        } else if (args.size() >= 2) {
            const auto* row1 = std::get_if<std::string>(&args[args.size() - 2]);
            const auto* row2 = std::get_if<std::string>(&args[args.size() - 1]);
            if (row1 && row2) {
                rows.emplace_back(*row1, *row2);
            }
        }
    }
    return result;
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
        for (std::size_t i = before; i < recorder.events.size(); ++i) {
            const FrameEvent& e = recorder.events[i];
            if (e.type == FrameEvent::DocumentComplete && e.snapshot.isTop &&
                e.snapshot.location.href == url) {
                found = &e.snapshot;
                return true;
            }
        }
        return false;
    });
    return found;
}

void BridgeTest::Flush() {
    bool done = false;
    bridge->Flush([&] { done = true; });
    ASSERT_TRUE(WaitUntil([&] { return done; }));
}

QVariant BridgeTest::RunInPage(const QString& script) {
    QVariant result;
    bool done = false;
    bridge->Page()->runJavaScript(script, 0, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return done; })) << script.toStdString();
    return result;
}

bool BridgeTest::WaitForTitle(const std::string& title, int timeoutMs) {
    return WaitUntil([&] { return bridge->Title() == title; }, timeoutMs);
}

int FindElement(const FrameSnapshot& s, ElementKind kind, const std::string& name) {
    for (std::size_t i = 0; i < s.elements.size(); ++i) {
        if (s.elements[i].kind == kind && s.elements[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace qv::bridge::test
