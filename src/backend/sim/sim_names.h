// Readable names of Win32 constants for the transcript.
#pragma once

#include "platform/ui/winuser.h"

#include <string>

namespace qv::sim {

std::string ShowCommandName(int command);
// HWND_TOP, HWND_TOPMOST ... or the window's own name.
std::string InsertAfterName(HWND insertAfter, const std::string& windowName);
std::string SwpFlagsName(UINT flags);
std::string NimName(DWORD message);
std::string NifFlagsName(UINT flags);

} // namespace qv::sim
