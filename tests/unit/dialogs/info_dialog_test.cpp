// The info dialog: the version block's lines in the template's patterns.
#include "../mainwnd/system_fixture.h"
#include "dialogs/info_dlg.h"

namespace {

using qv::systest::MainWindowTest;

struct InfoLines {
    std::string product, version, copyright;
    bool seen = false;
};

// Reads the lines of the info dialog once it is up, then presses OK.
void ReadAndClose(qv::sim::SimPlatform& sim, InfoLines& lines) {
    sim.Clock().After(10, [&sim, &lines] {
        for (HWND hwnd : sim.Windows().Tree().TopLevel()) {
            if (!::GetDlgItem(hwnd, IDC_COPYRIGHT) || !::IsWindowVisible(hwnd))
                continue;
            lines.product = qv::platform::GetWindowTextString(::GetDlgItem(hwnd, IDC_PRODUCT));
            lines.version = qv::platform::GetWindowTextString(::GetDlgItem(hwnd, IDC_VERSION));
            lines.copyright = qv::platform::GetWindowTextString(::GetDlgItem(hwnd, IDC_COPYRIGHT));
            lines.seen = true;
            ::PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
        }
    });
}

TEST_F(MainWindowTest, TheInfoCommandShowsNameVersionAndCopyright) {
    Configure();
    CBrowserDlg window;
    Open(window);
    InfoLines lines;
    ReadAndClose(sim, lines);
    EXPECT_TRUE(window.HandleCommand(IDM_INFO, 0));
    ASSERT_TRUE(lines.seen) << "no info dialog came up";
    EXPECT_EQ(lines.product, "Quorvia Browser");
    EXPECT_EQ(lines.version, "Version 1.4.2");
    // The static shows one "&": the control's text holds two.
    EXPECT_EQ(lines.copyright, "Copyright \xC2\xA9 2026 Belmar && Partners");
}

// Patterns are resource text; they are filled without printf.
class PatternInfoDlg : public CInfoDlg {
public:
    BOOL OnInitDialog() override {
        GetDlgItem(IDC_PRODUCT)->SetWindowText("&About %s");
        GetDlgItem(IDC_VERSION)->SetWindowText("Build %d of %s, 100%%");
        GetDlgItem(IDC_COPYRIGHT)->SetWindowText("no pattern & no holder");
        return CInfoDlg::OnInitDialog();
    }
};

TEST_F(MainWindowTest, InfoPatternsAreFilledWithoutPrintf) {
    PatternInfoDlg dialog;
    InfoLines lines;
    ReadAndClose(sim, lines);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ASSERT_TRUE(lines.seen);
    // A mnemonic in a name line stays one.
    EXPECT_EQ(lines.product, "&About Quorvia Browser");
    EXPECT_EQ(lines.version, "Build %d of 1.4.2, 100%");
    EXPECT_EQ(lines.copyright, "no pattern && no holder");
}

} // namespace
