#include "dialogs/info_dlg.h"

#include "localized/version_info.h"
#include "platform/text.h"
#include "rc/resource.h"

CInfoDlg::CInfoDlg(CWnd* parent) : CLocalizedDialog(IDD_INFO_DIALOG, parent) {}

CInfoDlg::~CInfoDlg() = default;

std::string CInfoDlg::EscapeAmpersands(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '&')
            escaped += '&';
        escaped += c;
    }
    return escaped;
}

BOOL CInfoDlg::OnInitDialog() {
    CLocalizedDialog::OnInitDialog();
    const struct {
        int id;
        const char* entry;
        bool literal; // the copyright holder's "&" is no mnemonic
    } lines[] = {{IDC_PRODUCT, "ProductName", false},
                 {IDC_VERSION, "ProductVersion", false},
                 {IDC_COPYRIGHT, "LegalCopyright", true}};
    for (const auto& line : lines) {
        CWnd* label = GetDlgItem(line.id);
        if (!label)
            continue;
        std::string pattern;
        label->GetWindowText(pattern);
        // The pattern is resource text: only "%s" and "%%" mean anything.
        std::string text = qv::text::FormatText(pattern, GetVersionInfoString(line.entry));
        label->SetWindowText(line.literal ? EscapeAmpersands(text) : text);
    }
    return TRUE;
}
