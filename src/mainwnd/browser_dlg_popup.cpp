// The incoming-call announcement (a balloon at the notification icon, or
// the window raised above the others without taking the keyboard) and the
// one-second timer that withdraws it, reloads a waiting console frame and
// keeps the icon alive.
#include "mainwnd/browser_dlg.h"
#include "mainwnd/notify_text.h"
#include "platform/debug_trace.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

namespace {

constexpr UINT kRaiseFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
// Numbers shorter than this are extensions, not worth a lookup.
constexpr int kLookupMinDigits = 5;

int CountDigits(const std::string& text) {
    return static_cast<int>(
        std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

// A timeout of 0 or less shows the balloon for no fixed time; a huge one
// must not overflow.
UINT BalloonTimeoutMs(int seconds) {
    if (seconds <= 0)
        return 0;
    return static_cast<UINT>(std::min<std::int64_t>(std::int64_t(seconds) * 1000, UINT_MAX));
}

} // namespace

void CBrowserDlg::OnDisplayRows(std::string row1, std::string row2) {
    if (row1.empty()) {
        // The display is idle: the next call counts as new.
        m_strLastInfo.clear();
        m_strLastTitle.clear();
        return;
    }
    // Hidden in the notification area counts as minimised; later steps
    // use this, also once the window is restored.
    const BOOL wasMinimized = IsIconic() || !IsWindowVisible();
    const bool inFront = !wasMinimized && ::GetForegroundWindow() == m_hWnd;
    if (m_bTooltip && !inFront && m_nid.cbSize > NOTIFYICONDATAA_V1_SIZE) {
        if (ShowBalloon(row1, row2))
            return;
        // The shell could not show it (the notification service or the
        // icon went away): announce as without balloons.
        QV_TRACE(Shell, "call \"%s\": the notification was refused, the window is raised",
                 row1.c_str());
    } else if (m_bTooltip) {
        QV_TRACE(Shell, "call \"%s\": no notification, %s", row1.c_str(),
                 inFront ? "the window is in front already"
                         : "the desktop has no notification service");
    }
    // Back from the notification area without taking the keyboard from the
    // user; a popup without timeout is made the foreground window below.
    if (wasMinimized)
        ShowWindow(SW_SHOWNOACTIVATE);
    StartPopup(wasMinimized);
}

BOOL CBrowserDlg::ShowBalloon(const std::string& row1, const std::string& row2) {
    const std::string* info = &row1;
    std::string name;
    if (m_pAddressBook && CountDigits(row1) >= kLookupMinDigits &&
        m_pAddressBook->LookupName(row1, "0", name) && !name.empty())
        info = &name;
    m_nid.uFlags = NIF_INFO;
    CopyNotifyText(m_nid.szInfo, sizeof m_nid.szInfo, *info);
    m_nid.uTimeout = BalloonTimeoutMs(m_nTimeout);
    CopyNotifyText(m_nid.szInfoTitle, sizeof m_nid.szInfoTitle, row2);
    m_nid.dwInfoFlags = NIIF_INFO;
    // The console reports the same rows every few seconds: show it once.
    if (m_strLastInfo != m_nid.szInfo || m_strLastTitle != m_nid.szInfoTitle) {
        if (!Shell_NotifyIconA(NIM_MODIFY, &m_nid))
            return FALSE;
        QV_TRACE(Shell, "call \"%s\": notification \"%s\" shown%s", row1.c_str(), m_nid.szInfo,
                 info == &name ? " (name from the address book)" : "");
        m_strLastInfo = m_nid.szInfo;
        m_strLastTitle = m_nid.szInfoTitle;
    }
    m_nPopupCountdown = std::max(m_nTimeout, 0);
    return TRUE;
}

void CBrowserDlg::StartPopup(BOOL wasMinimized) {
    if (m_nTimeout <= 0) {
        // No timed popup: the window comes forward and stays.
        QV_TRACE(Shell, "call: the window comes forward and stays (Timeout 0)");
        SetForegroundWindow();
        return;
    }
    // In front already, unless by our own restore: a popup that is running
    // (the user has not taken it over) goes on for as long as calls come.
    if (m_nPopupState == 0 && !wasMinimized && ::GetForegroundWindow() == m_hWnd) {
        QV_TRACE(Shell, "call: the window is in front already, nothing to raise");
        return;
    }
    m_nPopupCountdown = m_nTimeout;
    if (m_nPopupState != 0)
        return; // already raised: only the countdown starts again
    QV_TRACE(Shell, "call: the window is raised above the others for %d s%s", m_nTimeout,
             wasMinimized ? ", from the notification area" : "");
    m_nPopupState = wasMinimized ? 2 : 1;
    // Above everything, but the keyboard stays where the user is.
    SetWindowPos(&wndTop, 0, 0, 0, 0, kRaiseFlags);
    SetWindowPos(&wndTopMost, 0, 0, 0, 0, kRaiseFlags);
}

void CBrowserDlg::OnTimer(UINT_PTR) {
    m_nid.uFlags = 0;
    if (m_nPopupCountdown > 0 && --m_nPopupCountdown == 0) {
        switch (std::exchange(m_nPopupState, 0)) {
        case 1:
            SetWindowPos(&wndNoTopMost, 0, 0, 0, 0, kRaiseFlags);
            SetWindowPos(&wndBottom, 0, 0, 0, 0, kRaiseFlags);
            break;
        case 2:
            // Back where it came from: minimised, and so hidden at idle.
            SetWindowPos(&wndNoTopMost, 0, 0, 0, 0, kRaiseFlags);
            ShowWindow(SW_MINIMIZE);
            break;
        default:
            // A balloon: withdrawn with the keep-alive call below.
            m_nid.uFlags = NIF_INFO;
            m_nid.szInfo[0] = '\0';
            m_strLastInfo.clear();
            break;
        }
    }
    if (m_nRefreshCountdown > 0 && --m_nRefreshCountdown == 0 && m_pRefreshBrowser) {
        // Kept for the next retry; the reload may run our handlers.
        const auto browser = m_pRefreshBrowser;
        browser->Refresh();
    }
    if (m_nid.cbSize != 0) {
        // Keep-alive: a shell that restarted has forgotten the icon.
        if (Shell_NotifyIconA(NIM_MODIFY, &m_nid)) {
            m_bIconInTray = true;
        } else {
            m_nid.uFlags = NIF_MESSAGE | NIF_ICON;
            m_bIconInTray = Shell_NotifyIconA(NIM_ADD, &m_nid) != FALSE;
            // The new icon has no tip yet: make UpdateLoginState send it.
            m_nid.szTip[0] = '\0';
            UpdateLoginState(nullptr);
            // Hidden with no notification area left to come back from.
            if (!m_bIconInTray && !IsWindowVisible())
                ShowWindow(SW_SHOWMINNOACTIVE);
        }
    }
    Default();
}
