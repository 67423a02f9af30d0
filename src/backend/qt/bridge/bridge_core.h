#pragma once

// The workings behind PageBridge: the view, the page, the web channel, the
// scripts and what is known about each live frame document.

#include "backend/qt/bridge/bridge_channel_object.h"
#include "backend/qt/bridge/bridge_scripts.h"
#include "backend/qt/bridge/page_bridge.h"

#include <QObject>
#include <QPointer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>

class QWebEngineView;
class QWebEngineNewWindowRequest;

namespace qv::bridge {

class BridgeWebPage;

class BridgeCore : public QObject {
    Q_OBJECT

public:
    BridgeCore(BridgeProfile& profile, PageBridgeListener* listener, QWidget* parent);
    ~BridgeCore() override;

    void SetListener(PageBridgeListener* listener) { m_listener = listener; }
    void SetExternal(IExternalDispatch* external, std::vector<std::string> names);
    void Navigate(const std::string& url, unsigned flags);
    bool Refresh(FrameId frame, PageBridge::Done done);
    bool ElementCommand(const char* op, FrameId frame, std::uint32_t snapshot, std::size_t index,
                        const std::string* text, PageBridge::Done done);
    void Flush(std::function<void()> done);

    const FrameSnapshot* LastSnapshot(FrameId frame) const;
    FrameId TopFrame() const { return m_topFrame; }
    std::string Title() const;
    QWidget* Widget() const;
    QWebEnginePage* Page() const;
    BridgeProfile& Profile() const { return m_profile; }

    // Runs `work` from the event loop, after what was queued before.
    void Later(std::function<void()> work);

    // From the channel object.
    void FrameOpened(FrameId frame, FrameId parent, bool isTop);
    void FrameReport(const QJsonObject& report);
    void FrameGone(FrameId frame);
    bool BeforeNavigate(FrameId frame, const QString& url);
    void ExternalCall(FrameId frame, const QString& name, const QJsonArray& args);
    void CloseRequested(FrameId frame);

private:
    struct HeldReport {
        FrameId frame;
        bool complete;
        FrameSnapshot snapshot;
    };
    struct FrameRecord {
        FrameId parent = kNoFrame;
        bool isTop = false;
        std::shared_ptr<const FrameSnapshot> last;
        // Its navigate-complete went out; until then its children's reports
        // wait in `held`, in the order they came.
        bool navigated = false;
        std::vector<HeldReport> held;
    };

    void InstallScripts();
    void InstallPageWorldScript();
    void ProbeExternal();
    void OnNewWindowRequested(QWebEngineNewWindowRequest& request);
    bool AcceptNavigation(const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame);
    bool IsShowing(const QUrl& url, bool isMainFrame) const;
    void Deliver(HeldReport report);
    void RunQueued();
    void Send(const QJsonObject& command, PageBridge::Done done);
    void ForgetAllFrames();
    // The page's process died: what it was asked is answered as not done.
    void OnRendererGone();

    BridgeProfile& m_profile;
    PageBridgeListener* m_listener;
    QPointer<QWebEngineView> m_view;
    QPointer<BridgeWebPage> m_page;
    BridgeChannelObject m_channelObject;
    QWebChannel m_channel;
    // Shared by the scripts of both worlds, so page scripts cannot pose as a
    // subframe's bridge.
    const QString m_token = NewBridgeToken();

    IExternalDispatch* m_external = nullptr;
    std::vector<std::string> m_externalNames;
    std::vector<ExternalMember> m_externalMembers;
    bool m_pageWorldInstalled = false;

    std::unordered_map<FrameId, FrameRecord> m_frames;
    FrameId m_topFrame = kNoFrame;
    std::deque<std::function<void()>> m_queued;
    // Commands whose answer a caller waits for, by number: a renderer that
    // dies never answers them.
    std::unordered_map<quint64, PageBridge::Done> m_awaited;
    quint64 m_lastAwaited = 0;
    bool m_runPosted = false;
    // Pages that took this page's new-window requests and still exist.
    std::vector<QPointer<QWebEnginePage>> m_opened;
};

} // namespace qv::bridge
