// CMenu over menus built from templates, and popup menus.
#include "test_templates.h"

namespace {

// A MENU template: a bar with one popup holding "&Quit" (IDOK).
std::vector<BYTE> QuitMenuTemplate() {
    std::vector<BYTE> bytes{0, 0, 0, 0}; // version, header size
    auto word = [&](WORD w) {
        bytes.push_back(BYTE(w & 0xFF));
        bytes.push_back(BYTE(w >> 8));
    };
    auto text = [&](const char* s) {
        for (; *s; ++s)
            word(WORD(*s));
        word(0);
    };
    word(WORD(MF_POPUP | MF_END));
    text("Popup");
    word(WORD(MF_END));
    word(WORD(IDOK));
    text("&Quit");
    return bytes;
}

using MenuTest = qv::test::FrameworkTest;

TEST_F(MenuTest, InsertsAroundATemplateItemAndEnablesByCommand) {
    const auto bytes = QuitMenuTemplate();
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenuIndirect(bytes.data()));
    CMenu* popup = menu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(menu.GetSubMenu(0), popup); // the same wrapper every time

    ASSERT_TRUE(popup->InsertMenu(0, MF_BYPOSITION | MF_STRING, 48, "&Login"));
    ASSERT_TRUE(popup->InsertMenu(1, MF_BYPOSITION | MF_STRING, 64, "Log&out"));
    ASSERT_TRUE(popup->InsertMenu(2, MF_BYPOSITION | MF_SEPARATOR));
    ASSERT_EQ(popup->GetMenuItemCount(), 4);
    EXPECT_EQ(popup->GetMenuItemID(0), 48u);
    EXPECT_EQ(popup->GetMenuItemID(3), UINT(IDOK));
    std::string text;
    popup->GetMenuString(3, text, MF_BYPOSITION);
    EXPECT_EQ(text, "&Quit");

    popup->EnableMenuItem(48, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_TRUE(popup->GetMenuState(48, MF_BYCOMMAND) & MF_GRAYED);
    // By command from the bar: found in its popup.
    menu.EnableMenuItem(48, MF_BYCOMMAND | MF_ENABLED);
    EXPECT_FALSE(popup->GetMenuState(48, MF_BYCOMMAND) & MF_GRAYED);
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
    system->AppendMenu(MF_SEPARATOR);
    system->AppendMenu(MF_STRING, 32, "&Configuration...");
    EXPECT_EQ(dialog.GetSystemMenu(FALSE)->GetMenuItemCount(), before + 2);
    EXPECT_EQ(dialog.GetSystemMenu(FALSE)->GetMenuItemID(before + 1), 32u);
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
