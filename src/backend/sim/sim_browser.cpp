#include "backend/sim/sim_browser.h"

namespace qv::sim {

using qv::com::ComPtr;
using qv::com::FromBstr;

ComPtr<SimBrowser> SimBrowser::Create(std::shared_ptr<Transcript> log, std::string name) {
    return ComPtr<SimBrowser>(new SimBrowser(std::move(log), std::move(name), nullptr));
}

SimBrowser* SimBrowser::AddFrame(std::string name) {
    frames_.push_back(ComPtr<SimBrowser>(new SimBrowser(log_, std::move(name), this)));
    return frames_.back().get();
}

SimBrowser* SimBrowser::Frame(const std::string& name) {
    for (auto& frame : frames_) {
        if (frame->name_ == name)
            return frame.get();
        if (SimBrowser* inner = frame->Frame(name))
            return inner;
    }
    return nullptr;
}

SimBrowser* SimBrowser::Top() {
    return parent_ ? parent_->Top() : this;
}

void SimBrowser::SetBounds(LONG left, LONG top, LONG width, LONG height) {
    bounds_ = Bounds{left, top, width, height};
}

void SimBrowser::SetDocument(std::shared_ptr<SimDocument> document) {
    if (document_ && document_ != document)
        document_->Detach();
    document_ = std::move(document);
    if (document_)
        document_->SetLog(log_);
}

void SimBrowser::Load(std::shared_ptr<SimDocument> document) {
    SetDocument(std::move(document));
    const std::string url = document_ ? document_->Href() : std::string();
    FireNavigateComplete2(url);
    FireDocumentComplete(url);
}

void SimBrowser::Fire(DISPID dispid, std::vector<VARIANT> args) {
    Top()->BrowserControl::Fire(dispid, std::move(args));
}

void SimBrowser::FireNavigateComplete2(const std::string& url) {
    Log("NavigateComplete2(" + name_ + ", " + url + ")");
    SendFrameEvent(DISPID_NAVIGATECOMPLETE2, AsDispatch(), url);
}

void SimBrowser::FireDocumentComplete(const std::string& url) {
    Log("DocumentComplete(" + name_ + ", " + url + ")");
    SendFrameEvent(DISPID_DOCUMENTCOMPLETE, AsDispatch(), url);
}

bool SimBrowser::FireBeforeNavigate2(const std::string& url) {
    Log("BeforeNavigate2(" + name_ + ", " + url + ")");
    return SendBeforeNavigate(AsDispatch(), url);
}

SimBrowser::NewWindowAnswer SimBrowser::FireNewWindow2() {
    Log("NewWindow2(" + name_ + ")");
    return SendNewWindow();
}

bool SimBrowser::FireWindowClosing(bool childWindow) {
    Log("WindowClosing(" + name_ + ", child=" + (childWindow ? "1" : "0") + ")");
    return SendWindowClosing(childWindow);
}

ComPtr<IDocHostUIHandler> SimBrowser::HostUIHandler() const {
    const SimBrowser* top = parent_ ? const_cast<SimBrowser*>(this)->Top() : this;
    return top->site_ ? top->site_.As<IDocHostUIHandler>() : nullptr;
}

std::optional<DOCHOSTUIINFO> SimBrowser::HostInfo() const {
    auto handler = HostUIHandler();
    if (!handler)
        return std::nullopt;
    DOCHOSTUIINFO info;
    if (FAILED(handler->GetHostInfo(&info)))
        return std::nullopt;
    return info;
}

ComPtr<IDispatch> SimBrowser::External() const {
    auto handler = HostUIHandler();
    IDispatch* external = nullptr;
    if (!handler || FAILED(handler->GetExternal(&external)))
        return nullptr;
    return ComPtr<IDispatch>::Adopt(external);
}

HRESULT SimBrowser::Navigate(const BSTR& url, VARIANT* flags, VARIANT*, VARIANT*, VARIANT*) {
    const std::string text = FromBstr(url);
    navigations_.push_back(text);
    lastFlags_.reset();
    if (flags && flags->vt == VT_I2)
        lastFlags_ = flags->iVal;
    else if (flags && flags->vt == VT_I4)
        lastFlags_ = flags->lVal;
    Log("Navigate(" + name_ + ", " + text +
        (lastFlags_ ? ", flags=" + std::to_string(*lastFlags_) : std::string()) + ")");
    return S_OK;
}

HRESULT SimBrowser::Refresh() {
    ++refreshes_;
    Log("Refresh(" + name_ + ")");
    return S_OK;
}

HRESULT SimBrowser::get_Application(IDispatch** application) {
    if (!application)
        return E_POINTER;
    *application = Top()->AsDispatch();
    (*application)->AddRef();
    return S_OK;
}

HRESULT SimBrowser::get_Document(IDispatch** document) {
    if (!document)
        return E_POINTER;
    *document = document_ ? document_->Object() : nullptr;
    if (*document)
        (*document)->AddRef();
    return S_OK;
}

bool SimBrowser::GetBounds(Bounds& bounds) const {
    bounds = bounds_;
    return true;
}

HRESULT SimBrowser::put_Width(LONG value) {
    bounds_.width = value;
    Log("put_Width(" + name_ + ", " + std::to_string(value) + ")");
    return S_OK;
}

HRESULT SimBrowser::put_Height(LONG value) {
    bounds_.height = value;
    Log("put_Height(" + name_ + ", " + std::to_string(value) + ")");
    return S_OK;
}

HRESULT SimBrowser::SetClientSite(IUnknown* site) {
    site_ = site;
    Log(site ? "SetClientSite(" + name_ + ")" : "SetClientSite(" + name_ + ", null)");
    return S_OK;
}

} // namespace qv::sim
