// What the incoming-call announcement asks of an address book: the name
// for a caller's number. The address book itself (opened with "/wab")
// implements it; without one, calls show the number.
#pragma once

#include "platform/types.h"

#include <string>

class IAddressBookLookup {
public:
    virtual ~IAddressBookLookup() = default;
    // TRUE and the display name when an entry matches number, TRUE and an
    // empty name when none does, FALSE when the book cannot be read; prefix
    // is stripped from the number's front before matching.
    virtual BOOL LookupName(const std::string& number, const std::string& prefix,
                            std::string& name) = 0;
};
