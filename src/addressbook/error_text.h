// Readable texts for address-book failures and the platform's last error.
#pragma once

#include "platform/types.h"

#include <string>

// code 0 stands for the platform's last error. The platform's own text wins;
// otherwise "Error #<hex>" with the status name when it is a known status.
std::string GetErrorText(DWORD code);

namespace qv::addressbook {
// The symbolic name of an address-book status, or null.
const char* StatusName(DWORD code);
} // namespace qv::addressbook
