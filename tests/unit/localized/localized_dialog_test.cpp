// The dialog base: template and captions in the user's language, tooltips
// from the string table.
#include "../mainwnd/system_fixture.h"

namespace {

using qv::systest::SystemTest;

class ConfigLikeDialog : public CLocalizedDialog {
public:
    ConfigLikeDialog() : CLocalizedDialog(IDD_CONFIG_DIALOG) {}
    std::string title, ok, cancel;
    std::vector<int> toolIds;
    std::string userTip;
    int maxTipWidth = 0;
    int toolCount = 0;
    int relayed = 0;
    qv::sim::SimWindowSystem* windows = nullptr;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CLocalizedDialog::OnInitDialog();
        GetWindowText(title);
        GetDlgItem(IDOK)->GetWindowText(ok);
        GetDlgItem(IDCANCEL)->GetWindowText(cancel);
        for (const auto& tool : windows->Tools(m_toolTip.m_hWnd)) {
            EXPECT_EQ(tool.flags & TTF_IDISHWND, TTF_IDISHWND);
            EXPECT_EQ(tool.owner, m_hWnd);
            toolIds.push_back(::GetDlgCtrlID(reinterpret_cast<HWND>(tool.id)));
            if (toolIds.back() == IDC_USER)
                userTip = tool.text;
        }
        maxTipWidth = windows->Window(m_toolTip.m_hWnd)->toolTip.MaxTipWidth();
        toolCount = m_toolTip.GetToolCount();
        // A control's messages pass through the dialog's pre-translation too.
        ::PostMessageA(::GetDlgItem(m_hWnd, IDC_USER), WM_MOUSEMOVE, 0, 0);
        PostMessage(WM_COMMAND, IDOK);
        return result;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        const BOOL result = CLocalizedDialog::PreTranslateMessage(msg);
        relayed = windows->Window(m_toolTip.m_hWnd)->toolTip.Relayed();
        return result;
    }
};

class LocalizedDialogTest : public SystemTest {
protected:
    CWinApp app{"Test"};
};

TEST_F(LocalizedDialogTest, GermanUserGetsTheGermanTemplateAndCaptions) {
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    ConfigLikeDialog dialog;
    dialog.windows = &sim.Windows();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.title, "Konfiguration");
    EXPECT_EQ(dialog.ok, "&OK");
    EXPECT_EQ(dialog.cancel, "&Abbrechen");
}

TEST_F(LocalizedDialogTest, ButtonCaptionsAndTooltipsComeFromTheStringTable) {
    ConfigLikeDialog dialog;
    dialog.windows = &sim.Windows();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    // The neutral template says "Abbrechen"; an English user reads the table.
    EXPECT_EQ(dialog.cancel, "C&ancel");
    EXPECT_EQ(dialog.maxTipWidth, CLocalizedDialog::kMaxTipWidth);
    // The tool keeps a copy of the text: the loaded string is gone.
    EXPECT_EQ(dialog.userTip, "Enter your PABX user name here.");
    // Not the up-down control 1025, whose number is a message's.
    EXPECT_EQ(dialog.toolIds, (std::vector<int>{IDC_ADDRESS, IDC_USER, IDC_PASSWORD, IDC_AUTOSTART,
                                                IDC_AUTOLOGIN, IDC_CALL_TOOLTIP, IDC_TIMEOUT}));
    EXPECT_EQ(dialog.toolCount, 7);
    EXPECT_EQ(dialog.relayed, 2);
    // The tooltip window went with the dialog.
    EXPECT_EQ(dialog.m_toolTip.m_hWnd, nullptr);
}

TEST_F(LocalizedDialogTest, MainWindowTemplateKeepsItsBrowserState) {
    // Neutral only; the browser's init data still reaches the control once
    // the template is located by language.
    CLocalizedDialog dialog(IDD_BROWSER_DIALOG);
    sim.Clock().After(10, [&] {
        auto* control = sim.Windows().Window(::GetDlgItem(dialog.m_hWnd, IDC_EXPLORER));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->initBytes, 160u);
        dialog.EndDialog(IDOK);
    });
    ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_lpszTemplateName, nullptr);
    EXPECT_NE(dialog.m_hDialogTemplate, nullptr);
}

} // namespace
