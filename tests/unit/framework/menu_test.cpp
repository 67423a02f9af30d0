// CMenu: bars, popup menus, the system menu and temporary wrappers.
#include "test_templates.h"

namespace {

using MenuTest = qv::test::FrameworkTest;

// The program's menus insert and grey items in a popup directly (checked
// with the icon's menu); here what only a bar does.
TEST_F(MenuTest, ABarGreysItsPopupsItemsByCommandAndKeepsOneWrapperEach) {
    CMenu bar, popup;
    ASSERT_TRUE(bar.CreateMenu());
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_STRING, 48, "&Login");
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.Detach()), "Popup");
    CMenu* sub = bar.GetSubMenu(0);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(bar.GetSubMenu(0), sub);
    bar.EnableMenuItem(48, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_TRUE(sub->GetMenuState(48, MF_BYCOMMAND) & MF_GRAYED);
    bar.EnableMenuItem(48, MF_BYCOMMAND | MF_ENABLED);
    EXPECT_FALSE(sub->GetMenuState(48, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MenuTest, ChosenCommandArrivesAsWmCommandAndGreyedOnesNever) {
    HWND owner = sim.Windows().CreateForeignWindow("owner");
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 48, "&Login");
    menu.AppendMenu(MF_STRING | MF_GRAYED, 64, "Log&out");

    std::vector<UINT> seen;
    sim.Windows().SetMenuChooser([&](HMENU shown) {
        EXPECT_EQ(shown, menu.m_hMenu);
        return seen.empty() ? 48u : 64u;
    });
    CWnd* wnd = CWnd::FromHandle(owner);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(menu.TrackPopupMenu(TPM_CENTERALIGN | TPM_LEFTBUTTON, 10, 20, wnd));
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_COMMAND)
                seen.push_back(LOWORD(msg.wParam));
        }
        if (seen.empty())
            seen.push_back(0);
    }
    EXPECT_EQ(seen, (std::vector<UINT>{48u}));
    EXPECT_EQ(sim.Log().Count("TrackPopupMenu("), 2u);
}

TEST_F(MenuTest, SystemMenuTakesExtraItemsAndLivesWithItsWindow) {
    CDialog dialog;
    dialog.SetTemplate(qv::test::Dialog());
    ASSERT_TRUE(dialog.Create(0u));
    CMenu* system = dialog.GetSystemMenu(FALSE);
    ASSERT_NE(system, nullptr);
    const int before = system->GetMenuItemCount();
    system->AppendMenu(MF_STRING, 32, "&Configuration...");
    EXPECT_EQ(dialog.GetSystemMenu(FALSE)->GetMenuItemID(before), 32u);
    // Reverting gives the standard menu back.
    dialog.GetSystemMenu(TRUE);
    EXPECT_EQ(dialog.GetSystemMenu(FALSE)->GetMenuItemCount(), before);
    dialog.DestroyWindow();
}

TEST_F(MenuTest, TemporaryWrappersGoAtIdleAndDoNotOwnTheirMenu) {
    HMENU raw = CreatePopupMenu();
    AppendMenuA(raw, MF_STRING, 1, "x");
    CMenu* temp = CMenu::FromHandle(raw);
    EXPECT_EQ(CMenu::FromHandle(raw), temp);
    AfxDeleteTempMaps();
    // The menu outlived its wrapper.
    EXPECT_EQ(GetMenuItemCount(raw), 1);
    EXPECT_TRUE(DestroyMenu(raw));
}

} // namespace
