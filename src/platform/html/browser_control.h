// What every browser control object shares, whichever engine is behind it:
// its interfaces, the sinks advised on it and the events they are sent with
// their arguments, and the RegisterAsBrowser flag.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch_object.h"
#include "platform/com/ole_object.h"
#include "platform/html/web_browser.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace qv::html {

class BrowserControl : public com::EarlyBound<IWebBrowser2, IOleObject, IConnectionPoint> {
public:
    IDispatch* AsDispatch() { return static_cast<IWebBrowser2*>(this); }
    bool RegisteredAsBrowser() const { return registerAsBrowser_; }
    std::size_t SinkCount() const { return sinks_.size(); }

    struct NewWindowAnswer {
        bool cancel = false;
        com::ComPtr<IDispatch> window; // what the host gave for the new window
    };

    // IUnknown, IDispatch
    HRESULT QueryInterface(REFIID iid, void** object) override;
    // IWebBrowser2
    HRESULT get_Left(LONG* value) override { return Side(value, &Bounds::left); }
    HRESULT get_Top(LONG* value) override { return Side(value, &Bounds::top); }
    HRESULT get_Width(LONG* value) override { return Side(value, &Bounds::width); }
    HRESULT get_Height(LONG* value) override { return Side(value, &Bounds::height); }
    // Only remembered: there is no shell window list to join.
    HRESULT put_RegisterAsBrowser(VARIANT_BOOL value) override;
    // IConnectionPoint
    HRESULT Advise(IDispatch* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;

protected:
    struct Bounds {
        LONG left = 0, top = 0, width = 0, height = 0;
    };
    // The control's place in its container; false once it has none.
    virtual bool GetBounds(Bounds& bounds) const = 0;

    // Calls every sink with args in their call order. A frame's control
    // sends through its top-level browser.
    virtual void Fire(DISPID dispid, std::vector<VARIANT> args);
    // NavigateComplete2 and DocumentComplete: the frame and its URL.
    void SendFrameEvent(DISPID dispid, IDispatch* frame, const std::string& url);
    // True when a handler cancelled.
    bool SendBeforeNavigate(IDispatch* frame, const std::string& url);
    NewWindowAnswer SendNewWindow();
    bool SendWindowClosing(bool childWindow);

private:
    HRESULT Side(LONG* value, LONG Bounds::*side) const;

    std::map<DWORD, com::ComPtr<IDispatch>> sinks_;
    DWORD nextCookie_ = 1;
    bool registerAsBrowser_ = false;
};

} // namespace qv::html
