// Tooltip tools per control.
#include "backend/sim/sim_platform.h"
#include "framework/afxwin.h"
#include "test_templates.h"

#include <gtest/gtest.h>

namespace {

class TipDialog : public CDialog {
public:
    TipDialog() {
        auto dialog = qv::test::Dialog();
        dialog.controls.push_back(qv::test::Control("Edit", 1002));
        dialog.controls.push_back(qv::test::Control("Static", 0));
        dialog.controls.push_back(qv::test::Control("Button", 1004));
        SetTemplate(dialog);
    }
    CToolTipCtrl m_toolTip;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_toolTip.Create(this);
        m_toolTip.SetMaxTipWidth(256);
        EnumChildWindows(m_hWnd, &TipDialog::AddTip, reinterpret_cast<LPARAM>(this));
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        m_toolTip.RelayEvent(msg);
        return CDialog::PreTranslateMessage(msg);
    }

private:
    static BOOL AddTip(HWND hwnd, LPARAM param) {
        auto* self = reinterpret_cast<TipDialog*>(param);
        const int id = ::GetDlgCtrlID(hwnd);
        if (id != 0)
            self->m_toolTip.AddTool(CWnd::FromHandle(hwnd), "tip " + std::to_string(id));
        return TRUE;
    }
};

TEST(ToolTipTest, OneToolPerControlWithAnIdIdentifiedByItsWindow) {
    qv::sim::SimPlatform sim;
    CWinApp app{"Test"};
    TipDialog dialog;
    sim.Clock().After(10, [&] {
        HWND tip = dialog.m_toolTip.m_hWnd;
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(sim.Windows().Window(tip)->toolTip.MaxTipWidth(), 256);
        const auto& tools = sim.Windows().Tools(tip);
        ASSERT_EQ(tools.size(), 2u);
        EXPECT_EQ(dialog.m_toolTip.GetToolCount(), 2);
        EXPECT_EQ(tools[0].owner, dialog.m_hWnd);
        EXPECT_EQ(tools[0].id, reinterpret_cast<UINT_PTR>(::GetDlgItem(dialog.m_hWnd, 1002)));
        EXPECT_EQ(tools[0].flags & TTF_IDISHWND, TTF_IDISHWND);
        EXPECT_EQ(tools[0].text, "tip 1002"); // a copy: the caller's string is gone
        EXPECT_EQ(tools[1].text, "tip 1004");
        // Messages for the dialog's controls pass through its pre-translation.
        ::PostMessageA(::GetDlgItem(dialog.m_hWnd, 1002), WM_MOUSEMOVE, 0, 0);
    });
    sim.Clock().After(20, [&] {
        EXPECT_EQ(sim.Windows().Window(dialog.m_toolTip.m_hWnd)->toolTip.Relayed(), 1);
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
    // The tooltip window went with the dialog.
    EXPECT_EQ(dialog.m_toolTip.m_hWnd, nullptr);
}

} // namespace
