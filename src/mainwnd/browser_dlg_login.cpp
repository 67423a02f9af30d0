// Logging in and out of the console: CBrowserDlg's navigation to the start
// page and the bounded wait for the console's logout.
#include "console/console_host.h"
#include "console/pump_messages.h"
#include "console/start_url.h"
#include "framework/win_app.h"
#include "mainwnd/browser_dlg.h"
#include "platform/debug_trace.h"
#include "platform/text.h"

namespace {

// The longest a logout may hold up closing, log-off or suspend.
constexpr DWORD kLogoutWaitMs = 5000;

} // namespace

void CBrowserDlg::Login() {
    m_pRefreshBrowser.reset(); // a pending retry is dropped
    if (m_pLogoutElement) {
        QV_TRACE(Console, "login skipped: logged in already");
        return;
    }
    m_bLoginPending = TRUE;
    UpdateLoginState(nullptr);
    // The format may come from the command line: only "%s" and "%%" count.
    const std::string url = WithDefaultScheme(qv::text::FormatText(m_strUrlFormat, m_strAddress));
    m_strConsoleHost = UrlHostName(url);
    QV_TRACE(Console, "login: loading %s", url.c_str());
    // The console page must never come from the cache.
    VARIANT flags = qv::com::MakeI2Variant(static_cast<SHORT>(navNoReadFromCache));
    m_browser.Navigate(url, &flags, nullptr, nullptr, nullptr);
}

void CBrowserDlg::Logout() {
    m_pRefreshBrowser.reset();
    if (!m_pLogoutElement)
        return;
    // The logged-out page that shows up during the wait must not log in again.
    const BOOL autoLogin = m_bAutoLogin;
    m_bAutoLogin = FALSE;
    // The click itself may wait for the page; it counts against the bound.
    const DWORD started = GetTickCount();
    {
        // The page may drop our reference while its click runs.
        auto element = m_pLogoutElement;
        element->click();
    }
    const DWORD spent = GetTickCount() - started;
    CWinApp* app = AfxGetApp();
    if (app)
        app->BeginWaitCursor();
    // The document-complete handling clears the element when the console
    // shows its login form, which ends the wait early.
    PumpMessagesWhile(spent < kLogoutWaitMs ? kLogoutWaitMs - spent : 0,
                      [this] { return static_cast<bool>(m_pLogoutElement); });
    QV_TRACE(Console,
             m_pLogoutElement ? "logout: no login form within %lu ms; taken as logged out"
                              : "logout: the console shows its login form (within %lu ms)",
             static_cast<unsigned long>(kLogoutWaitMs));
    if (m_pLogoutElement) {
        m_pLogoutElement.reset();
        UpdateLoginState(nullptr);
    }
    m_bAutoLogin = autoLogin;
    if (app)
        app->EndWaitCursor();
}
