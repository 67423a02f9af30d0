// CBrowserDlg: editing the configuration.
#include "dialogs/config_dlg.h"
#include "framework/win_app.h"
#include "localized/version_info.h"
#include "mainwnd/autostart_command.h"
#include "mainwnd/browser_dlg.h"
#include "platform/module/module.h"
#include "settings/scramble.h"
#include "settings/settings.h"

namespace {

// Writes or deletes the autostart entry. Without the executable's path the
// entry is left as it is.
void ApplyAutostart(bool enabled) {
    const std::string path = qv::platform::ModuleFileName();
    if (path.empty())
        return;
    const std::string name = GetVersionInfoString("FileDescription");
    if (!enabled) {
        DeleteRegistryValue(HKEY_CURRENT_USER, kRunKey, name.c_str());
        return;
    }
    const CWinApp* app = AfxGetApp();
    const std::string command = AutostartCommandLine(path, app ? app->m_lpCmdLine : std::string());
    WriteRegistryText(HKEY_CURRENT_USER, command.c_str(), kRunKey, name.c_str(), REG_SZ);
}

} // namespace

BOOL CBrowserDlg::EditConfiguration() {
    CConfigDlg dialog;
    dialog.m_strAddress = m_strAddress;
    dialog.m_strPassword = m_strPassword;
    dialog.m_strUser = m_strUser;
    dialog.m_bAutostart = m_bAutostart;
    dialog.m_bAutoLogin = m_bAutoLogin;
    dialog.m_bTooltip = m_bTooltip;
    dialog.m_nTimeout = m_nTimeout;
    // No balloon tips without the long icon record; no address in a start
    // URL that does not use one.
    dialog.m_bDisableTooltip = m_nid.cbSize <= NOTIFYICONDATAA_V1_SIZE;
    dialog.m_bDisableAddress = m_strUrlFormat.find("%s") == std::string::npos;
    if (dialog.DoModal() != IDOK)
        return FALSE;

    BOOL loginDue = !m_pLogoutElement;
    if (dialog.m_strAddress != m_strAddress) {
        loginDue = TRUE;
        m_strAddress = dialog.m_strAddress;
        WriteSettingString(nullptr, "Adrs", m_strAddress.c_str());
    }
    if (dialog.m_strUser != m_strUser) {
        loginDue = TRUE;
        m_strUser = dialog.m_strUser;
        WriteSettingString(nullptr, "User", m_strUser.c_str());
    }
    if (dialog.m_strPassword != m_strPassword) {
        loginDue = TRUE;
        m_strPassword = dialog.m_strPassword;
        WriteScrambledSetting(nullptr, "Pass", m_strPassword.c_str(), kPasswordSeed);
    }
    if (dialog.m_bAutoLogin != m_bAutoLogin) {
        m_bAutoLogin = dialog.m_bAutoLogin;
        WriteSettingInt(nullptr, "Autolog", m_bAutoLogin);
    }
    if (dialog.m_bTooltip != m_bTooltip) {
        m_bTooltip = dialog.m_bTooltip;
        WriteSettingInt(nullptr, "Tooltip", m_bTooltip);
    }
    if (dialog.m_nTimeout != m_nTimeout) {
        m_nTimeout = dialog.m_nTimeout;
        WriteSettingInt(nullptr, "Timeout", m_nTimeout);
    }
    m_bAutostart = dialog.m_bAutostart;
    ApplyAutostart(m_bAutostart != FALSE);
    return loginDue;
}
