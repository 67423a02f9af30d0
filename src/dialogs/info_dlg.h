// The info dialog: product name, version and copyright from the program's
// own version block.
#pragma once

#include "localized/localized_dialog.h"

#include <string>

class CInfoDlg : public CLocalizedDialog {
public:
    explicit CInfoDlg(CWnd* parent = nullptr);
    ~CInfoDlg() override;

    BOOL OnInitDialog() override;

    // Doubles every "&" so a static shows it instead of taking it as the
    // mnemonic prefix.
    static std::string EscapeAmpersands(const std::string& text);
};
