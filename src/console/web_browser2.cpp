#include "console/web_browser2.h"

#include "platform/com/variant.h"

using qv::com::ComPtr;

ComPtr<IWebBrowser2> CWebBrowser2::Browser() const {
    IUnknown* control = GetControlUnknown();
    return control ? ComPtr<IUnknown>(control).As<IWebBrowser2>() : nullptr;
}

void CWebBrowser2::Navigate(std::string_view url, VARIANT* flags, VARIANT* targetFrameName,
                            VARIANT* postData, VARIANT* headers) {
    if (auto browser = Browser())
        browser->Navigate(qv::com::ToBstr(url), flags, targetFrameName, postData, headers);
}

ComPtr<IDispatch> CWebBrowser2::GetApplication() const {
    IDispatch* application = nullptr;
    if (auto browser = Browser(); !browser || FAILED(browser->get_Application(&application)))
        return nullptr;
    return ComPtr<IDispatch>::Adopt(application);
}

ComPtr<IDispatch> CWebBrowser2::GetDocument() const {
    IDispatch* document = nullptr;
    if (auto browser = Browser(); !browser || FAILED(browser->get_Document(&document)))
        return nullptr;
    return ComPtr<IDispatch>::Adopt(document);
}

namespace {

template <class Getter> long ReadLong(const ComPtr<IWebBrowser2>& browser, Getter getter) {
    LONG value = 0;
    if (!browser || FAILED(((*browser).*getter)(&value)))
        return 0;
    return value;
}

} // namespace

long CWebBrowser2::GetLeft() const {
    return ReadLong(Browser(), &IWebBrowser2::get_Left);
}
long CWebBrowser2::GetTop() const {
    return ReadLong(Browser(), &IWebBrowser2::get_Top);
}
long CWebBrowser2::GetWidth() const {
    return ReadLong(Browser(), &IWebBrowser2::get_Width);
}
long CWebBrowser2::GetHeight() const {
    return ReadLong(Browser(), &IWebBrowser2::get_Height);
}

void CWebBrowser2::SetWidth(long width) {
    if (auto browser = Browser())
        browser->put_Width(static_cast<LONG>(width));
}

void CWebBrowser2::SetHeight(long height) {
    if (auto browser = Browser())
        browser->put_Height(static_cast<LONG>(height));
}

void CWebBrowser2::SetRegisterAsBrowser(BOOL registerAsBrowser) {
    if (auto browser = Browser())
        browser->put_RegisterAsBrowser(registerAsBrowser ? VARIANT_TRUE : VARIANT_FALSE);
}
