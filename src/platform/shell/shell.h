// The desktop shell the program's notification icon talks to. A backend
// implements it; main() or a test fixture picks one with SetShell.
#pragma once

#include "platform/shell/notify_icon.h"
#include "platform/shell/shell_version.h"

#include <optional>

namespace qv::platform {

class IShell {
public:
    virtual ~IShell() = default;
    // One NIM_* call with the record as the caller filled it.
    virtual BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) = 0;
    // Null when the version cannot be had.
    virtual std::optional<DLLVERSIONINFO> Version() = 0;
};

IShell* GetShell();
void SetShell(IShell* shell); // not owned

} // namespace qv::platform
