#include "framework/control_site.h"

#include "framework/control_container.h"
#include "platform/com/connection_point.h"
#include "platform/com/ole_object.h"
#include "platform/ui/winapi.h"

COleControlSite::COleControlSite(COleControlContainer* container) : m_pCtrlCont(container) {}

COleControlSite::~COleControlSite() {
    Detach();
}

HRESULT COleControlSite::Attach(HWND hwnd, qv::com::ComPtr<IUnknown> object) {
    Detach();
    m_hWnd = hwnd;
    m_nID = static_cast<UINT>(::GetDlgCtrlID(hwnd));
    m_pObject = std::move(object);
    if (!m_pObject)
        return E_POINTER;
    if (auto ole = m_pObject.As<IOleObject>())
        ole->SetClientSite(this);
    if (auto events = m_pObject.As<IConnectionPoint>())
        events->Advise(&m_xEventSink, &m_dwEventSinkCookie);
    return S_OK;
}

void COleControlSite::Detach() {
    if (!m_pObject)
        return;
    if (auto events = m_pObject.As<IConnectionPoint>(); events && m_dwEventSinkCookie)
        events->Unadvise(m_dwEventSinkCookie);
    m_dwEventSinkCookie = 0;
    if (auto ole = m_pObject.As<IOleObject>())
        ole->SetClientSite(nullptr);
    m_pObject.reset();
}

BOOL COleControlSite::ModifyStyle(DWORD, DWORD, UINT) {
    return TRUE;
}

HRESULT COleControlSite::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT COleControlSite::XEventSink::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT COleControlSite::XEventSink::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}

HRESULT COleControlSite::XEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                            VARIANT*, EXCEPINFO*, UINT*) {
    if (!site_.m_pCtrlCont)
        return S_OK;
    site_.m_pCtrlCont->OnEvent(site_, id, params);
    return S_OK;
}
