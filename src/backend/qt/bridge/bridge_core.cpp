#include "backend/qt/bridge/bridge_core.h"

#include "backend/qt/bridge/bridge_limits.h"
#include "backend/qt/bridge/bridge_profile.h"
#include "backend/qt/bridge/bridge_web_page.h"
#include "backend/qt/bridge/external_dispatch.h"
#include "backend/qt/bridge/page_bridge_listener.h"
#include "backend/qt/bridge/snapshot_decoder.h"
#include "platform/debug_trace.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <algorithm>

namespace qv::bridge {

namespace {

const QString kChannelScriptName = QStringLiteral("qv-channel");
const QString kBridgeScriptName = QStringLiteral("qv-bridge");
const QString kPageWorldScriptName = QStringLiteral("qv-page-world");

QWebEngineScript MakeScript(const QString& name, const QString& source, quint32 world,
                            bool subframes = true) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(subframes);
    script.setWorldId(world);
    return script;
}

ExternalArg ArgFromJson(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble();
    case QJsonValue::String:
        return value.toString().toStdString();
    default:
        return std::monostate{};
    }
}

} // namespace

BridgeCore::BridgeCore(BridgeProfile& profile, PageBridgeListener* listener, QWidget* parent)
    : m_profile(profile), m_listener(listener), m_channelObject(*this) {
    m_view = new QWebEngineView(parent);
    // The view draws no border of its own; the engine's context menu stays.
    m_view->setContentsMargins(0, 0, 0, 0);
    m_view->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_page = new BridgeWebPage(profile.Profile(), m_view);
    m_page->SetNavigationFilter(
        [this](const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame) {
            return AcceptNavigation(url, type, isMainFrame);
        });
    m_view->setPage(m_page);

    m_channel.registerObject(QString::fromLatin1(kHostObjectName), &m_channelObject);
    m_page->setWebChannel(&m_channel, kBridgeWorldId);
    InstallScripts();

    connect(m_page, &QWebEnginePage::newWindowRequested, this, &BridgeCore::OnNewWindowRequested);
    // The bridge reports window.close() itself; this is for a close that
    // bypassed it (a frame of another origin), which the engine allowed.
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, [this] {
        if (m_listener) {
            m_listener->OnWindowCloseRequested();
        }
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus, int) { OnRendererGone(); });
    connect(m_page, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
        if (m_listener) {
            m_listener->OnTitleChanged(title.toStdString());
        }
    });
}

BridgeCore::~BridgeCore() {
    // The page goes with the view, before the channel it points at.
    delete m_view.data();
}

void BridgeCore::InstallScripts() {
    const QString channel = ChannelScriptSource();
    const QString bridge = BridgeScriptSource(m_token);
    if (channel.isEmpty() || bridge.isEmpty()) {
        qWarning("page bridge: bridge script resources missing; pages are not bridged");
        return;
    }
    // The channel client first, in the same world, so QWebChannel is a global
    // there and nowhere else. Subframes get no world of their own (a script
    // context each, at every reload of a poll frame): their part of the bridge
    // runs in the page's world and reports to the top's.
    m_page->scripts().insert(MakeScript(kChannelScriptName, channel, kBridgeWorldId, false));
    m_page->scripts().insert(MakeScript(kBridgeScriptName, bridge, kBridgeWorldId, false));
    InstallPageWorldScript();
}

void BridgeCore::InstallPageWorldScript() {
    if (!m_page) {
        return;
    }
    QWebEngineScriptCollection& scripts = m_page->scripts();
    for (const QWebEngineScript& old : scripts.find(kPageWorldScriptName)) {
        scripts.remove(old);
    }
    const QString source = PageWorldScriptSource(m_externalMembers, m_token);
    if (source.isEmpty()) {
        qWarning("page bridge: page-world script resource missing");
        return;
    }
    scripts.insert(MakeScript(kPageWorldScriptName, source, QWebEngineScript::MainWorld));
    m_pageWorldInstalled = true;
}

