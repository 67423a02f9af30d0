// The program's main window: a resizable dialog whose client area is the
// hosted browser showing the PABX console. It lives mostly hidden behind
// its notification icon, owns the settings while it runs, and logs out of
// the console before it ends.
#pragma once

#include "addressbook/address_book_lookup.h"
#include "console/web_browser2.h"
#include "framework/menu.h"
#include "localized/localized_dialog.h"
#include "platform/html/html_document.h"
#include "platform/html/html_elements.h"
#include "platform/shell/notify_icon.h"

#include <memory>
#include <string>

// Callback message of the notification icon.
inline constexpr UINT WM_NOTIFYICON = WM_USER + 1;

// What one pass of ScanDocument looks for in every element.
enum ScanMode {
    SCAN_LOGIN_DETECT = 0,
    SCAN_LOGIN_FILL = 1,
    SCAN_LOGOUT_LINK = 2,
    SCAN_SCRIPTS = 3,
    SCAN_TERMINAL_LIST = 4,
};

class CBrowserDlg : public CLocalizedDialog {
public:
    explicit CBrowserDlg(CWnd* parent = nullptr);
    ~CBrowserDlg() override;

    // Operations other parts of the program call.
    void SaveWindowPlacement();
    void ReleaseResources();
    BOOL IsBrowser() const { return TRUE; }
    void Login();
    void Logout();
    virtual BOOL EditConfiguration();
    void UpdateLoginState(CMenu* menu);
    void InsertCommandItems(CMenu* menu, int position);
    BOOL HandleCommand(UINT id, LPARAM extra);
    virtual void OnDisplayRows(std::string row1, std::string row2);

    // Console automation: one visitor over every element of a document.
    BOOL ScanDocument(IDispatch* document, ScanMode mode);
    BOOL CheckLoginElement(IDispatch* element, BOOL* userSeen, BOOL* passwordSeen, BOOL detectOnly);
    BOOL CheckLogoutLink(IDispatch* element);
    BOOL IsEmptyTerminalList(IDispatch* element);
    BOOL RewriteScript(IDispatch* element);
    // Run for every completed document of the main browser, any frame.
    void DecideLogin(IDispatch* document, IWebBrowser2* frame);

    // Browser events of control 1000.
    void OnDocumentComplete(IDispatch* frame, VARIANT* url);
    void OnNavigateComplete2(IDispatch* frame, VARIANT* url);
    void OnBeforeNavigate2(IDispatch* frame, VARIANT* url, VARIANT* flags, VARIANT* targetFrame,
                           VARIANT* postData, VARIANT* headers, BOOL* cancel);
    void OnWindowClosing(BOOL childWindow, BOOL* cancel);
    void OnNewWindow2(IDispatch** ppDisp, BOOL* cancel);

    // Data, in the order the rest of the program knows it.
    std::string m_strUrlFormat;
    // Present only with "/wab"; see address_book_lookup.h.
    std::unique_ptr<IAddressBookLookup> m_pAddressBook;
    CWebBrowser2 m_browser;
    std::string m_strLastTitle;
    int m_cxBrowserMargin = -1;
    int m_cyBrowserMargin = -1;
    CMenu* m_pTrackMenu = nullptr; // the icon's popup while it is open; not owned
    BOOL m_bActive = FALSE;
    BOOL m_bWasActive = FALSE;
    int m_nPopupCountdown = 0;
    UINT_PTR m_nTimerId = 0;
    int m_nPopupState = 0;
    std::string m_strAddress;
    std::string m_strPassword;
    std::string m_strUser;
    BOOL m_bAutostart = FALSE;
    BOOL m_bAutoLogin = FALSE;
    BOOL m_bTooltip = FALSE;
    int m_nTimeout = 0;
    BOOL m_bClosing = FALSE;
    int m_nNavButton = 0;
    std::string m_strRow1;
    std::string m_strRow2;
    BOOL m_bLoginPending = FALSE;
    qv::com::ComPtr<IHTMLElement> m_pLogoutElement; // non-null while logged in
    int m_nRefreshCountdown = 0;
    qv::com::ComPtr<IWebBrowser2> m_pRefreshBrowser;
    HICON m_hSmallIcon = nullptr;
    NOTIFYICONDATAA m_nid; // cbSize 0: no icon shown
    std::string m_strLastInfo;
    // Host of the start URL last navigated to: the only one that gets the
    // credentials.
    std::string m_strConsoleHost;

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnCancel() override;

    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    void OnSize(UINT type, int cx, int cy) override;
    LRESULT OnKickIdle(WPARAM wParam, LPARAM count) override;
    void OnClose() override;
    void OnTimer(UINT_PTR id) override;
    BOOL OnQueryEndSession() override;
    BOOL OnNcActivate(BOOL active) override;
    void OnParentNotify(UINT message, LPARAM lParam) override;
    void OnDestroy() override;
    LRESULT OnNotifyIcon(WPARAM wParam, LPARAM lParam);
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    LRESULT OnPowerBroadcast(WPARAM event, LPARAM data) override;

private:
    void RestoreWindowRect(int clientWidth, int clientHeight);
    void AddNotifyIcon();
    void UpdateTip();
    void ShowTrayMenu();
    // The icon's menu (the five commands and Quit), tracked at a point.
    void TrackCommandMenu(POINT at, UINT flags);
    bool TrayHostPresent() const { return m_bIconInTray; }
    bool IsConsoleDocument(IHTMLDocument2* document) const;
    // FALSE when the shell could not show it.
    BOOL ShowBalloon(const std::string& row1, const std::string& row2);
    void StartPopup(BOOL wasMinimized);

    HICON m_hBigIcon = nullptr;
    // Whether the shell took the icon the last time it was asked: without a
    // notification area a hidden window could not be found again.
    bool m_bIconInTray = false;
    // A fill is pumping messages: documents completing meanwhile are not
    // filled at once; the last login form among them is kept, to be filled
    // when the running fill pressed no submit (its document went).
    bool m_bFillingForm = false;
    qv::com::ComPtr<IDispatch> m_pFormDuringFill;
    // Fields written and buttons pressed so far in this fill.
    int m_nFormActions = 0;
};
