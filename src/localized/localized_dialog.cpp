#include "localized/localized_dialog.h"

#include "localized/localized_resources.h"
#include "rc/resource.h"

namespace {

// Standard buttons IDOK..IDHELP and their caption strings.
constexpr struct {
    int control;
    UINT string;
} kStandardButtons[] = {
    {IDOK, IDS_OK},       {IDCANCEL, IDS_CANCEL}, {IDABORT, IDS_ABORT},
    {IDRETRY, IDS_RETRY}, {IDIGNORE, IDS_IGNORE}, {IDYES, IDS_YES},
    {IDNO, IDS_NO},       {IDCLOSE, IDS_CLOSE},   {IDHELP, IDS_HELP},
};

BOOL AddToolForControl(HWND hwnd, LPARAM context) {
    auto* dialog = reinterpret_cast<CLocalizedDialog*>(context);
    if (!hwnd || !dialog)
        return TRUE;
    const int id = ::GetDlgCtrlID(hwnd);
    if (id == 0 || CLocalizedDialog::IsTipless(id) || !HasString(static_cast<UINT>(id)))
        return TRUE;
    dialog->m_toolTip.AddTool(CWnd::FromHandle(hwnd), LoadLocalizedString(static_cast<UINT>(id)));
    return TRUE;
}

} // namespace

CLocalizedDialog::CLocalizedDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

CLocalizedDialog::~CLocalizedDialog() = default;

bool CLocalizedDialog::IsTipless(int id) {
    // The timeout's up-down control, the secondary browser and the info
    // dialog's product line carry the numbers of the address-book messages
    // and of "Logged in".
    return id == IDC_TIMEOUT_SPIN || id == IDC_POPUP_EXPLORER || id == IDC_PRODUCT;
}

INT_PTR CLocalizedDialog::DoModal() {
    if (m_lpszTemplateName && !m_hDialogTemplate) {
        DWORD size = 0;
        HGLOBAL dialog =
            FindLocalizedResource(m_lpszTemplateName, MAKEINTRESOURCEA(RT_DIALOG_ID), &size);
        if (dialog) {
            // The init data goes by the template's name, which is cleared below.
            DWORD initSize = 0;
            if (HGLOBAL init = FindLocalizedResource(m_lpszTemplateName,
                                                     MAKEINTRESOURCEA(RT_DLGINIT_ID), &initSize)) {
                m_lpDialogInit = init;
                m_nDialogInitSize = initSize;
            }
            m_hDialogTemplate = dialog;
            m_nDialogTemplateSize = size;
            m_lpszTemplateName = nullptr;
        }
    }
    return CDialog::DoModal();
}

BOOL CLocalizedDialog::OnInitDialog() {
    const BOOL result = CDialog::OnInitDialog();
    for (const auto& button : kStandardButtons) {
        if (HWND control = ::GetDlgItem(m_hWnd, button.control))
            ::SetWindowTextA(control, LoadLocalizedString(button.string).c_str());
    }
    m_toolTip.Create(this);
    m_toolTip.SetMaxTipWidth(kMaxTipWidth);
    ::EnumChildWindows(m_hWnd, AddToolForControl, reinterpret_cast<LPARAM>(this));
    return result;
}

BOOL CLocalizedDialog::PreTranslateMessage(MSG* msg) {
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(msg);
    return CDialog::PreTranslateMessage(msg);
}