void BridgeCore::ProbeExternal() {
    std::vector<ExternalMember> members;
    if (m_external) {
        for (const std::string& name : m_externalNames) {
            const int id = m_external->GetIDsOfNames(name);
            if (id == kUnknownDispId) {
                continue;
            }
            ExternalMember m;
            m.name = name;
            m.property = m_external->Invoke(id, kInvokePropertyGet, {});
            m.callResult = m_external->Invoke(id, kInvokeMethod, {});
            members.push_back(std::move(m));
        }
    }
    auto same = [](const ExternalMember& a, const ExternalMember& b) {
        return a.name == b.name && a.property == b.property && a.callResult == b.callResult;
    };
    if (m_pageWorldInstalled &&
        std::equal(members.begin(), members.end(), m_externalMembers.begin(),
                   m_externalMembers.end(), same)) {
        return;
    }
    m_externalMembers = std::move(members);
    InstallPageWorldScript();
}

void BridgeCore::SetExternal(IExternalDispatch* external, std::vector<std::string> names) {
    m_external = external;
    m_externalNames = std::move(names);
    ProbeExternal();
}

void BridgeCore::Navigate(const std::string& url, unsigned /*flags*/) {
    // Every flag the engine can honour holds already: the profile has no cache.
    if (!m_page) {
        return;
    }
    ProbeExternal();
    m_page->load(QUrl(QString::fromStdString(url)));
}

bool BridgeCore::Refresh(FrameId frame, PageBridge::Done done) {
    if (!m_frames.count(frame)) {
        if (done) {
            done(false);
        }
        return false;
    }
    ProbeExternal();
    QJsonObject command;
    command[QLatin1String("op")] = QStringLiteral("reload");
    command[QLatin1String("frame")] = static_cast<double>(frame);
    Send(command, std::move(done));
    return true;
}

bool BridgeCore::ElementCommand(const char* op, FrameId frame, std::uint32_t snapshot,
                                std::size_t index, const std::string* text, PageBridge::Done done) {
    // Addresses the host can already tell are stale never reach the page; the
    // page checks again, since its document may have moved on meanwhile.
    const auto it = m_frames.find(frame);
    bool known = it != m_frames.end();
    if (known) {
        const auto& last = it->second.last;
        known = last && snapshot >= 1 && snapshot <= last->sequence &&
                last->sequence - snapshot < static_cast<std::uint32_t>(kKeptSnapshots) &&
                (snapshot != last->sequence || index < last->elements.size());
    }
    if (!known) {
        if (done) {
            done(false);
        }
        return false;
    }
    QJsonObject command;
    command[QLatin1String("op")] = QString::fromLatin1(op);
    command[QLatin1String("frame")] = static_cast<double>(frame);
    command[QLatin1String("seq")] = static_cast<double>(snapshot);
    command[QLatin1String("index")] = static_cast<double>(index);
    if (text) {
        command[QLatin1String("text")] = QString::fromStdString(*text);
    }
    Send(command, std::move(done));
    return true;
}

void BridgeCore::Send(const QJsonObject& command, PageBridge::Done done) {
    if (!m_page) {
        if (done) {
            done(false);
        }
        return;
    }
    // Scripts run in the order they are given, so commands keep theirs.
    const QString json = QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact));
    const QString name = QString::fromLatin1(kBridgeObjectName);
    const QString source =
        QStringLiteral("typeof %1 === 'object' ? %1.hub.exec(%2) : false").arg(name, json);
    if (!done) {
        // Nobody waits for the answer, so the page sends none back.
        m_page->runJavaScript(source, kBridgeWorldId);
        return;
    }
    const quint64 id = ++m_lastAwaited;
    m_awaited.emplace(id, std::move(done));
    m_page->runJavaScript(source, kBridgeWorldId,
                          [this, guard = QPointer<BridgeCore>(this), id](const QVariant& r) {
                              if (!guard) {
                                  return;
                              }
                              const auto it = m_awaited.find(id);
                              if (it == m_awaited.end()) {
                                  return;
                              }
                              PageBridge::Done answer = std::move(it->second);
                              m_awaited.erase(it);
                              answer(r.toBool());
                          });
}

void BridgeCore::OnRendererGone() {
    QV_TRACE(Bridge, "the page's process ended: %zu command(s) answered as not done",
             m_awaited.size());
    auto awaited = std::move(m_awaited);
    m_awaited.clear();
    ForgetAllFrames();
    for (auto& [id, done] : awaited) {
        done(false);
    }
}

