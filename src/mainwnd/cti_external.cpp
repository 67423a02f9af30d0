#include "mainwnd/cti_external.h"

#include "console/script_text.h"
#include "framework/win_app.h"
#include "mainwnd/browser_dlg.h"
#include "platform/text.h"

#include <string_view>

const char* const g_szCtiIsBrowser = "CTI_IsBrowser";
const char* const g_szCtiChangeRows = "CTI_ChangeRows";

namespace {

CBrowserDlg* MainWindow() {
    return dynamic_cast<CBrowserDlg*>(AfxGetMainWnd());
}

void SetBool(VARIANT* result, bool value) {
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

HRESULT CCtiExternal::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IDispatch)
        return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG CCtiExternal::AddRef() {
    return ++m_nRefCount;
}

ULONG CCtiExternal::Release() {
    return --m_nRefCount;
}

HRESULT CCtiExternal::GetTypeInfoCount(UINT*) {
    return E_NOTIMPL;
}

HRESULT CCtiExternal::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT CCtiExternal::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (count == 0)
        return S_OK;
    if (!names || !ids)
        return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        const std::string name =
            names[i] ? qv::text::Utf16ToUtf8(std::u16string_view(names[i])) : std::string();
        if (name == g_szCtiIsBrowser) {
            ids[i] = DISPID_CTI_ISBROWSER;
        } else if (name == g_szCtiChangeRows) {
            ids[i] = DISPID_CTI_CHANGEROWS;
        } else {
            ids[i] = DISPID_UNKNOWN;
            result = DISP_E_UNKNOWNNAME;
        }
    }
    return result;
}

HRESULT CCtiExternal::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO*, UINT*) {
    if (id != DISPID_CTI_ISBROWSER && id != DISPID_CTI_CHANGEROWS)
        return S_OK;
    // Both read as true when a page tests for them as properties.
    if ((flags & DISPATCH_PROPERTYGET) && result)
        SetBool(result, true);
    if (!(flags & DISPATCH_METHOD))
        return S_OK;
    if (id == DISPID_CTI_ISBROWSER) {
        if (result) {
            CBrowserDlg* main = MainWindow();
            SetBool(result, !main || main->IsBrowser());
        }
        return S_OK;
    }
    // CTI_ChangeRows(row1, row2): the arguments stand last first.
    if (!params || params->cArgs < 2 || !params->rgvarg)
        return S_OK;
    const VARIANT& row2 = params->rgvarg[0];
    const VARIANT& row1 = params->rgvarg[1];
    if (row1.vt != VT_BSTR || row2.vt != VT_BSTR)
        return S_OK;
    // Capped as the rows a poll script carries: the page may pass anything.
    auto row = [](const VARIANT& v) {
        return std::string(qv::text::CutUtf8(qv::com::FromBstr(v.bstrVal), kMaxRowBytes));
    };
    if (CBrowserDlg* main = MainWindow())
        main->OnDisplayRows(row(row1), row(row2));
    return S_OK;
}
