// The hosted web-browser control of a dialog, bound by data exchange. Each
// operation is one call on the control's browser object; without a bound
// control they do nothing and read as 0 or null.
#pragma once

#include "framework/wnd.h"
#include "platform/com/com_ptr.h"
#include "platform/html/web_browser.h"

#include <string_view>

class CWebBrowser2 : public CWnd {
public:
    CWebBrowser2() = default;

    static CLSID GetClsid() { return CLSID_WebBrowser; }

    void Navigate(std::string_view url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                  VARIANT* headers);
    qv::com::ComPtr<IDispatch> GetApplication() const;
    qv::com::ComPtr<IDispatch> GetDocument() const;
    long GetLeft() const;
    long GetTop() const;
    long GetWidth() const;
    void SetWidth(long width);
    long GetHeight() const;
    void SetHeight(long height);
    void SetRegisterAsBrowser(BOOL registerAsBrowser);

    // The control's browser object; null while no control is bound.
    qv::com::ComPtr<IWebBrowser2> Browser() const;
};
