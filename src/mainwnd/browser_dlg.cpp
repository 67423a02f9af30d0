#include "mainwnd/browser_dlg.h"

#include "framework/data_exchange.h"
#include "localized/localized_resources.h"
#include "localized/version_info.h"
#include "mainwnd/autostart_command.h"
#include "platform/debug_trace.h"
#include "rc/resource.h"
#include "settings/scramble.h"
#include "settings/settings.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int kDefaultPosition = 64;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerPeriodMs = 1000;

std::string DottedAddress(int packed) {
    const auto v = static_cast<std::uint32_t>(packed);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (v >> 24) & 0xFF, (v >> 16) & 0xFF,
                  (v >> 8) & 0xFF, v & 0xFF);
    return text;
}

} // namespace

CBrowserDlg::CBrowserDlg(CWnd* parent)
    : CLocalizedDialog(IDD_BROWSER_DIALOG, parent),
      m_strUrlFormat(LoadLocalizedString(IDS_URL_FORMAT)),
      m_hSmallIcon(LoadLocalizedIconEx(IDR_MAINFRAME, 16, 16, 8)) {
    MapMessage(WM_NOTIFYICON, &CBrowserDlg::OnNotifyIcon);
    MapMessage(WM_CONTEXTMENU, &CBrowserDlg::OnContextMenu);
    MapEvent(IDC_EXPLORER, DISPID_DOCUMENTCOMPLETE, &CBrowserDlg::OnDocumentComplete);
    MapEvent(IDC_EXPLORER, DISPID_NAVIGATECOMPLETE2, &CBrowserDlg::OnNavigateComplete2);
    MapEvent(IDC_EXPLORER, DISPID_BEFORENAVIGATE2, &CBrowserDlg::OnBeforeNavigate2);
    MapEvent(IDC_EXPLORER, DISPID_WINDOWCLOSING, &CBrowserDlg::OnWindowClosing);
    MapEvent(IDC_EXPLORER, DISPID_NEWWINDOW2, &CBrowserDlg::OnNewWindow2);
}

CBrowserDlg::~CBrowserDlg() {
    // The window and with it every use of the icons is gone by now.
    if (m_hBigIcon)
        DestroyIcon(m_hBigIcon);
    if (m_hSmallIcon)
        DestroyIcon(m_hSmallIcon);
}

void CBrowserDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_EXPLORER, m_browser);
}

BOOL CBrowserDlg::OnInitDialog() {
    CLocalizedDialog::OnInitDialog();
    SetWindowText(GetVersionInfoString("ProductName"));
    InsertCommandItems(GetSystemMenu(FALSE), -1);
    m_hBigIcon = LoadLocalizedIcon(IDR_MAINFRAME);
    SetIcon(m_hBigIcon, TRUE);
    SetIcon(m_hSmallIcon, FALSE);

    const int packed = GetSettingInt(nullptr, "IP", kDefaultPabxAddress);
    m_strAddress = GetSettingString(nullptr, "Adrs", DottedAddress(packed).c_str());
    m_strUser = GetSettingString(nullptr, "User", "");
    m_strPassword = GetScrambledSetting(nullptr, "Pass", kPasswordSeed);
    m_bAutoLogin = GetSettingInt(nullptr, "Autolog", 1) != 0;
    m_bTooltip = GetSettingInt(nullptr, "Tooltip", 0) != 0;
    m_nTimeout = GetSettingInt(nullptr, "Timeout", 5);
    m_bAutostart = RegistryValueExists(HKEY_CURRENT_USER, kRunKey,
                                       GetVersionInfoString("FileDescription").c_str());

    // From here on WM_SIZE keeps the browser filling the client area.
    RECT client;
    GetClientRect(&client);
    m_cxBrowserMargin = static_cast<int>(client.right - m_browser.GetWidth());
    m_cyBrowserMargin = static_cast<int>(client.bottom - m_browser.GetHeight());
    RestoreWindowRect(client.right, client.bottom);

    AddNotifyIcon();
    m_nTimerId = SetTimer(kTimerId, kTimerPeriodMs, nullptr);

    if (m_strUser.empty()) {
        // Nothing to log in with: ask first, before the window is ever shown.
        QV_TRACE(Console, "no user name stored: the configuration comes before the login");
        if (EditConfiguration())
            Login();
        else
            QV_TRACE(Console, "configuration cancelled: no login");
    } else {
        if (GetSettingInt(nullptr, "Minimized", 0) != 0)
            ShowWindow(SW_MINIMIZE);
        Login();
    }
    UpdateLoginState(nullptr);
    return TRUE;
}

