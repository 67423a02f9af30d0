#include "platform/com/variant.h"

#include "platform/com/dispatch.h"
#include "platform/text.h"

void VariantInit(VARIANT* v) {
    if (v)
        *v = VARIANT{};
}

namespace qv::com {

VARIANT MakeBstrVariant(std::string_view utf8) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = ToBstr(utf8);
    return v;
}

VARIANT MakeBoolVariant(bool value) {
    VARIANT v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT MakeI2Variant(SHORT value) {
    VARIANT v;
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

VARIANT MakeI4Variant(LONG value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT MakeUintVariant(UINT value) {
    VARIANT v;
    v.vt = VT_UINT;
    v.uintVal = value;
    return v;
}

VARIANT MakeDispatchVariant(IDispatch* object) {
    VARIANT v;
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

VARIANT MakeVariantRef(VARIANT* target) {
    VARIANT v;
    v.vt = VT_VARIANT | VT_BYREF;
    v.pvarVal = target;
    return v;
}

VARIANT MakeBoolRef(VARIANT_BOOL* target) {
    VARIANT v;
    v.vt = VT_BOOL | VT_BYREF;
    v.pboolVal = target;
    return v;
}

VARIANT MakeDispatchRef(IDispatch** target) {
    VARIANT v;
    v.vt = VT_DISPATCH | VT_BYREF;
    v.ppdispVal = target;
    return v;
}

BSTR ToBstr(std::string_view utf8) {
    return qv::text::Utf8ToUtf16(utf8);
}

std::string FromBstr(const BSTR& text) {
    return qv::text::Utf16ToUtf8(text);
}

std::string VariantText(const VARIANT* v) {
    if (v && v->vt == (VT_VARIANT | VT_BYREF))
        v = v->pvarVal;
    if (!v || v->vt != VT_BSTR)
        return {};
    return FromBstr(v->bstrVal);
}

} // namespace qv::com
