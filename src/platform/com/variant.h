// Automation values. BSTR is an owned UTF-16 string; a VARIANT owns its
// string and holds one reference of its interface; by-reference members
// point at the caller's storage and own nothing.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/types.h"

#include <string>
#include <string_view>

struct IDispatch;

using BSTR = std::u16string;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using VARTYPE = USHORT;
using VARIANT_BOOL = SHORT;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_NULL = 1;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_DISPATCH = 9;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_VARIANT = 12;
inline constexpr VARTYPE VT_UNKNOWN = 13;
inline constexpr VARTYPE VT_UI4 = 19;
inline constexpr VARTYPE VT_INT = 22;
inline constexpr VARTYPE VT_UINT = 23;
inline constexpr VARTYPE VT_BYREF = 0x4000;

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    SHORT iVal = 0;
    LONG lVal = 0;
    UINT uintVal = 0;
    VARIANT_BOOL boolVal = VARIANT_FALSE;
    BSTR bstrVal;
    qv::com::ComPtr<IDispatch> pdispVal;
    // By reference (vt | VT_BYREF).
    VARIANT* pvarVal = nullptr;
    VARIANT_BOOL* pboolVal = nullptr;
    IDispatch** ppdispVal = nullptr;
    BSTR* pbstrVal = nullptr;
    LONG* plVal = nullptr;
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* v);

namespace qv::com {

VARIANT MakeBstrVariant(std::string_view utf8);
VARIANT MakeBoolVariant(bool value);
VARIANT MakeI2Variant(SHORT value);
VARIANT MakeI4Variant(LONG value);
VARIANT MakeUintVariant(UINT value);
VARIANT MakeDispatchVariant(IDispatch* object);
// By reference to the caller's storage.
VARIANT MakeVariantRef(VARIANT* target);
VARIANT MakeBoolRef(VARIANT_BOOL* target);
VARIANT MakeDispatchRef(IDispatch** target);

BSTR ToBstr(std::string_view utf8);
std::string FromBstr(const BSTR& text);
// A VT_BSTR as UTF-8, following one VT_BYREF VT_VARIANT; empty otherwise.
std::string VariantText(const VARIANT* v);

} // namespace qv::com