void CBrowserDlg::RestoreWindowRect(int clientWidth, int clientHeight) {
    // 64-bit: stored values are outside data and may sit at the int limits.
    std::int64_t left = GetSettingInt(nullptr, "XPosition", kDefaultPosition);
    std::int64_t top = GetSettingInt(nullptr, "YPosition", kDefaultPosition);
    std::int64_t width = GetSettingInt(nullptr, "XWidth", static_cast<int>(left + clientWidth));
    std::int64_t height = GetSettingInt(nullptr, "YHeight", static_cast<int>(top + clientHeight));

    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const std::int64_t minWidth = ::GetSystemMetrics(SM_CXMINTRACK);
    const std::int64_t minHeight = ::GetSystemMetrics(SM_CYMINTRACK);
    width = std::max(width, minWidth);
    height = std::max(height, minHeight);
    // Larger than the whole desktop helps nobody and may be more than the
    // window system can take; smaller sizes stay, even beyond the work area
    // or the primary monitor (a window kept on a larger second one).
    if (const int desktop = ::GetSystemMetrics(SM_CXVIRTUALSCREEN); desktop > 0)
        width = std::min(width, std::max<std::int64_t>(desktop, minWidth));
    if (const int desktop = ::GetSystemMetrics(SM_CYVIRTUALSCREEN); desktop > 0)
        height = std::min(height, std::max<std::int64_t>(desktop, minHeight));
    // At least the minimum tracking size stays inside the work area ...
    if (left + minWidth > work.right)
        left = work.right - minWidth;
    if (top + minHeight > work.bottom)
        top = work.bottom - minHeight;
    // ... and the left and top edges always do.
    left = std::max<std::int64_t>(left, work.left);
    top = std::max<std::int64_t>(top, work.top);
    MoveWindow(static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
               static_cast<int>(height), FALSE);
}

void CBrowserDlg::SaveWindowPlacement() {
    WINDOWPLACEMENT placement;
    if (!m_hWnd || !GetWindowPlacement(&placement))
        return;
    // The normal rectangle: a minimised or maximised window keeps its restored size.
    const RECT& normal = placement.rcNormalPosition;
    WriteSettingInt(nullptr, "Minimized", IsIconic() ? 1 : 0);
    WriteSettingInt(nullptr, "XPosition", normal.left);
    WriteSettingInt(nullptr, "YPosition", normal.top);
    WriteSettingInt(nullptr, "XWidth", normal.right - normal.left);
    WriteSettingInt(nullptr, "YHeight", normal.bottom - normal.top);
}

void CBrowserDlg::ReleaseResources() {
    // Waits elsewhere pump messages, so this may run again in the middle of
    // itself: every step tests its resource and clears it.
    SaveWindowPlacement();
    if (m_nTimerId != 0) {
        KillTimer(std::exchange(m_nTimerId, 0));
    }
    if (m_nid.cbSize != 0) {
        Shell_NotifyIconA(NIM_DELETE, &m_nid);
        m_nid.cbSize = 0;
        m_bIconInTray = false;
    }
    if (m_pLogoutElement) {
        m_pLogoutElement.reset();
        UpdateLoginState(nullptr);
    }
    m_pRefreshBrowser.reset();
    m_pAddressBook.reset();
}

// Ending the window.

void CBrowserDlg::OnClose() {
    Logout();
    ReleaseResources();
    EndDialog(IDCANCEL);
}

void CBrowserDlg::OnOK() {
    OnClose();
}

void CBrowserDlg::OnCancel() {
    // Esc only sends the window to the notification area.
    ShowWindow(SW_MINIMIZE);
}

BOOL CBrowserDlg::OnQueryEndSession() {
    SaveWindowPlacement();
    // The session end is never vetoed here: log out within the bounded wait
    // and let it go.
    Default();
    Logout();
    ReleaseResources();
    return TRUE;
}

void CBrowserDlg::OnParentNotify(UINT message, LPARAM lParam) {
    Default();
    // The browser's window went away under us (not through the page's own
    // close request, which ends the dialog itself).
    if (!m_bClosing && message == WM_DESTROY && m_browser.m_hWnd &&
        reinterpret_cast<HWND>(lParam) == m_browser.m_hWnd) {
        ReleaseResources();
        EndDialog(IDOK);
    }
}

void CBrowserDlg::OnDestroy() {
    // Any end not seen above (a quit message in the modal loop) must not
    // leave the icon or the timer behind.
    if (m_nTimerId != 0 || m_nid.cbSize != 0)
        ReleaseResources();
    CLocalizedDialog::OnDestroy();
}

LRESULT CBrowserDlg::OnPowerBroadcast(WPARAM event, LPARAM) {
    if (event == PBT_APMSUSPEND)
        Logout();
    else if (event == PBT_APMRESUMESUSPEND)
        Login();
    return TRUE;
}

// Geometry and visible states.

void CBrowserDlg::OnSize(UINT, int cx, int cy) {
    if (m_cxBrowserMargin >= 0)
        m_browser.SetWidth(cx - m_cxBrowserMargin);
    if (m_cyBrowserMargin >= 0)
        m_browser.SetHeight(cy - m_cyBrowserMargin);
    Default();
}

void CBrowserDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hSmallIcon);
    ::EndPaint(m_hWnd, &paint);
}

HCURSOR CBrowserDlg::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(m_hSmallIcon);
}

LRESULT CBrowserDlg::OnKickIdle(WPARAM, LPARAM) {
    m_bWasActive = m_bActive;
    // Minimised means living in the notification area; without one the
    // window stays on the taskbar so it can still be found.
    if (IsIconic() && TrayHostPresent())
        ShowWindow(SW_HIDE);
    return 0;
}

BOOL CBrowserDlg::OnNcActivate(BOOL active) {
    m_bActive = active;
    if (active && m_nPopupState != 0) {
        // The user took over the raised window: it stays where it is.
        m_nPopupCountdown = 0;
        m_nPopupState = 0;
        SetWindowPos(&wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    return static_cast<BOOL>(Default());
}
