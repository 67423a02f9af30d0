// The host's say in how the browser behaves: asked by the browser through
// the site it is given (IOleObject::SetClientSite, then QueryInterface).
// Slots in the platform's order; parameters the system never reads are
// reduced to what a host can answer.
#pragma once

#include "platform/html/html_ids.h"
#include "platform/ui/winuser.h"

inline constexpr DWORD DOCHOSTUIFLAG_DIALOG = 0x1;
inline constexpr DWORD DOCHOSTUIFLAG_DISABLE_HELP_MENU = 0x2;
inline constexpr DWORD DOCHOSTUIFLAG_NO3DBORDER = 0x4;
inline constexpr DWORD DOCHOSTUIFLAG_SCROLL_NO = 0x8;
inline constexpr DWORD DOCHOSTUIDBLCLK_DEFAULT = 0;

struct DOCHOSTUIINFO {
    ULONG cbSize = sizeof(DOCHOSTUIINFO);
    DWORD dwFlags = 0;
    DWORD dwDoubleClick = 0;
    OLECHAR* pchHostCss = nullptr;
    OLECHAR* pchHostNS = nullptr;
};

struct IDocHostUIHandler : IUnknown {
    static const IID& Iid() { return IID_IDocHostUIHandler; }

    // S_OK: the host handled it; S_FALSE: the browser shows its own menu.
    virtual HRESULT ShowContextMenu(DWORD id, POINT* point, IUnknown* target,
                                    IDispatch* object) = 0;
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* info) = 0;
    virtual HRESULT ShowUI(DWORD id, IUnknown* active, IUnknown* target, IUnknown* frame,
                           IUnknown* doc) = 0;
    virtual HRESULT HideUI() = 0;
    virtual HRESULT UpdateUI() = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;
    virtual HRESULT OnDocWindowActivate(BOOL activate) = 0;
    virtual HRESULT OnFrameWindowActivate(BOOL activate) = 0;
    virtual HRESULT ResizeBorder(LPCRECT border, IUnknown* window, BOOL frameWindow) = 0;
    // S_FALSE: the browser handles the key.
    virtual HRESULT TranslateAccelerator(LPMSG msg, const GUID* group, DWORD id) = 0;
    virtual HRESULT GetOptionKeyPath(LPOLESTR* key, DWORD reserved) = 0;
    virtual HRESULT GetDropTarget(IUnknown* dropTarget, IUnknown** replacement) = 0;
    // The page's window.external; the host adds a reference for the caller.
    virtual HRESULT GetExternal(IDispatch** external) = 0;
    virtual HRESULT TranslateUrl(DWORD translate, OLECHAR* url, OLECHAR** translated) = 0;
    virtual HRESULT FilterDataObject(IUnknown* object, IUnknown** filtered) = 0;

protected:
    ~IDocHostUIHandler() = default;
};
