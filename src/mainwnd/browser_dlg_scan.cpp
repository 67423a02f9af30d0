// Recognising the console's pages: the login form (filled and submitted
// once per pending login), the logout link that means logged in, and the
// terminal list that offers no terminal yet.
#include "console/console_host.h"
#include "console/dom_text.h"
#include "console/pump_messages.h"
#include "mainwnd/browser_dlg.h"
#include "platform/debug_trace.h"

using qv::com::ComPtr;

namespace {

// Pause before each write and click, so the page's own scripts keep up.
constexpr DWORD kFieldPauseMs = 100;
// A real form has one field of each kind and one submit button. A page
// with thousands of them must not hold the program in pauses for minutes:
// beyond this many writes and clicks per fill the rest are only seen.
constexpr int kMaxFormActions = 16;
constexpr int kTerminalRetrySeconds = 15;

} // namespace

BOOL CBrowserDlg::ScanDocument(IDispatch* document, ScanMode mode) {
    if (mode == SCAN_SCRIPTS) {
        m_strRow1.clear();
        m_strRow2.clear();
    }
    const auto page = ComPtr<IDispatch>(document).As<IHTMLDocument2>();
    if (!page)
        return FALSE;
    ComPtr<IHTMLElementCollection> all;
    if (FAILED(page->get_all(all.put())) || !all)
        return FALSE;
    LONG length = 0;
    if (FAILED(all->get_length(&length)))
        return FALSE;
    if (mode == SCAN_LOGIN_FILL)
        m_nFormActions = 0;

    // The scan keeps its own collection and flags: a fill pumps messages,
    // and other events may run in between.
    BOOL userSeen = FALSE;
    BOOL passwordSeen = FALSE;
    BOOL result = FALSE;
    for (LONG i = 0; i < length; ++i) {
        ComPtr<IDispatch> element;
        if (FAILED(all->item(qv::com::MakeUintVariant(static_cast<UINT>(i)), VARIANT(),
                             element.put())) ||
            !element)
            continue;
        switch (mode) {
        case SCAN_LOGIN_DETECT:
        case SCAN_LOGIN_FILL:
            result |= CheckLoginElement(element.get(), &userSeen, &passwordSeen,
                                        mode == SCAN_LOGIN_DETECT);
            break;
        case SCAN_LOGOUT_LINK:
            result |= CheckLogoutLink(element.get());
            break;
        case SCAN_SCRIPTS:
            result |= RewriteScript(element.get());
            break;
        case SCAN_TERMINAL_LIST:
            result |= IsEmptyTerminalList(element.get());
            break;
        }
    }
    return result;
}

BOOL CBrowserDlg::CheckLoginElement(IDispatch* element, BOOL* userSeen, BOOL* passwordSeen,
                                    BOOL detectOnly) {
    const ComPtr<IDispatch> object(element);
    const bool act = !detectOnly && m_nFormActions < kMaxFormActions;
    if (const auto input = object.As<IHTMLInputTextElement>()) {
        const std::string name = ReadDomText(input, &IHTMLInputTextElement::get_name);
        if (name == "un") {
            *userSeen = TRUE;
            if (act) {
                ++m_nFormActions;
                // Emptied first: the page may have put a default there.
                input->put_value(qv::com::ToBstr(""));
                PumpMessagesFor(kFieldPauseMs);
                input->put_value(qv::com::ToBstr(m_strUser));
            }
        } else if (name == "pw") {
            *passwordSeen = TRUE;
            if (act) {
                ++m_nFormActions;
                PumpMessagesFor(kFieldPauseMs);
                input->put_value(qv::com::ToBstr(m_strPassword));
            }
        }
        return FALSE;
    }
    const auto button = object.As<IHTMLInputButtonElement>();
    if (!button || !*userSeen || !*passwordSeen)
        return FALSE;
    if (ReadDomText(button, &IHTMLInputButtonElement::get_type) != "submit")
        return FALSE;
    const auto html = object.As<IHTMLElement>();
    if (!html)
        return FALSE;
    if (act) {
        ++m_nFormActions;
        PumpMessagesFor(kFieldPauseMs);
        // Only a press on a live document submits anything; one whose
        // document went (the frame reloaded during the fill) does not count.
        if (FAILED(html->click()))
            return FALSE;
    }
    return TRUE;
}

