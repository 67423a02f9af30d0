// CBrowserDlg's notification icon, its menus and commands.
#include "dialogs/info_dlg.h"
#include "dialogs/popup_browser_dlg.h"
#include "localized/localized_resources.h"
#include "localized/version_info.h"
#include "mainwnd/browser_dlg.h"
#include "mainwnd/notify_text.h"
#include "platform/module/module.h"
#include "platform/shell/shell_version.h"
#include "platform/text.h"
#include "rc/resource.h"

#include <string_view>

namespace {

// Balloon tips need the shell's version 5 record.
constexpr DWORD kBalloonShellMajor = 5;

} // namespace

void CBrowserDlg::AddNotifyIcon() {
    m_nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    DLLVERSIONINFO version;
    version.cbSize = sizeof version;
    if (DllGetVersion(&version) == S_OK && version.dwMajorVersion >= kBalloonShellMajor)
        m_nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = 0;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON;
    m_nid.uCallbackMessage = WM_NOTIFYICON;
    m_nid.hIcon = m_hSmallIcon;
    // The tip comes with UpdateLoginState at the end of OnInitDialog.
    m_bIconInTray = Shell_NotifyIconA(NIM_ADD, &m_nid) != FALSE;
}

void CBrowserDlg::UpdateTip() {
    const std::string state =
        LoadLocalizedString(m_pLogoutElement ? IDS_LOGGED_IN : IDS_LOGGED_OUT);
    const std::string tip = GetVersionInfoString("ProductName") + " - " + state;
    const std::string_view cut = qv::text::CutUtf8(tip, sizeof m_nid.szTip - 1);
    if (cut == m_nid.szTip)
        return;
    CopyNotifyText(m_nid.szTip, sizeof m_nid.szTip, cut);
    m_nid.uFlags = NIF_TIP;
    Shell_NotifyIconA(NIM_MODIFY, &m_nid);
}

void CBrowserDlg::UpdateLoginState(CMenu* menu) {
    UpdateTip();
    if (!menu) {
        // The system menu always, the icon's popup while it is open.
        if (CMenu* system = GetSystemMenu(FALSE))
            UpdateLoginState(system);
        menu = m_pTrackMenu;
        if (!menu)
            return;
    }
    menu->EnableMenuItem(IDM_LOGIN, MF_BYCOMMAND | (m_bLoginPending ? MF_GRAYED : MF_ENABLED));
    menu->EnableMenuItem(IDM_LOGOUT, MF_BYCOMMAND | (m_pLogoutElement ? MF_ENABLED : MF_GRAYED));
}

void CBrowserDlg::InsertCommandItems(CMenu* menu, int position) {
    if (!menu)
        return;
    const struct {
        UINT id;
        UINT text;
    } items[] = {{IDM_CONFIGURATION, IDS_CONFIGURATION},
                 {IDM_LOGIN, IDS_LOGIN},
                 {IDM_LOGOUT, IDS_LOGOUT},
                 {IDM_README, IDS_README},
                 {IDM_INFO, IDS_INFO}};
    if (position < 0) {
        menu->AppendMenu(MF_SEPARATOR);
        for (const auto& item : items)
            menu->AppendMenu(MF_STRING, item.id, LoadLocalizedString(item.text).c_str());
        return;
    }
    UINT at = static_cast<UINT>(position);
    for (const auto& item : items)
        menu->InsertMenu(at++, MF_BYPOSITION | MF_STRING, item.id,
                         LoadLocalizedString(item.text).c_str());
    menu->InsertMenu(at, MF_BYPOSITION | MF_SEPARATOR);
}

BOOL CBrowserDlg::HandleCommand(UINT id, LPARAM) {
    switch (id) {
    case IDM_INFO: {
        CInfoDlg info;
        info.DoModal();
        return TRUE;
    }
    case IDM_CONFIGURATION:
        if (EditConfiguration()) {
            Logout();
            Login();
        }
        return TRUE;
    case IDM_LOGIN:
        Logout();
        Login();
        return TRUE;
    case IDM_LOGOUT:
        Logout();
        return TRUE;
    case IDM_README: {
        const std::string path = qv::platform::ModuleFileName();
        if (path.empty())
            return TRUE;
        CPopupBrowserDlg readme(this);
        readme.m_strUrl = qv::text::FormatText(LoadLocalizedString(IDS_README_URL), path);
        readme.DoModal();
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL CBrowserDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HandleCommand(static_cast<UINT>(wParam), lParam))
        return TRUE;
    return CLocalizedDialog::OnCommand(wParam, lParam);
}

void CBrowserDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if (!HandleCommand(id & 0xFFF0, lParam))
        Default();
}

LRESULT CBrowserDlg::OnNotifyIcon(WPARAM, LPARAM lParam) {
    switch (LOWORD(static_cast<std::uintptr_t>(lParam))) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (IsIconic()) {
            ShowWindow(SW_RESTORE);
            SetForegroundWindow();
        } else if (!m_bWasActive) {
            SetForegroundWindow();
        } else {
            // Active at the last idle moment, before the click took the focus.
            ShowWindow(SW_MINIMIZE);
        }
        break;
    case WM_RBUTTONDOWN:
        ShowTrayMenu();
        break;
    case NIN_BALLOONUSERCLICK:
        // The user clicked the call's notification: show the window as a
        // click on the icon does, but never hide it.
        if (IsIconic())
            ShowWindow(SW_RESTORE);
        SetForegroundWindow();
        break;
    default:
        break;
    }
    return 0;
}

void CBrowserDlg::ShowTrayMenu() {
    POINT cursor;
    ::GetCursorPos(&cursor);
    SetForegroundWindow();
    TrackCommandMenu(cursor, TPM_CENTERALIGN | TPM_LEFTBUTTON);
}

// The window offers the icon's menu itself, for desktops without a
// notification area: the page's context menu brings it.
LRESULT CBrowserDlg::OnContextMenu(WPARAM, LPARAM lParam) {
    const auto position = static_cast<std::uintptr_t>(lParam);
    const POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    TrackCommandMenu(at, TPM_LEFTALIGN | TPM_RIGHTBUTTON);
    return 0;
}

void CBrowserDlg::TrackCommandMenu(POINT at, UINT flags) {
    CMenu menu;
    if (!menu.Attach(LoadLocalizedMenu(IDR_TRAY_MENU)))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    InsertCommandItems(popup, 0);
    m_pTrackMenu = popup;
    UpdateLoginState(popup);
    popup->TrackPopupMenu(flags, at.x, at.y, this);
    m_pTrackMenu = nullptr;
}
