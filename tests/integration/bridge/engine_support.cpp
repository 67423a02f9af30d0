#include "engine_support.h"

#include "platform/ui/winapi.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <gtest/gtest.h>
#include <optional>

namespace qv::engine_test {

using com::FromBstr;

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        if (done())
            return true;
        if (deadline.hasExpired())
            return false;
        // Sleeps until an event arrives or a short tick passes; no busy wait.
        QEventLoop loop;
        QTimer::singleShot(std::clamp<qint64>(deadline.remainingTime(), 1, 20), &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
}

QVariant RunJs(QWebEnginePage* page, const QString& script) {
    std::optional<QVariant> result;
    page->runJavaScript(script, 0, [&](const QVariant& value) { result = value; });
    EXPECT_TRUE(WaitUntil([&] { return result.has_value(); })) << script.toStdString();
    return result.value_or(QVariant());
}

HRESULT TestExternal::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch)
        return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT TestExternal::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        const std::string name = FromBstr(names[i]);
        lookedUp.push_back(name);
        ids[i] = name == "CTI_IsBrowser"    ? kIsBrowser
                 : name == "CTI_ChangeRows" ? kChangeRows
                                            : DISPID_UNKNOWN;
        if (ids[i] == DISPID_UNKNOWN)
            result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT TestExternal::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO*, UINT*) {
    Call call{id, flags, {}};
    if (params && params->rgvarg)
        call.args.assign(params->rgvarg, params->rgvarg + params->cArgs);
    calls.push_back(call);
    if (result && (id == kIsBrowser || (flags & DISPATCH_PROPERTYGET)))
        *result = com::MakeBoolVariant(true);
    return S_OK;
}

std::vector<std::pair<std::string, std::string>> TestExternal::Rows() const {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const Call& c : calls) {
        if (c.id == kChangeRows && c.flags == DISPATCH_METHOD && c.args.size() == 2 &&
            c.args[0].vt == VT_BSTR && c.args[1].vt == VT_BSTR)
            rows.emplace_back(FromBstr(c.args[1].bstrVal), FromBstr(c.args[0].bstrVal));
    }
    return rows;
}

} // namespace qv::engine_test