void BridgeCore::Flush(std::function<void()> done) {
    if (!m_page) {
        if (done) {
            done();
        }
        return;
    }
    m_page->runJavaScript(QStringLiteral("0"), kBridgeWorldId,
                          [done = std::move(done)](const QVariant&) {
                              if (done) {
                                  done();
                              }
                          });
}

const FrameSnapshot* BridgeCore::LastSnapshot(FrameId frame) const {
    const auto it = m_frames.find(frame);
    return it == m_frames.end() ? nullptr : it->second.last.get();
}

std::string BridgeCore::Title() const {
    return m_page ? m_page->title().toStdString() : std::string();
}

QWidget* BridgeCore::Widget() const {
    return m_view.data();
}

QWebEnginePage* BridgeCore::Page() const {
    return m_page.data();
}

void BridgeCore::Later(std::function<void()> work) {
    m_queued.push_back(std::move(work));
    if (!m_runPosted) {
        m_runPosted = true;
        QMetaObject::invokeMethod(this, &BridgeCore::RunQueued, Qt::QueuedConnection);
    }
}

void BridgeCore::RunQueued() {
    m_runPosted = false;
    // A host's handler may wait for the page: what arrives meanwhile runs
    // from inside that wait, still in order. It may also delete the bridge.
    const QPointer<BridgeCore> alive(this);
    while (alive && !m_queued.empty()) {
        std::function<void()> work = std::move(m_queued.front());
        m_queued.pop_front();
        work();
    }
}

void BridgeCore::ForgetAllFrames() {
    std::vector<FrameId> gone;
    gone.reserve(m_frames.size());
    for (const auto& [id, record] : m_frames) {
        gone.push_back(id);
    }
    m_frames.clear();
    m_topFrame = kNoFrame;
    if (m_listener) {
        for (FrameId id : gone) {
            m_listener->OnFrameGone(id);
        }
    }
}

void BridgeCore::FrameOpened(FrameId frame, FrameId parent, bool isTop) {
    if (frame == kNoFrame) {
        return;
    }
    if (isTop) {
        // A new top document: every frame of the old one is gone, whether or not
        // its farewell made it across.
        ForgetAllFrames();
        m_topFrame = frame;
    }
    FrameRecord& record = m_frames[frame];
    record.parent = parent;
    record.isTop = isTop;
}

void BridgeCore::FrameReport(const QJsonObject& report) {
    QElapsedTimer timer;
    timer.start();
    FrameSnapshot snapshot = DecodeSnapshot(report);
    if (snapshot.frame == kNoFrame) {
        QV_TRACE(Bridge, "a frame report without a frame was dropped");
        return;
    }
    snapshot.decodeMillis = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (!m_frames.count(snapshot.frame)) {
        // Its opening was not seen; a report of an old top document's frame
        // after the new top opened is stale.
        if (!snapshot.isTop && m_topFrame != kNoFrame && !m_frames.count(snapshot.parent)) {
            QV_TRACE(Bridge, "a stale report of frame %s of an earlier document was dropped",
                     snapshot.location.href.c_str());
            return;
        }
        if (snapshot.isTop) {
            FrameOpened(snapshot.frame, kNoFrame, true);
        }
    }
    FrameRecord& record = m_frames[snapshot.frame];
    record.parent = snapshot.parent;
    record.isTop = snapshot.isTop;
    const bool complete =
        report.value(QLatin1String("type")).toString() == QLatin1String("documentComplete");
    // A frame may finish before its parent document has even parsed far
    // enough to report (a slow script after the frame): its reports wait for
    // the parent's navigate-complete, so a child never comes before it.
    const auto parent = snapshot.isTop ? m_frames.end() : m_frames.find(snapshot.parent);
    if (parent != m_frames.end() && (!parent->second.navigated || !parent->second.held.empty())) {
        parent->second.held.push_back({snapshot.frame, complete, std::move(snapshot)});
        return;
    }
    Deliver({snapshot.frame, complete, std::move(snapshot)});
}

