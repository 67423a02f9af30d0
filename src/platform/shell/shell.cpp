#include "platform/shell/shell.h"

namespace qv::platform {

namespace {
IShell* current = nullptr;
}

IShell* GetShell() {
    return current;
}
void SetShell(IShell* shell) {
    current = shell;
}

} // namespace qv::platform

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
    qv::platform::IShell* shell = qv::platform::GetShell();
    if (!shell || !data)
        return FALSE;
    if (data->cbSize != NOTIFYICONDATAA_V1_SIZE && data->cbSize != NOTIFYICONDATAA_V2_SIZE)
        return FALSE;
    return shell->NotifyIcon(message, *data);
}

HRESULT DllGetVersion(DLLVERSIONINFO* info) {
    qv::platform::IShell* shell = qv::platform::GetShell();
    if (!info || info->cbSize < sizeof(DLLVERSIONINFO))
        return E_INVALIDARG;
    if (!shell)
        return E_FAIL;
    auto version = shell->Version();
    if (!version)
        return E_FAIL;
    const DWORD size = info->cbSize;
    *info = *version;
    info->cbSize = size;
    return S_OK;
}
