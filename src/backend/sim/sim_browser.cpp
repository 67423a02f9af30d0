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
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
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
    // Arguments stand last first.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params;
    params.rgvarg = reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    // A handler may unadvise or destroy the control: work on a copy.
    auto sinks = Top()->sinks_;
    for (auto& [cookie, sink] : sinks)
        sink->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void SimBrowser::FireNavigateComplete2(const std::string& url) {
    Log("NavigateComplete2(" + name_ + ", " + url + ")");
    VARIANT target = qv::com::MakeBstrVariant(url);
    Fire(DISPID_NAVIGATECOMPLETE2,
         {qv::com::MakeDispatchVariant(AsDispatch()), qv::com::MakeVariantRef(&target)});
}

void SimBrowser::FireDocumentComplete(const std::string& url) {
    Log("DocumentComplete(" + name_ + ", " + url + ")");
    VARIANT target = qv::com::MakeBstrVariant(url);
    Fire(DISPID_DOCUMENTCOMPLETE,
         {qv::com::MakeDispatchVariant(AsDispatch()), qv::com::MakeVariantRef(&target)});
}

bool SimBrowser::FireBeforeNavigate2(const std::string& url) {
    Log("BeforeNavigate2(" + name_ + ", " + url + ")");
    VARIANT target = qv::com::MakeBstrVariant(url);
    VARIANT flags = qv::com::MakeI4Variant(0);
    VARIANT frame, postData, headers;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Fire(DISPID_BEFORENAVIGATE2,
         {qv::com::MakeDispatchVariant(AsDispatch()), qv::com::MakeVariantRef(&target),
          qv::com::MakeVariantRef(&flags), qv::com::MakeVariantRef(&frame),
          qv::com::MakeVariantRef(&postData), qv::com::MakeVariantRef(&headers),
          qv::com::MakeBoolRef(&cancel)});
    return cancel != VARIANT_FALSE;
}

SimBrowser::NewWindowAnswer SimBrowser::FireNewWindow2() {
    Log("NewWindow2(" + name_ + ")");
    IDispatch* window = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Fire(DISPID_NEWWINDOW2, {qv::com::MakeDispatchRef(&window), qv::com::MakeBoolRef(&cancel)});
    NewWindowAnswer answer;
    answer.cancel = cancel != VARIANT_FALSE;
    // The handler handed over a reference with the pointer.
    answer.window = ComPtr<IDispatch>::Adopt(window);
    return answer;
}

bool SimBrowser::FireWindowClosing(bool childWindow) {
    Log("WindowClosing(" + name_ + ", child=" + (childWindow ? "1" : "0") + ")");
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Fire(DISPID_WINDOWCLOSING,
         {qv::com::MakeBoolVariant(childWindow), qv::com::MakeBoolRef(&cancel)});
    return cancel != VARIANT_FALSE;
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

HRESULT SimBrowser::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser2)
        *object = static_cast<IWebBrowser2*>(this);
    else if (iid == IID_IOleObject)
        *object = static_cast<IOleObject*>(this);
    else if (iid == IID_IConnectionPoint)
        *object = static_cast<IConnectionPoint*>(this);
    if (!*object)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
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

HRESULT SimBrowser::get_Left(LONG* value) {
    if (!value)
        return E_POINTER;
    *value = left_;
    return S_OK;
}

HRESULT SimBrowser::get_Top(LONG* value) {
    if (!value)
        return E_POINTER;
    *value = top_;
    return S_OK;
}

HRESULT SimBrowser::get_Width(LONG* value) {
    if (!value)
        return E_POINTER;
    *value = width_;
    return S_OK;
}

HRESULT SimBrowser::put_Width(LONG value) {
    width_ = value;
    Log("put_Width(" + name_ + ", " + std::to_string(value) + ")");
    return S_OK;
}

HRESULT SimBrowser::get_Height(LONG* value) {
    if (!value)
        return E_POINTER;
    *value = height_;
    return S_OK;
}

HRESULT SimBrowser::put_Height(LONG value) {
    height_ = value;
    Log("put_Height(" + name_ + ", " + std::to_string(value) + ")");
    return S_OK;
}

HRESULT SimBrowser::put_RegisterAsBrowser(VARIANT_BOOL value) {
    registerAsBrowser_ = value != VARIANT_FALSE;
    return S_OK;
}

HRESULT SimBrowser::SetClientSite(IUnknown* site) {
    site_ = site;
    Log(site ? "SetClientSite(" + name_ + ")" : "SetClientSite(" + name_ + ", null)");
    return S_OK;
}

HRESULT SimBrowser::Advise(IDispatch* sink, DWORD* cookie) {
    if (!sink || !cookie)
        return E_POINTER;
    *cookie = nextCookie_++;
    sinks_[*cookie] = sink;
    return S_OK;
}

HRESULT SimBrowser::Unadvise(DWORD cookie) {
    return sinks_.erase(cookie) ? S_OK : E_INVALIDARG;
}

} // namespace qv::sim