void BridgeCore::Deliver(HeldReport report) {
    const FrameId id = report.frame;
    const auto it = m_frames.find(id);
    if (it == m_frames.end()) {
        return; // gone while it waited
    }
    FrameRecord& record = it->second;
    // A handler may pump events: this frame may go, and new reports come.
    const auto current = std::make_shared<const FrameSnapshot>(std::move(report.snapshot));
    record.last = current;
    if (!report.complete) {
        record.navigated = true;
    }
    if (m_listener) {
        if (report.complete) {
            m_listener->OnDocumentComplete(*current);
        } else {
            m_listener->OnNavigateComplete(*current);
        }
    }
    // Reports that came in meanwhile joined the queue, so the order holds.
    for (auto found = m_frames.find(id); found != m_frames.end() && !found->second.held.empty();
         found = m_frames.find(id)) {
        HeldReport next = std::move(found->second.held.front());
        found->second.held.erase(found->second.held.begin());
        Deliver(std::move(next));
    }
}

void BridgeCore::FrameGone(FrameId frame) {
    if (m_frames.erase(frame) == 0) {
        return;
    }
    if (frame == m_topFrame) {
        m_topFrame = kNoFrame;
    }
    if (m_listener) {
        m_listener->OnFrameGone(frame);
    }
}

bool BridgeCore::BeforeNavigate(FrameId frame, const QString& url) {
    bool cancel = false;
    if (m_listener) {
        m_listener->OnBeforeNavigate(frame, url.toStdString(), cancel);
    }
    return cancel;
}

// A reload (by the host, by the page's location.reload() or its own refresh)
// is not offered, as the old control raised no event for a refresh. The
// engine names a script's reload a redirect to the address shown.
bool BridgeCore::AcceptNavigation(const QUrl& url, QWebEnginePage::NavigationType type,
                                  bool isMainFrame) {
    if (type == QWebEnginePage::NavigationTypeReload ||
        (type == QWebEnginePage::NavigationTypeRedirect && IsShowing(url, isMainFrame))) {
        return true;
    }
    bool cancel = false;
    if (m_listener) {
        m_listener->OnBeforeNavigate(isMainFrame ? m_topFrame : kNoFrame,
                                     url.toString().toStdString(), cancel);
    }
    return !cancel;
}

bool BridgeCore::IsShowing(const QUrl& url, bool isMainFrame) const {
    for (const auto& [id, record] : m_frames) {
        if (record.isTop == isMainFrame && record.last &&
            QUrl(QString::fromStdString(record.last->location.href)) == url) {
            return true;
        }
    }
    return isMainFrame && m_page && m_page->url() == url;
}

void BridgeCore::CloseRequested(FrameId frame) {
    if (frame == m_topFrame && frame != kNoFrame && m_listener) {
        m_listener->OnWindowCloseRequested();
    }
}

void BridgeCore::ExternalCall(FrameId frame, const QString& name, const QJsonArray& args) {
    if (!m_external || !m_frames.count(frame)) {
        return;
    }
    const int id = m_external->GetIDsOfNames(name.toStdString());
    if (id == kUnknownDispId) {
        QV_TRACE(Bridge, "the page called window.external.%s, which the program does not offer",
                 qPrintable(name));
        return;
    }
    std::vector<ExternalArg> values;
    values.reserve(static_cast<std::size_t>(args.size()));
    for (const QJsonValue& v : args) {
        values.push_back(ArgFromJson(v));
    }
    m_external->Invoke(id, kInvokeMethod, values);
}

void BridgeCore::OnNewWindowRequested(QWebEngineNewWindowRequest& request) {
    if (!m_listener) {
        return;
    }
    // A page that keeps opening windows gets a handful, not one per call.
    std::erase_if(m_opened, [](const QPointer<QWebEnginePage>& p) { return p.isNull(); });
    if (m_opened.size() >= kMaxOpenWindows) {
        return;
    }
    NewWindowRequest info;
    info.url = request.requestedUrl().toString().toStdString();
    info.userInitiated = request.isUserInitiated();
    info.dialog = request.destination() == QWebEngineNewWindowRequest::InNewDialog;
    PageBridge* target = m_listener->OnNewWindow(info);
    if (!target || !target->Page()) {
        return;
    }
    if (&target->Profile() != &m_profile) {
        qWarning("page bridge: a new window must share the opener's profile; refused");
        return;
    }
    request.openIn(target->Page());
    if (std::find(m_opened.begin(), m_opened.end(), target->Page()) == m_opened.end()) {
        m_opened.emplace_back(target->Page());
    }
}

} // namespace qv::bridge
