// The base of every dialog of the program: the template in the user's
// language, localised captions on the standard buttons, and a tooltip for
// each control whose id has a text in the string table.
#pragma once

#include "framework/dialog.h"
#include "framework/tool_tip_ctrl.h"

class CLocalizedDialog : public CDialog {
public:
    explicit CLocalizedDialog(UINT templateId, CWnd* parent = nullptr);
    ~CLocalizedDialog() override;

    BOOL PreTranslateMessage(MSG* msg) override;
    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;

    CToolTipCtrl m_toolTip;

    // Longer tips wrap at this width (pixels).
    static constexpr int kMaxTipWidth = 256;
    // Control ids whose string is a message, not a tip: they share the
    // number space with the tooltip texts but must not show up as tips.
    static bool IsTipless(int id);
};
