#include "dialogs/config_dlg.h"

#include "framework/data_exchange.h"
#include "rc/resource.h"

CConfigDlg::CConfigDlg(CWnd* parent) : CLocalizedDialog(IDD_CONFIG_DIALOG, parent) {}

CConfigDlg::~CConfigDlg() = default;

void CConfigDlg::DoDataExchange(CDataExchange* dx) {
    CLocalizedDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_TIMEOUT_SPIN, m_spinTimeout);
    DDX_Text(dx, IDC_PASSWORD, m_strPassword);
    DDX_Text(dx, IDC_USER, m_strUser);
    DDX_Check(dx, IDC_AUTOSTART, m_bAutostart);
    DDX_Check(dx, IDC_AUTOLOGIN, m_bAutoLogin);
    DDX_Check(dx, IDC_CALL_TOOLTIP, m_bTooltip);
    DDX_Text(dx, IDC_TIMEOUT, m_nTimeout);
    DDV_MinMaxInt(dx, m_nTimeout, kMinTimeout, kMaxTimeout);
    DDX_Text(dx, IDC_ADDRESS, m_strAddress);
}

BOOL CConfigDlg::OnInitDialog() {
    CLocalizedDialog::OnInitDialog();
    if (m_spinTimeout.m_hWnd)
        m_spinTimeout.SetRange(kMinTimeout, kMaxTimeout);
    if (m_bDisableTooltip) {
        if (CWnd* box = GetDlgItem(IDC_CALL_TOOLTIP))
            box->EnableWindow(FALSE);
    }
    if (m_bDisableAddress) {
        if (CWnd* edit = GetDlgItem(IDC_ADDRESS))
            edit->EnableWindow(FALSE);
    }
    return TRUE;
}
