// Reading a text property of a page object: one that cannot be read
// counts as empty, as the console automation treats every page failure.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/com/variant.h"

#include <string>

template <class T>
std::string ReadDomText(const qv::com::ComPtr<T>& object, HRESULT (T::*getter)(BSTR*)) {
    BSTR value;
    if (!object || FAILED(((*object).*getter)(&value)))
        return {};
    return qv::com::FromBstr(value);
}
