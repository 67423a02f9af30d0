#include "backend/qt/browser/qt_web_browser.h"

#include "backend/qt/bridge/bridge_profile.h"
#include "backend/qt/bridge/page_bridge.h"
#include "backend/qt/browser/browser_view.h"
#include "backend/qt/browser/dispatch_external.h"
#include "backend/qt/browser/standalone_window.h"

#include <QCoreApplication>
#include <QWebEnginePage>

namespace qv::qt {

using bridge::FrameId;
using bridge::FrameSnapshot;
using bridge::kNoFrame;
using com::ComPtr;

namespace {

// The shell's default context menu, as the host is asked about it.
constexpr DWORD kContextMenuDefault = 0;

unsigned NavigateFlags(const VARIANT* flags) {
    if (flags && flags->vt == (VT_VARIANT | VT_BYREF))
        flags = flags->pvarVal;
    if (!flags)
        return 0;
    if (flags->vt == VT_I2)
        return static_cast<unsigned>(flags->iVal);
    if (flags->vt == VT_I4)
        return static_cast<unsigned>(flags->lVal);
    return 0;
}

} // namespace

class QtWebBrowser::Hold {
public:
    explicit Hold(QtWebBrowser* browser) : browser_(browser) { browser_->AddRef(); }
    ~Hold() {
        QtWebBrowser* browser = browser_;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [browser] { browser->Release(); }, Qt::QueuedConnection);
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    QtWebBrowser* browser_;
};

ComPtr<QtWebBrowser> QtWebBrowser::Create(QWidget* container,
                                          std::shared_ptr<bridge::BridgeProfile> profile,
                                          std::vector<std::string> externalNames) {
    return ComPtr<QtWebBrowser>(
        new QtWebBrowser(container, std::move(profile), std::move(externalNames)));
}

QtWebBrowser::QtWebBrowser(QWidget* container, std::shared_ptr<bridge::BridgeProfile> profile,
                           std::vector<std::string> externalNames)
    : link_(std::make_shared<BridgeLink>()), tree_(top_, AsDispatch()),
      externalNames_(std::move(externalNames)) {
    top_.browser = this;
    top_.link = link_;
    bridge::PageBridgeListener* listener = this;
    view_ = std::make_unique<BrowserView>(std::move(profile), listener, container);
    link_->bridge = view_->Bridge();
    view_->OnGone([link = link_] { link->bridge = nullptr; });
    view_->SetContextMenuHost(
        [this](const QPoint& screen) { return HostContextMenu(screen.x(), screen.y()); });
}

QtWebBrowser::~QtWebBrowser() {
    link_->bridge = nullptr;
    if (bridge::PageBridge* page = view_->Bridge()) {
        page->SetListener(nullptr);
        page->SetExternal(nullptr, {});
    }
    view_.reset();
}

bridge::PageBridge* QtWebBrowser::Bridge() const {
    return link_->bridge;
}

// The profile keeps no cache, so navNoReadFromCache always holds; a target
// frame is not supported (the program names none).
HRESULT QtWebBrowser::Navigate(const BSTR& url, VARIANT* flags, VARIANT*, VARIANT*, VARIANT*) {
    bridge::PageBridge* page = Bridge();
    if (!page)
        return E_FAIL;
    page->Navigate(com::FromBstr(url), NavigateFlags(flags));
    return S_OK;
}

HRESULT QtWebBrowser::Refresh() {
    bridge::PageBridge* page = Bridge();
    if (!page)
        return E_FAIL;
    // A page the bridge never saw (an error page) still reloads.
    if (top_.frame == kNoFrame || !page->Refresh(top_.frame)) {
        if (QWebEnginePage* engine = page->Page())
            engine->triggerAction(QWebEnginePage::Reload);
    }
    return S_OK;
}

HRESULT QtWebBrowser::get_Application(IDispatch** application) {
    if (!application)
        return E_POINTER;
    *application = AsDispatch();
    AddRef();
    return S_OK;
}

bool QtWebBrowser::GetBounds(Bounds& bounds) const {
    if (!view_->Container())
        return false;
    const QRect r = view_->Geometry();
    bounds = Bounds{r.x(), r.y(), r.width(), r.height()};
    return true;
}

HRESULT QtWebBrowser::put_Width(LONG value) {
    if (!view_->Container())
        return E_FAIL;
    view_->Resize(value, view_->Geometry().height());
    return S_OK;
}

HRESULT QtWebBrowser::put_Height(LONG value) {
    if (!view_->Container())
        return E_FAIL;
    view_->Resize(view_->Geometry().width(), value);
    return S_OK;
}

HRESULT QtWebBrowser::SetClientSite(IUnknown* site) {
    site_ = site;
    hostUi_ = site_ ? site_.As<IDocHostUIHandler>() : nullptr;
    ApplyHost();
    return S_OK;
}

void QtWebBrowser::ApplyHost() {
    DOCHOSTUIINFO info;
    const bool hostInfo = hostUi_ && SUCCEEDED(hostUi_->GetHostInfo(&info));
    view_->SetBorder(!hostInfo || !(info.dwFlags & DOCHOSTUIFLAG_NO3DBORDER));

    // The bridge keeps a plain pointer: take it back before the object goes.
    bridge::PageBridge* page = Bridge();
    if (page)
        page->SetExternal(nullptr, {});
    external_.reset();
    IDispatch* object = nullptr;
    if (hostUi_ && SUCCEEDED(hostUi_->GetExternal(&object)) && object) {
        external_ = std::make_unique<DispatchExternal>(ComPtr<IDispatch>::Adopt(object));
        if (page)
            page->SetExternal(external_.get(), externalNames_);
    } else if (object) {
        object->Release();
    }
}

bool QtWebBrowser::HostContextMenu(int x, int y) {
    ComPtr<IDocHostUIHandler> host = hostUi_;
    if (!host)
        return false;
    Hold hold(this);
    POINT point{x, y};
    return host->ShowContextMenu(kContextMenuDefault, &point, nullptr, nullptr) == S_OK;
}

void QtWebBrowser::FireFrameEvent(DISPID dispid, const FrameSnapshot& snapshot) {
    Hold hold(this);
    FrameState* state = tree_.Take(snapshot);
    if (!state)
        return;
    ComPtr<IDispatch> frame(state->browser);
    SendFrameEvent(dispid, frame.get(), snapshot.location.href);
}

void QtWebBrowser::OnNavigateComplete(const FrameSnapshot& snapshot) {
    FireFrameEvent(DISPID_NAVIGATECOMPLETE2, snapshot);
}

void QtWebBrowser::OnDocumentComplete(const FrameSnapshot& snapshot) {
    FireFrameEvent(DISPID_DOCUMENTCOMPLETE, snapshot);
}

void QtWebBrowser::OnFrameGone(FrameId frame) {
    tree_.Gone(frame);
}

// A subframe's own navigation comes without its frame (the engine does not
// say which); it is reported on the control.
void QtWebBrowser::OnBeforeNavigate(FrameId frame, const std::string& url, bool& cancel) {
    Hold hold(this);
    FrameState* state = frame == kNoFrame ? nullptr : tree_.Find(frame);
    ComPtr<IDispatch> target(state ? static_cast<IDispatch*>(state->browser) : AsDispatch());
    cancel = SendBeforeNavigate(target.get(), url);
}

// The host may hand back another browser control of this program to open the
// page in, or cancel. Left alone, the page gets a plain browser window of its
// own, as a browser opens one for window.open.
bridge::PageBridge* QtWebBrowser::OnNewWindow(const bridge::NewWindowRequest& request) {
    Hold hold(this);
    const NewWindowAnswer answer = SendNewWindow();
    const ComPtr<IDispatch>& target = answer.window;
    if (answer.cancel)
        return nullptr;
    if (!target)
        return view_->Profile() ? StandaloneWindow::Open(*view_->Profile(), request) : nullptr;
    auto* other = dynamic_cast<QtWebBrowser*>(target.get());
    return other && other != this ? other->Bridge() : nullptr;
}

// Nothing closes on its own: a host that does not cancel closes its window
// itself, as the program's dialogs do.
void QtWebBrowser::OnWindowCloseRequested() {
    Hold hold(this);
    SendWindowClosing(false);
}

} // namespace qv::qt
