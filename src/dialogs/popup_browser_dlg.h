// A second browser window: the readme (modal, with a URL) or a page the
// console opens in a new window (modeless, deletes itself when closed).
#pragma once

#include "console/web_browser2.h"
#include "localized/localized_dialog.h"

#include <string>

class CPopupBrowserDlg : public CLocalizedDialog {
public:
    // No parent for a new-window request; the main window for the readme.
    explicit CPopupBrowserDlg(CWnd* parent = nullptr);
    ~CPopupBrowserDlg() override;

    // Empty: made for a new-window request, the page comes with it.
    std::string m_strUrl;
    CWebBrowser2 m_browser;
    BOOL m_bClosing = FALSE;
    int m_cxBrowserMargin = -1;
    int m_cyBrowserMargin = -1;

    BOOL OnInitDialog() override;
    void OnWindowClosing(BOOL childWindow, BOOL* cancel);
    void OnDocumentComplete(IDispatch* frame, VARIANT* url);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void PostNcDestroy() override;
    void OnCancel() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnParentNotify(UINT message, LPARAM lParam) override;

private:
    void PlaceForUrl();

    HICON m_hBigIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
};
