// A simulated browser: the top-level browser of a control or one of its
// frames. Tests load documents into it and fire its events; what the
// program asks of it (navigate, refresh, size) is recorded. Events go to
// the sinks advised on the top-level browser, with the frame as argument.
#pragma once

#include "backend/sim/sim_document.h"
#include "backend/sim/transcript.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch_object.h"
#include "platform/com/ole_object.h"
#include "platform/html/doc_host_ui_handler.h"
#include "platform/html/web_browser.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::sim {

class SimBrowser final : public qv::com::EarlyBound<IWebBrowser2, IOleObject, IConnectionPoint> {
public:
    static qv::com::ComPtr<SimBrowser> Create(std::shared_ptr<Transcript> log, std::string name);

    // Frames: browsers of their own whose events the top-level one reports.
    SimBrowser* AddFrame(std::string name);
    SimBrowser* Frame(const std::string& name);
    SimBrowser* Top();
    const std::string& Name() const { return name_; }
    void SetBounds(LONG left, LONG top, LONG width, LONG height);

    void SetDocument(std::shared_ptr<SimDocument> document);
    SimDocument* Document() const { return document_.get(); }
    // The page finished: NavigateComplete2, then DocumentComplete, for this frame.
    void Load(std::shared_ptr<SimDocument> document);

    // Events, fired at the top-level browser's sinks with this frame.
    void FireNavigateComplete2(const std::string& url);
    void FireDocumentComplete(const std::string& url);
    // True when the host cancelled.
    bool FireBeforeNavigate2(const std::string& url);
    struct NewWindowAnswer {
        bool cancel = false;
        qv::com::ComPtr<IDispatch> window; // what the host gave for the new window
    };
    NewWindowAnswer FireNewWindow2();
    bool FireWindowClosing(bool childWindow);

    // What the host asked for.
    const std::vector<std::string>& Navigations() const { return navigations_; }
    std::optional<LONG> LastNavigateFlags() const { return lastFlags_; }
    int Refreshes() const { return refreshes_; }
    bool RegisteredAsBrowser() const { return registerAsBrowser_; }
    // The host's answers, asked as the real browser asks them when hosted.
    qv::com::ComPtr<IDocHostUIHandler> HostUIHandler() const;
    std::optional<DOCHOSTUIINFO> HostInfo() const;
    qv::com::ComPtr<IDispatch> External() const;
    std::size_t SinkCount() const { return sinks_.size(); }
    IDispatch* AsDispatch() { return static_cast<IWebBrowser2*>(this); }

    // IUnknown, IDispatch
    HRESULT QueryInterface(REFIID iid, void** object) override;
    // IWebBrowser2
    HRESULT Navigate(const BSTR& url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                     VARIANT* headers) override;
    HRESULT Refresh() override;
    HRESULT get_Application(IDispatch** application) override;
    HRESULT get_Document(IDispatch** document) override;
    HRESULT get_Left(LONG* value) override;
    HRESULT get_Top(LONG* value) override;
    HRESULT get_Width(LONG* value) override;
    HRESULT put_Width(LONG value) override;
    HRESULT get_Height(LONG* value) override;
    HRESULT put_Height(LONG value) override;
    HRESULT put_RegisterAsBrowser(VARIANT_BOOL value) override;
    // IOleObject
    HRESULT SetClientSite(IUnknown* site) override;
    // IConnectionPoint
    HRESULT Advise(IDispatch* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;

private:
    SimBrowser(std::shared_ptr<Transcript> log, std::string name, SimBrowser* parent)
        : log_(std::move(log)), name_(std::move(name)), parent_(parent) {}
    void Fire(DISPID dispid, std::vector<VARIANT> args);
    void Log(const std::string& line) { log_->Add(line); }

    std::shared_ptr<Transcript> log_;
    std::string name_;
    SimBrowser* parent_; // the frame's parent, which owns it
    std::vector<qv::com::ComPtr<SimBrowser>> frames_;
    std::shared_ptr<SimDocument> document_;
    LONG left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool registerAsBrowser_ = false;
    std::vector<std::string> navigations_;
    std::optional<LONG> lastFlags_;
    int refreshes_ = 0;
    qv::com::ComPtr<IUnknown> site_;
    std::map<DWORD, qv::com::ComPtr<IDispatch>> sinks_;
    DWORD nextCookie_ = 1;
};

} // namespace qv::sim
