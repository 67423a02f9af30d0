// Calls a typed event handler with the arguments of an event's DISPPARAMS
// (which stand there last first) and writes BOOL* results back.
#pragma once

#include "platform/com/dispatch.h"

#include <cstddef>
#include <tuple>
#include <utility>

namespace qv::framework::detail {

template <class T> struct EventArg;

template <> struct EventArg<IDispatch*> {
    IDispatch* value = nullptr;
    bool Load(VARIANT& v) {
        if (v.vt != VT_DISPATCH)
            return false;
        value = v.pdispVal.get();
        return true;
    }
    void Store() {}
};

template <> struct EventArg<IDispatch**> {
    IDispatch** value = nullptr;
    bool Load(VARIANT& v) {
        if (v.vt != (VT_DISPATCH | VT_BYREF) || !v.ppdispVal)
            return false;
        value = v.ppdispVal;
        return true;
    }
    void Store() {}
};

template <> struct EventArg<VARIANT*> {
    VARIANT* value = nullptr;
    bool Load(VARIANT& v) {
        value = v.vt == (VT_VARIANT | VT_BYREF) ? v.pvarVal : &v;
        return value != nullptr;
    }
    void Store() {}
};

template <> struct EventArg<BOOL> {
    BOOL value = FALSE;
    bool Load(VARIANT& v) {
        if (v.vt != VT_BOOL)
            return false;
        value = v.boolVal ? TRUE : FALSE;
        return true;
    }
    void Store() {}
};

// The handler sees a BOOL; the event source gets VARIANT_TRUE/FALSE back.
template <> struct EventArg<BOOL*> {
    BOOL local = FALSE;
    BOOL* value = &local;
    VARIANT_BOOL* target = nullptr;
    EventArg() = default;
    EventArg(const EventArg&) = delete;
    bool Load(VARIANT& v) {
        if (v.vt != (VT_BOOL | VT_BYREF) || !v.pboolVal)
            return false;
        target = v.pboolVal;
        local = *target ? TRUE : FALSE;
        return true;
    }
    void Store() { *target = local ? VARIANT_TRUE : VARIANT_FALSE; }
};

template <class T, class... Args, std::size_t... I>
HRESULT InvokeEvent(T* object, void (T::*handler)(Args...), DISPPARAMS* params,
                    std::index_sequence<I...>) {
    if (!params || params->cArgs != sizeof...(Args) || (sizeof...(Args) && !params->rgvarg))
        return DISP_E_BADPARAMCOUNT;
    std::tuple<EventArg<Args>...> args;
    const UINT count = params->cArgs;
    const bool loaded = (std::get<I>(args).Load(params->rgvarg[count - 1 - I]) && ...);
    if (!loaded)
        return DISP_E_TYPEMISMATCH;
    (object->*handler)(std::get<I>(args).value...);
    (std::get<I>(args).Store(), ...);
    return S_OK;
}

} // namespace qv::framework::detail
