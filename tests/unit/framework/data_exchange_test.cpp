// Dialog data exchange and validation; values in and out of the program's own
// configuration dialog are checked with it.
#include "test_templates.h"

namespace {

constexpr int kUser = 1002;
constexpr int kTimeout = 1024;

class ConfigLikeDialog : public CDialog {
public:
    ConfigLikeDialog() {
        auto dialog = qv::test::Dialog("Config");
        dialog.controls.push_back(qv::test::Control("Edit", kUser, WS_TABSTOP));
        dialog.controls.push_back(qv::test::Control("Edit", kTimeout, WS_TABSTOP));
        dialog.controls.push_back(qv::test::Control("Button", IDOK, BS_DEFPUSHBUTTON, "OK"));
        SetTemplate(dialog);
    }
    std::string m_strUser = "alice";
    int m_nTimeout = 5;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, kUser, m_strUser);
        DDX_Text(dx, kTimeout, m_nTimeout);
        DDV_MinMaxInt(dx, m_nTimeout, 0, 120);
    }
};

class DataExchangeTest : public qv::test::FrameworkTest {
protected:
    HWND Item(CWnd& dialog, int id) { return ::GetDlgItem(dialog.m_hWnd, id); }
    void Type(CWnd& dialog, int id, const char* text) { ::SetWindowTextA(Item(dialog, id), text); }
    bool Selected(CWnd& dialog, int id) {
        const auto* edit = sim.Windows().Window(Item(dialog, id));
        return edit && edit->selStart == 0 && edit->selEnd == -1;
    }
    void PressOk(CWnd& dialog) {
        ::SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKELONG(IDOK, BN_CLICKED), 0);
    }
};

TEST_F(DataExchangeTest, OutOfRangeShowsTheRangeMessageAndKeepsTheDialogOpen) {
    ConfigLikeDialog dialog;
    sim.Clock().After(10, [&] {
        // The first field has the focus, its text selected: typing replaces it.
        EXPECT_EQ(GetFocus(), Item(dialog, kUser));
        EXPECT_TRUE(Selected(dialog, kUser));
        EXPECT_EQ(qv::platform::GetWindowTextString(Item(dialog, kTimeout)), "5");
        for (const char* text : {"121", "-1"}) {
            Type(dialog, kTimeout, text);
            PressOk(dialog);
            EXPECT_TRUE(IsWindow(dialog.m_hWnd));
            EXPECT_TRUE(dialog.ContinueModal());
            EXPECT_EQ(GetFocus(), Item(dialog, kTimeout));
            EXPECT_TRUE(Selected(dialog, kTimeout));
        }
        Type(dialog, kTimeout, " 120 ");
        PressOk(dialog);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ASSERT_EQ(sim.Windows().MessageBoxes().size(), 2u);
    for (const auto& box : sim.Windows().MessageBoxes()) {
        EXPECT_EQ(box.text, "Please enter an integer between 0 and 120.");
        EXPECT_EQ(box.caption, "Test"); // the application's name
        EXPECT_EQ(box.type & MB_ICONEXCLAMATION, MB_ICONEXCLAMATION);
    }
    EXPECT_EQ(dialog.m_nTimeout, 120);
}

TEST_F(DataExchangeTest, TextThatIsNoIntegerFailsBeforeTheRangeCheck) {
    for (const char* text : {"", "12a", "--3", "99999999999"}) {
        ConfigLikeDialog dialog;
        sim.Clock().After(10, [&] {
            Type(dialog, kUser, "carol");
            Type(dialog, kTimeout, text);
            PressOk(dialog);
            dialog.EndDialog(IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << text;
        ASSERT_FALSE(sim.Windows().MessageBoxes().empty());
        EXPECT_EQ(sim.Windows().MessageBoxes().back().text, "Please enter an integer.") << text;
        // Members before the failing field took their values; the timeout kept its own.
        EXPECT_EQ(dialog.m_strUser, "carol");
        EXPECT_EQ(dialog.m_nTimeout, 5);
    }
    EXPECT_EQ(sim.Windows().MessageBoxes().size(), 4u);
}

} // namespace
