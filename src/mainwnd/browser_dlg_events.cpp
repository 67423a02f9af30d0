// The main browser's events: the display rows from the poll frame's
// script, the window title and the login decision when a document
// completes, the console's own buttons, and the page closing the window.
#include "console/document_title.h"
#include "console/dom_text.h"
#include "console/script_text.h"
#include "dialogs/popup_browser_dlg.h"
#include "mainwnd/browser_dlg.h"
#include "rc/resource.h"

using qv::com::ComPtr;

namespace {

ComPtr<IDispatch> DocumentOf(const ComPtr<IWebBrowser2>& browser) {
    ComPtr<IDispatch> document;
    if (!browser || FAILED(browser->get_Document(document.put())))
        return nullptr;
    return document;
}

struct PageLocation {
    std::string host, href, protocol;
};

PageLocation LocationOf(const ComPtr<IDispatch>& document) {
    PageLocation out;
    ComPtr<IHTMLLocation> location;
    const auto page = document.As<IHTMLDocument2>();
    if (!page || FAILED(page->get_location(location.put())) || !location)
        return out;
    out.host = ReadDomText(location, &IHTMLLocation::get_host);
    out.href = ReadDomText(location, &IHTMLLocation::get_href);
    out.protocol = ReadDomText(location, &IHTMLLocation::get_protocol);
    return out;
}

} // namespace

BOOL CBrowserDlg::RewriteScript(IDispatch* element) {
    const auto script = ComPtr<IDispatch>(element).As<IHTMLScriptElement>();
    if (!script)
        return FALSE;
    std::string text = ReadDomText(script, &IHTMLScriptElement::get_text);
    if (RemoveFocusRequests(text) > 0) {
        // A row whose target is absent keeps what an earlier script gave.
        if (auto row = ExtractRow(text, kRow1Target))
            m_strRow1 = std::move(*row);
        if (auto row = ExtractRow(text, kRow2Target))
            m_strRow2 = std::move(*row);
        return SUCCEEDED(script->put_text(qv::com::ToBstr(text))) ? TRUE : FALSE;
    }
    // A script that sends the top document to its own address: make that
    // a reload, which the page would otherwise not do for an equal URL.
    const auto assignment = FindHrefAssignment(text);
    if (!assignment || assignment->target.find('?') == std::string_view::npos)
        return FALSE;
    const PageLocation top = LocationOf(m_browser.GetDocument());
    if (AbsoluteUrl(assignment->target, top.protocol, top.host) == top.href) {
        text.insert(assignment->position, kReloadPrefix);
        script->put_text(qv::com::ToBstr(text));
    }
    return FALSE;
}

void CBrowserDlg::OnNavigateComplete2(IDispatch* frame, VARIANT*) {
    const auto browser = ComPtr<IDispatch>(frame).As<IWebBrowser2>();
    const auto document = DocumentOf(browser);
    if (!document)
        return;
    if (ScanDocument(document.get(), SCAN_SCRIPTS))
        OnDisplayRows(m_strRow1, m_strRow2);
}

void CBrowserDlg::OnDocumentComplete(IDispatch* frame, VARIANT*) {
    const auto browser = ComPtr<IDispatch>(frame).As<IWebBrowser2>();
    const auto document = DocumentOf(browser);
    if (!document)
        return;
    const std::string title = TopDocumentTitle(m_browser, frame);
    if (!title.empty())
        SetWindowText(title);
    DecideLogin(document.get(), browser.get());
}

void CBrowserDlg::OnBeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*,
                                    VARIANT*, BOOL* cancel) {
    const std::string target = qv::com::VariantText(url);
    m_nNavButton = 0;
    if (target.starts_with("javascript:bttnVphoneExit()")) {
        // The console's Exit ends the program (logged out) instead of the page.
        if (cancel)
            *cancel = TRUE;
        PostMessage(WM_CLOSE);
    } else if (target.starts_with("javascript:bttnConfig()")) {
        m_nNavButton = 2;
    } else if (target.starts_with("javascript:bttnHelp()")) {
        m_nNavButton = 1;
    }
}

void CBrowserDlg::OnWindowClosing(BOOL childWindow, BOOL* cancel) {
    if (childWindow)
        return;
    // The page closes the window: the control stays, the program ends
    // without a logout.
    m_bClosing = TRUE;
    if (cancel)
        *cancel = TRUE;
    ReleaseResources();
    EndDialog(IDOK);
}

// The console's configuration page opens in a window of ours; any other new
// window is the control's own business.
void CBrowserDlg::OnNewWindow2(IDispatch** ppDisp, BOOL*) {
    if (m_nNavButton != 2 || !ppDisp)
        return;
    // The window owns the object from here on: PostNcDestroy deletes it.
    auto* popup = new CPopupBrowserDlg;
    popup->Create(IDD_POPUP_BROWSER, this);
    popup->m_browser.SetRegisterAsBrowser(TRUE);
    *ppDisp = popup->m_browser.GetApplication().detach();
}
