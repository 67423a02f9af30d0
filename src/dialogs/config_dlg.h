// The configuration dialog: PABX address, credentials and the options. It
// only moves values between its controls and its members; the main window
// fills it, and applies and stores what the user confirmed.
#pragma once

#include "framework/spin_button_ctrl.h"
#include "localized/localized_dialog.h"

#include <string>

class CConfigDlg : public CLocalizedDialog {
public:
    // No parent: the application's main window owns it.
    explicit CConfigDlg(CWnd* parent = nullptr);
    ~CConfigDlg() override;

    // Set by the caller before the dialog runs.
    BOOL m_bDisableAddress = FALSE;
    BOOL m_bDisableTooltip = FALSE;

    CSpinButtonCtrl m_spinTimeout;
    std::string m_strPassword;
    std::string m_strUser;
    BOOL m_bAutostart = FALSE;
    BOOL m_bAutoLogin = FALSE;
    BOOL m_bTooltip = FALSE;
    int m_nTimeout = 0; // seconds
    std::string m_strAddress;

    // The timeout the edit and the up-down control accept.
    static constexpr int kMinTimeout = 0;
    static constexpr int kMaxTimeout = 120;

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