BOOL CBrowserDlg::CheckLogoutLink(IDispatch* element) {
    const ComPtr<IDispatch> object(element);
    const auto anchor = object.As<IHTMLAnchorElement>();
    if (!anchor)
        return FALSE;
    const std::string href = ReadDomText(anchor, &IHTMLAnchorElement::get_href);
    if (!href.starts_with("javascript:bttnVphoneLogout();") &&
        !href.starts_with("javascript:bttnLogout()"))
        return FALSE;
    // The last link in the document is the one held. Tip and menus change
    // only when the login state does, not once per link.
    const bool wasLoggedIn = static_cast<bool>(m_pLogoutElement);
    m_pLogoutElement = object.As<IHTMLElement>();
    if (wasLoggedIn != static_cast<bool>(m_pLogoutElement)) {
        if (m_pLogoutElement)
            QV_TRACE(Console, "logged in: the console shows its logout link");
        UpdateLoginState(nullptr);
    }
    return m_pLogoutElement ? TRUE : FALSE;
}

BOOL CBrowserDlg::IsEmptyTerminalList(IDispatch* element) {
    const auto select = ComPtr<IDispatch>(element).As<IHTMLSelectElement>();
    if (!select || ReadDomText(select, &IHTMLSelectElement::get_name) != "terminal")
        return FALSE;
    const std::string value = ReadDomText(select, &IHTMLSelectElement::get_value);
    LONG options = 0;
    if (FAILED(select->get_length(&options)))
        return FALSE;
    return options == 1 && value == "empty" ? TRUE : FALSE;
}

bool CBrowserDlg::IsConsoleDocument(IHTMLDocument2* document) const {
    ComPtr<IHTMLLocation> location;
    if (!document || m_strConsoleHost.empty() || FAILED(document->get_location(location.put())))
        return false;
    return HostName(ReadDomText(location, &IHTMLLocation::get_host)) == m_strConsoleHost;
}

void CBrowserDlg::DecideLogin(IDispatch* document, IWebBrowser2* frame) {
    if (ScanDocument(document, SCAN_LOGOUT_LINK)) {
        m_bLoginPending = FALSE;
        UpdateLoginState(nullptr);
        return;
    }
    // A login form of any other host is not the console's: it neither
    // logs us out nor gets the credentials.
    const auto page = ComPtr<IDispatch>(document).As<IHTMLDocument2>();
    if (IsConsoleDocument(page.get()) && ScanDocument(document, SCAN_LOGIN_DETECT)) {
        if (m_pLogoutElement) {
            // Dropped back to the login form (by Logout, or by the console).
            QV_TRACE(Console, m_bAutoLogin ? "back at the login form: logging in again"
                                           : "back at the login form: no relogin (Autolog off)");
            if (m_bAutoLogin)
                m_bLoginPending = TRUE;
            m_pLogoutElement.reset();
            UpdateLoginState(nullptr);
        }
        // Documents completing during the fill's pauses leave the form to
        // this fill: one fill per pending login.
        if (m_bFillingForm) {
            m_pFormDuringFill = document;
            return;
        }
        if (!m_bLoginPending)
            QV_TRACE(Console, "login form left alone: no login pending (one fill per login; "
                              "Login in the menu tries again)");
        qv::com::ComPtr<IDispatch> form(document);
        while (form && m_bLoginPending) {
            QV_TRACE(Console, "login form: filling in user \"%s\"", m_strUser.c_str());
            m_bFillingForm = true;
            const BOOL submitted = ScanDocument(form.get(), SCAN_LOGIN_FILL);
            m_bFillingForm = false;
            QV_TRACE(Console, submitted ? "login form submitted"
                                        : "login form not submitted: no submit button pressed "
                                          "after the user name and password fields");
            form = std::move(m_pFormDuringFill);
            if (submitted) {
                // Wrong credentials bring the form back: it is left alone.
                m_bLoginPending = FALSE;
                UpdateLoginState(nullptr);
            }
        }
        return;
    }
    if (qv::platform::TraceEnabled(qv::platform::TraceCategory::Console) && page &&
        ScanDocument(document, SCAN_LOGIN_DETECT))
        QV_TRACE(Console, "a login form of another host than the console's gets no credentials");
    if (m_bAutoLogin && ScanDocument(document, SCAN_TERMINAL_LIST)) {
        // No terminal assigned yet: look again in a while.
        QV_TRACE(Console, "no terminal assigned yet: the frame reloads in %d s",
                 kTerminalRetrySeconds);
        m_pRefreshBrowser = frame;
        m_nRefreshCountdown = kTerminalRetrySeconds;
    }
}
