// A simulated browser: the top-level browser of a control or one of its
// frames. Tests load documents into it and fire its events; what the
// program asks of it (navigate, refresh, size) is recorded. Events go to
// the sinks advised on the top-level browser, with the frame as argument.
#pragma once

#include "backend/sim/sim_document.h"
#include "backend/sim/transcript.h"
#include "platform/html/browser_control.h"
#include "platform/html/doc_host_ui_handler.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::sim {

class SimBrowser final : public qv::html::BrowserControl {
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
    NewWindowAnswer FireNewWindow2();
    bool FireWindowClosing(bool childWindow);

    // What the host asked for.
    const std::vector<std::string>& Navigations() const { return navigations_; }
    std::optional<LONG> LastNavigateFlags() const { return lastFlags_; }
    int Refreshes() const { return refreshes_; }
    // The host's answers, asked as the real browser asks them when hosted.
    qv::com::ComPtr<IDocHostUIHandler> HostUIHandler() const;
    std::optional<DOCHOSTUIINFO> HostInfo() const;
    qv::com::ComPtr<IDispatch> External() const;

    // IWebBrowser2
    HRESULT Navigate(const BSTR& url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                     VARIANT* headers) override;
    HRESULT Refresh() override;
    HRESULT get_Application(IDispatch** application) override;
    HRESULT get_Document(IDispatch** document) override;
    HRESULT put_Width(LONG value) override;
    HRESULT put_Height(LONG value) override;
    // IOleObject
    HRESULT SetClientSite(IUnknown* site) override;

private:
    SimBrowser(std::shared_ptr<Transcript> log, std::string name, SimBrowser* parent)
        : log_(std::move(log)), name_(std::move(name)), parent_(parent) {}
    void Fire(DISPID dispid, std::vector<VARIANT> args) override;
    bool GetBounds(Bounds& bounds) const override;
    void Log(const std::string& line) { log_->Add(line); }

    std::shared_ptr<Transcript> log_;
    std::string name_;
    SimBrowser* parent_; // the frame's parent, which owns it
    std::vector<qv::com::ComPtr<SimBrowser>> frames_;
    std::shared_ptr<SimDocument> document_;
    Bounds bounds_;
    std::vector<std::string> navigations_;
    std::optional<LONG> lastFlags_;
    int refreshes_ = 0;
    qv::com::ComPtr<IUnknown> site_;
};

} // namespace qv::sim
