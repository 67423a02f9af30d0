#include "platform/html/browser_control.h"

#include "platform/com/variant.h"

namespace qv::html {

HRESULT BrowserControl::QueryInterface(REFIID iid, void** object) {
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

HRESULT BrowserControl::Side(LONG* value, LONG Bounds::*side) const {
    if (!value)
        return E_POINTER;
    *value = 0;
    Bounds bounds;
    if (!GetBounds(bounds))
        return E_FAIL;
    *value = bounds.*side;
    return S_OK;
}

HRESULT BrowserControl::put_RegisterAsBrowser(VARIANT_BOOL value) {
    registerAsBrowser_ = value != VARIANT_FALSE;
    return S_OK;
}

HRESULT BrowserControl::Advise(IDispatch* sink, DWORD* cookie) {
    if (!sink || !cookie)
        return E_POINTER;
    *cookie = nextCookie_++;
    sinks_[*cookie] = sink;
    return S_OK;
}

HRESULT BrowserControl::Unadvise(DWORD cookie) {
    return sinks_.erase(cookie) ? S_OK : E_INVALIDARG;
}

void BrowserControl::Fire(DISPID dispid, std::vector<VARIANT> args) {
    // Arguments stand last first.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params;
    params.rgvarg = reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    // A handler may unadvise or destroy the control: work on a copy.
    auto sinks = sinks_;
    for (auto& [cookie, sink] : sinks)
        sink->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void BrowserControl::SendFrameEvent(DISPID dispid, IDispatch* frame, const std::string& url) {
    VARIANT target = com::MakeBstrVariant(url);
    Fire(dispid, {com::MakeDispatchVariant(frame), com::MakeVariantRef(&target)});
}

bool BrowserControl::SendBeforeNavigate(IDispatch* frame, const std::string& url) {
    VARIANT target = com::MakeBstrVariant(url);
    VARIANT flags = com::MakeI4Variant(0);
    VARIANT targetFrame, postData, headers;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Fire(DISPID_BEFORENAVIGATE2, {com::MakeDispatchVariant(frame), com::MakeVariantRef(&target),
                                  com::MakeVariantRef(&flags), com::MakeVariantRef(&targetFrame),
                                  com::MakeVariantRef(&postData), com::MakeVariantRef(&headers),
                                  com::MakeBoolRef(&cancel)});
    return cancel != VARIANT_FALSE;
}

BrowserControl::NewWindowAnswer BrowserControl::SendNewWindow() {
    IDispatch* window = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Fire(DISPID_NEWWINDOW2, {com::MakeDispatchRef(&window), com::MakeBoolRef(&cancel)});
    NewWindowAnswer answer;
    answer.cancel = cancel != VARIANT_FALSE;
    // The handler handed over a reference with the pointer.
    answer.window = com::ComPtr<IDispatch>::Adopt(window);
    return answer;
}

bool BrowserControl::SendWindowClosing(bool childWindow) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Fire(DISPID_WINDOWCLOSING, {com::MakeBoolVariant(childWindow), com::MakeBoolRef(&cancel)});
    return cancel != VARIANT_FALSE;
}

} // namespace qv::html
