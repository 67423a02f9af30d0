#include "backend/qt/browser/dispatch_external.h"

#include <cmath>
#include <limits>

namespace qv::qt {

namespace {

inline constexpr VARTYPE kVtR8 = 5;

// VARIANT has no double member yet; once it has, non-integral numbers go
// through as VT_R8, until then they arrive empty.
template <class V> void SetReal(V& v, double value) {
    if constexpr (requires { v.dblVal; }) {
        v.vt = kVtR8;
        v.dblVal = value;
    } else {
        v.vt = VT_EMPTY;
        (void)value;
    }
}

} // namespace

int DispatchExternal::GetIDsOfNames(const std::string& name) {
    if (!object_)
        return bridge::kUnknownDispId;
    BSTR wide = com::ToBstr(name);
    LPOLESTR names[1] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
        return bridge::kUnknownDispId;
    return id;
}

std::optional<bool> DispatchExternal::Invoke(int dispId, unsigned flags,
                                             const std::vector<bridge::ExternalArg>& args) {
    if (!object_)
        return std::nullopt;
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(ToVariant(*it));
    DISPPARAMS params;
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    WORD kind = 0;
    if (flags & bridge::kInvokeMethod)
        kind |= DISPATCH_METHOD;
    if (flags & bridge::kInvokePropertyGet)
        kind |= DISPATCH_PROPERTYGET;
    VARIANT result;
    if (FAILED(object_->Invoke(dispId, IID_NULL, 0, kind, &params, &result, nullptr, nullptr)))
        return std::nullopt;
    if (result.vt != VT_BOOL)
        return std::nullopt;
    return result.boolVal != VARIANT_FALSE;
}

VARIANT DispatchExternal::ToVariant(const bridge::ExternalArg& arg) {
    VARIANT v;
    if (const auto* text = std::get_if<std::string>(&arg))
        return com::MakeBstrVariant(*text);
    if (const auto* flag = std::get_if<bool>(&arg))
        return com::MakeBoolVariant(*flag);
    if (const auto* number = std::get_if<double>(&arg)) {
        // Whole numbers were VT_I4 there, everything else a double.
        const double whole = std::trunc(*number);
        if (whole == *number && whole >= std::numeric_limits<LONG>::min() &&
            whole <= std::numeric_limits<LONG>::max())
            return com::MakeI4Variant(static_cast<LONG>(whole));
        SetReal(v, *number);
    }
    return v;
}

} // namespace qv::qt
