// What the bridge and browser tests share: waits that keep the event loop and
// the window system's messages going, scripts run in a page, and a
// window.external shaped like the program's.
#pragma once

#include "platform/com/dispatch.h"

#include <QVariant>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QWebEnginePage;

namespace qv::engine_test {

// Runs the event loop, and the window system's messages when there is one,
// until `done` holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);

// Runs script in the page's own world and returns its value.
QVariant RunJs(QWebEnginePage* page, const QString& script);

// CTI_IsBrowser reads and answers true; every Invoke is recorded with its
// arguments as they stood (last argument first).
class TestExternal final : public IDispatch {
public:
    static constexpr DISPID kIsBrowser = 12345;
    static constexpr DISPID kChangeRows = 12344;
    struct Call {
        DISPID id;
        WORD flags;
        std::vector<VARIANT> args;
    };

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT*) override;

    // (row1, row2) of every CTI_ChangeRows call with two strings.
    std::vector<std::pair<std::string, std::string>> Rows() const;

    ULONG refs = 0;
    std::vector<std::string> lookedUp;
    std::vector<Call> calls;
};

} // namespace qv::engine_test
