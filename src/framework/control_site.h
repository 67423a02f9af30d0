// COleControlSite: the host side of one ActiveX control. The control gets
// the site as its client site and asks it, through QueryInterface, for host
// interfaces: a derived site answers IDocHostUIHandler there. The site
// also receives the control's events and hands them to its container.
// The container owns the site; its count only tracks the control's hold.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/ui/winuser.h"

class COleControlContainer;

class COleControlSite : public IUnknown {
public:
    explicit COleControlSite(COleControlContainer* container);
    virtual ~COleControlSite();
    COleControlSite(const COleControlSite&) = delete;
    COleControlSite& operator=(const COleControlSite&) = delete;

    COleControlContainer* m_pCtrlCont;
    HWND m_hWnd = nullptr;
    UINT m_nID = 0;
    qv::com::ComPtr<IUnknown> m_pObject;

    // Binds the control window and its object, gives the object this site
    // and subscribes to its events.
    virtual HRESULT Attach(HWND hwnd, qv::com::ComPtr<IUnknown> object);
    // Undoes Attach; the control lets go of the site.
    virtual void Detach();
    virtual BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags);

    // IUnknown of the site itself; override to offer host interfaces and
    // pass anything else here.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return ++m_dwRef; }
    ULONG Release() override { return --m_dwRef; }

protected:
    ULONG m_dwRef = 0;

private:
    // Receives the control's events (Invoke with their DISPIDs).
    class XEventSink final : public IDispatch {
    public:
        explicit XEventSink(COleControlSite& site) : site_(site) {}
        HRESULT QueryInterface(REFIID iid, void** object) override;
        ULONG AddRef() override { return site_.AddRef(); }
        ULONG Release() override { return site_.Release(); }
        HRESULT GetTypeInfoCount(UINT* count) override;
        HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    private:
        COleControlSite& site_;
    };

    XEventSink m_xEventSink{*this};
    DWORD m_dwEventSinkCookie = 0;
};
