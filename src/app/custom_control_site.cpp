#include "app/custom_control_site.h"

#include "app/browser_app.h"
#include "mainwnd/cti_external.h"

CCustomControlSite::CCustomControlSite(COleControlContainer* container)
    : COleControlSite(container) {}

CCustomControlSite::~CCustomControlSite() = default;

BOOL CCustomControlSite::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    return COleControlSite::ModifyStyle(remove, add, flags);
}

HRESULT CCustomControlSite::QueryInterface(REFIID iid, void** object) {
    if (object && iid == IID_IDocHostUIHandler) {
        *object = static_cast<IDocHostUIHandler*>(&m_xDocHostUIHandler);
        AddRef();
        return S_OK;
    }
    return COleControlSite::QueryInterface(iid, object);
}

using XHandler = CCustomControlSite::XDocHostUIHandler;

HRESULT XHandler::QueryInterface(REFIID iid, void** object) {
    return site_.QueryInterface(iid, object);
}
ULONG XHandler::AddRef() {
    return site_.AddRef();
}
ULONG XHandler::Release() {
    return site_.Release();
}

HRESULT XHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    return S_FALSE;
}

HRESULT XHandler::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info)
        return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

// The host owns the in-place user interface: the browser shows no menus or
// toolbars of its own.
HRESULT XHandler::ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*) {
    return S_OK;
}
HRESULT XHandler::HideUI() {
    return S_OK;
}
HRESULT XHandler::UpdateUI() {
    return S_OK;
}
HRESULT XHandler::EnableModeless(BOOL) {
    return E_NOTIMPL;
}
HRESULT XHandler::OnDocWindowActivate(BOOL) {
    return E_NOTIMPL;
}
HRESULT XHandler::OnFrameWindowActivate(BOOL) {
    return E_NOTIMPL;
}
HRESULT XHandler::ResizeBorder(LPCRECT, IUnknown*, BOOL) {
    return E_NOTIMPL;
}
HRESULT XHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD) {
    return S_FALSE;
}
HRESULT XHandler::GetOptionKeyPath(LPOLESTR*, DWORD) {
    return E_NOTIMPL;
}
HRESULT XHandler::GetDropTarget(IUnknown*, IUnknown**) {
    return E_NOTIMPL;
}

HRESULT XHandler::GetExternal(IDispatch** external) {
    if (!external)
        return E_POINTER;
    auto* app = dynamic_cast<CBrowserApp*>(AfxGetApp());
    CCtiExternal* object = app ? app->m_pExternal.get() : nullptr;
    *external = object;
    if (!object)
        return S_FALSE; // the page gets no external object
    object->AddRef();
    return S_OK;
}

HRESULT XHandler::TranslateUrl(DWORD, OLECHAR*, OLECHAR**) {
    return E_NOTIMPL;
}
HRESULT XHandler::FilterDataObject(IUnknown*, IUnknown**) {
    return E_NOTIMPL;
}
