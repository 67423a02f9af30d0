// A control site that also answers the browser's host user-interface
// questions: no 3-D border, the browser's own context menu and keys, and
// the program's external object for the page's scripts.
#pragma once

#include "framework/control_site.h"
#include "platform/html/doc_host_ui_handler.h"

class CCustomControlSite : public COleControlSite {
public:
    explicit CCustomControlSite(COleControlContainer* container);
    ~CCustomControlSite() override;

    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags) override;
    HRESULT QueryInterface(REFIID iid, void** object) override;

    class XDocHostUIHandler final : public IDocHostUIHandler {
    public:
        explicit XDocHostUIHandler(CCustomControlSite& site) : site_(site) {}

        HRESULT QueryInterface(REFIID iid, void** object) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT ShowContextMenu(DWORD id, POINT* point, IUnknown* target,
                                IDispatch* object) override;
        HRESULT GetHostInfo(DOCHOSTUIINFO* info) override;
        HRESULT ShowUI(DWORD id, IUnknown* active, IUnknown* target, IUnknown* frame,
                       IUnknown* doc) override;
        HRESULT HideUI() override;
        HRESULT UpdateUI() override;
        HRESULT EnableModeless(BOOL enable) override;
        HRESULT OnDocWindowActivate(BOOL activate) override;
        HRESULT OnFrameWindowActivate(BOOL activate) override;
        HRESULT ResizeBorder(LPCRECT border, IUnknown* window, BOOL frameWindow) override;
        HRESULT TranslateAccelerator(LPMSG msg, const GUID* group, DWORD id) override;
        HRESULT GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
        HRESULT GetDropTarget(IUnknown* dropTarget, IUnknown** replacement) override;
        HRESULT GetExternal(IDispatch** external) override;
        HRESULT TranslateUrl(DWORD translate, OLECHAR* url, OLECHAR** translated) override;
        HRESULT FilterDataObject(IUnknown* object, IUnknown** filtered) override;

    private:
        CCustomControlSite& site_;
    };

    XDocHostUIHandler m_xDocHostUIHandler{*this};
};
