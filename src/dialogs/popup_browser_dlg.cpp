#include "dialogs/popup_browser_dlg.h"

#include "console/document_title.h"
#include "framework/data_exchange.h"
#include "localized/localized_resources.h"
#include "platform/html/html_ids.h"
#include "rc/resource.h"

#include <algorithm>

CPopupBrowserDlg::CPopupBrowserDlg(CWnd* parent) : CLocalizedDialog(IDD_POPUP_BROWSER, parent) {
    MapEvent(IDC_POPUP_EXPLORER, DISPID_WINDOWCLOSING, &CPopupBrowserDlg::OnWindowClosing);
    MapEvent(IDC_POPUP_EXPLORER, DISPID_DOCUMENTCOMPLETE, &CPopupBrowserDlg::OnDocumentComplete);
}

CPopupBrowserDlg::~CPopupBrowserDlg() {
    if (m_hBigIcon)
        DestroyIcon(m_hBigIcon);
    if (m_hSmallIcon)
        DestroyIcon(m_hSmallIcon);
}

void CPopupBrowserDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_POPUP_EXPLORER, m_browser);
}

BOOL CPopupBrowserDlg::OnInitDialog() {
    CLocalizedDialog::OnInitDialog();
    m_hBigIcon = LoadLocalizedIcon(IDR_MAINFRAME);
    m_hSmallIcon = LoadLocalizedIconEx(IDR_MAINFRAME, 16, 16, 8);
    SetIcon(m_hBigIcon, TRUE);
    SetIcon(m_hSmallIcon, FALSE);

    RECT client;
    GetClientRect(&client);
    m_cxBrowserMargin = static_cast<int>(client.right - m_browser.GetWidth());
    m_cyBrowserMargin = static_cast<int>(client.bottom - m_browser.GetHeight());
    if (m_strUrl.empty())
        return TRUE;
    PlaceForUrl();
    m_browser.Navigate(m_strUrl, nullptr, nullptr, nullptr, nullptr);
    return TRUE;
}

// Half as wide again as the control, at the control's place on screen, kept
// within the work area with at least the minimum tracking size.
void CPopupBrowserDlg::PlaceForUrl() {
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT client;
    GetClientRect(&client);
    POINT corner{client.left, client.top};
    ClientToScreen(&corner);
    long left = corner.x + m_browser.GetLeft();
    long top = corner.y + m_browser.GetTop();
    long width = m_browser.GetWidth() * 3 / 2;
    long height = m_browser.GetHeight();
    const long minWidth = ::GetSystemMetrics(SM_CXMINTRACK);
    const long minHeight = ::GetSystemMetrics(SM_CYMINTRACK);
    width = std::max(width, minWidth);
    height = std::max(height, minHeight);
    if (left + minWidth > work.right)
        left = work.right - minWidth;
    if (top + minHeight > work.bottom)
        top = work.bottom - minHeight;
    left = std::max<long>(left, work.left);
    top = std::max<long>(top, work.top);
    MoveWindow(static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
               static_cast<int>(height), FALSE);
}

void CPopupBrowserDlg::OnSize(UINT, int cx, int cy) {
    if (m_cxBrowserMargin >= 0)
        m_browser.SetWidth(cx - m_cxBrowserMargin);
    if (m_cyBrowserMargin >= 0)
        m_browser.SetHeight(cy - m_cyBrowserMargin);
    Default();
}

void CPopupBrowserDlg::OnDocumentComplete(IDispatch* frame, VARIANT*) {
    const std::string title = TopDocumentTitle(m_browser, frame);
    if (!title.empty())
        SetWindowText(title);
    // A page may have resized the control; the margins hold.
    RECT client;
    GetClientRect(&client);
    if (m_cxBrowserMargin != client.right - m_browser.GetWidth())
        m_browser.SetWidth(client.right - m_cxBrowserMargin);
    if (m_cyBrowserMargin != client.bottom - m_browser.GetHeight())
        m_browser.SetHeight(client.bottom - m_cyBrowserMargin);
}

void CPopupBrowserDlg::OnWindowClosing(BOOL, BOOL*) {
    m_bClosing = TRUE;
    PostMessage(WM_COMMAND, IDCANCEL, 0);
}

void CPopupBrowserDlg::OnCancel() {
    if (!m_strUrl.empty()) {
        CLocalizedDialog::OnCancel();
        return;
    }
    DestroyWindow();
}

void CPopupBrowserDlg::OnParentNotify(UINT message, LPARAM lParam) {
    Default();
    if (!m_bClosing && message == WM_DESTROY && m_browser.m_hWnd &&
        reinterpret_cast<HWND>(lParam) == m_browser.m_hWnd) {
        // The control went without a close request. A modeless window would
        // only hide on EndDialog and linger: it goes as on Cancel.
        if (m_strUrl.empty())
            DestroyWindow();
        else
            EndDialog(IDCANCEL);
    }
}

void CPopupBrowserDlg::PostNcDestroy() {
    CLocalizedDialog::PostNcDestroy();
    // Made on the heap for a new-window request; nobody else holds it.
    if (m_strUrl.empty())
        delete this;
}
