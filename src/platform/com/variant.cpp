#include "platform/com/variant.h"

#include "platform/com/dispatch.h"
#include "platform/text.h"

void VariantInit(VARIANT* v) {
    if (v)
        *v = VARIANT{};
}

namespace qv::com {
namespace {

template <class Field, class Value>
VARIANT Holding(VARTYPE type, Field VARIANT::*field, Value value) {
    VARIANT v;
    v.vt = type;
    v.*field = value;
    return v;
}

} // namespace

VARIANT MakeBstrVariant(std::string_view utf8) {
    return Holding(VT_BSTR, &VARIANT::bstrVal, ToBstr(utf8));
}

VARIANT MakeBoolVariant(bool value) {
    return Holding(VT_BOOL, &VARIANT::boolVal, value ? VARIANT_TRUE : VARIANT_FALSE);
}

VARIANT MakeI2Variant(SHORT value) {
    return Holding(VT_I2, &VARIANT::iVal, value);
}

VARIANT MakeI4Variant(LONG value) {
    return Holding(VT_I4, &VARIANT::lVal, value);
}

VARIANT MakeUintVariant(UINT value) {
    return Holding(VT_UINT, &VARIANT::uintVal, value);
}

VARIANT MakeDispatchVariant(IDispatch* object) {
    return Holding(VT_DISPATCH, &VARIANT::pdispVal, object);
}

VARIANT MakeVariantRef(VARIANT* target) {
    return Holding(VT_VARIANT | VT_BYREF, &VARIANT::pvarVal, target);
}

VARIANT MakeBoolRef(VARIANT_BOOL* target) {
    return Holding(VT_BOOL | VT_BYREF, &VARIANT::pboolVal, target);
}

VARIANT MakeDispatchRef(IDispatch** target) {
    return Holding(VT_DISPATCH | VT_BYREF, &VARIANT::ppdispVal, target);
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
