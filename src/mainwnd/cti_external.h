// The page's external object (window.external): tells the page that it runs
// in this program and lets it hand the phone display rows over directly.
// The application owns it for the whole run; the page's references are
// only counted and never free it.
#pragma once

#include "platform/com/dispatch.h"

inline constexpr DISPID DISPID_CTI_ISBROWSER = 12345;
inline constexpr DISPID DISPID_CTI_CHANGEROWS = 12344;

extern const char* const g_szCtiIsBrowser;
extern const char* const g_szCtiChangeRows;

class CCtiExternal final : public IDispatch {
public:
    CCtiExternal() = default;
    ~CCtiExternal() = default;
    CCtiExternal(const CCtiExternal&) = delete;
    CCtiExternal& operator=(const CCtiExternal&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    ULONG m_nRefCount = 0;
};
