#include "platform/module/menu.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using qv::test::FixtureModule;
using qv::test::ResBuilder;
using qv::test::ResourceData;

struct MenuDeleter {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using MenuPtr = std::unique_ptr<HMENU__, MenuDeleter>;

MenuPtr Load(std::span<const BYTE> data) {
    return MenuPtr(qv::platform::LoadMenuFromTemplate(data.data(), data.size()));
}

std::string MenuText(HMENU menu, UINT item, UINT flags) {
    char buffer[64];
    const int copied = GetMenuStringA(menu, item, buffer, sizeof buffer, flags);
    return std::string(buffer, copied);
}

// A MENUEX template: one popup with three items, then a plain item.
std::vector<BYTE> MenuExTemplate() {
    std::vector<BYTE> out;
    const auto item = [&](DWORD type, DWORD state, DWORD id, WORD resInfo, std::u16string text) {
        while (out.size() % 4)
            out.push_back(0);
        ResBuilder::Put32(out, type);
        ResBuilder::Put32(out, state);
        ResBuilder::Put32(out, id);
        ResBuilder::Put16(out, resInfo);
        ResBuilder::PutString(out, text);
    };
    ResBuilder::Put16(out, 1); // version
    ResBuilder::Put16(out, 4); // offset
    ResBuilder::Put32(out, 0); // help id
    item(0, 0, 300, 0x01, u"&Tools");
    while (out.size() % 4)
        out.push_back(0);
    ResBuilder::Put32(out, 77); // popup's help id
    item(0, 0x08, 301, 0, u"&Alpha");
    item(0x800, 0, 0, 0, u"");
    item(0x200, 0x03, 302, 0x80, u"&Beta");
    item(0, 0x1000, 303, 0x80, u"&Help");
    return out;
}

// A MENU template of popups nested depth levels deep around one item.
std::vector<BYTE> NestedTemplate(int depth) {
    std::vector<BYTE> out = {0, 0, 0, 0};
    for (int i = 0; i < depth; ++i) {
        ResBuilder::Put16(out, MF_POPUP | MF_END);
        ResBuilder::PutString(out, u"p");
    }
    ResBuilder::Put16(out, MF_END);
    ResBuilder::Put16(out, 5);
    ResBuilder::PutString(out, u"leaf");
    return out;
}

TEST(Menu, BuildsAMenuTemplateFromResources) {
    FixtureModule module;
    const auto data = ResourceData(module.get(), RT_MENU_ID, 119, 0);
    MenuPtr menu(LoadMenuIndirectA(data.data()));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu.get()), 2);
    EXPECT_EQ(GetMenuItemID(menu.get(), 0), 0xFFFFFFFFu);
    EXPECT_EQ(MenuText(menu.get(), 0, MF_BYPOSITION), "&File");
    EXPECT_EQ(GetMenuItemID(menu.get(), 1), 1u);
    EXPECT_EQ(MenuText(menu.get(), 1, MF_BYCOMMAND), "&Quit");

    HMENU file = GetSubMenu(menu.get(), 0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(GetMenuItemCount(file), 5);
    EXPECT_EQ(file->items[0].text, "&Open\tCtrl+O");
    EXPECT_EQ(file->items[0].id, 10u);
    EXPECT_EQ(file->items[1].flags, MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(menu.get(), 11, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(GetMenuState(menu.get(), 12, MF_BYCOMMAND), MF_CHECKED);
    // A popup's state carries its item count in the high byte.
    EXPECT_EQ(GetMenuState(file, 4, MF_BYPOSITION), MF_POPUP | (1u << 8));
    EXPECT_EQ(MenuText(menu.get(), 13, MF_BYCOMMAND), "Ünïcode");
    EXPECT_EQ(GetSubMenu(menu.get(), 1), nullptr);

    MenuPtr german(LoadMenuIndirectA(ResourceData(module.get(), RT_MENU_ID, 119, 0x0407).data()));
    ASSERT_NE(german, nullptr);
    EXPECT_EQ(MenuText(german.get(), 1, MF_BYCOMMAND), "&Beenden");
}

TEST(Menu, BuildsMenuExTemplates) {
    const auto data = MenuExTemplate();
    MenuPtr menu = Load(data);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu.get()), 2);
    const MenuItem& tools = menu->items[0];
    EXPECT_EQ(tools.text, "&Tools");
    EXPECT_EQ(tools.id, 300u);
    EXPECT_EQ(tools.helpId, 77u);
    ASSERT_NE(tools.popup, nullptr);
    ASSERT_EQ(tools.popup->items.size(), 3u);
    EXPECT_EQ(tools.popup->items[0].flags, MF_CHECKED);
    EXPECT_EQ(tools.popup->items[1].flags, MF_SEPARATOR);
    EXPECT_EQ(tools.popup->items[2].flags, MFT_RADIOCHECK | MF_GRAYED);
    EXPECT_EQ(menu->items[1].flags, MF_DEFAULT);
    EXPECT_EQ(menu->items[1].id, 303u);

    for (std::size_t size = 0; size < data.size(); ++size)
        EXPECT_EQ(Load(std::span(data).first(size)), nullptr) << size;
}

TEST(Menu, RefusesCutDeepOrUnknownTemplates) {
    FixtureModule module;
    const auto data = ResourceData(module.get(), RT_MENU_ID, 119, 0);
    for (std::size_t size = 0; size < data.size(); ++size)
        EXPECT_EQ(Load(data.first(size)), nullptr) << size;

    EXPECT_NE(Load(NestedTemplate(qv::platform::kMaxMenuDepth)), nullptr);
    EXPECT_EQ(Load(NestedTemplate(qv::platform::kMaxMenuDepth + 1)), nullptr);

    std::vector<BYTE> version2 = {2, 0, 0, 0, 0x80, 0, 1, 0, 'a', 0, 0, 0};
    EXPECT_EQ(Load(version2), nullptr);
    version2[0] = 0;
    EXPECT_NE(Load(version2), nullptr);
}

TEST(Menu, PointerOnlyLoadStaysInsideItsResource) {
    // A template without MF_END: the reader must stop at the resource's end
    // rather than run on into the next one.
    std::vector<BYTE> endless = {0, 0, 0, 0};
    ResBuilder::Put16(endless, 0);
    ResBuilder::Put16(endless, 9);
    ResBuilder::PutString(endless, u"x");
    ResBuilder res;
    res.Add(WORD(RT_MENU_ID), WORD(1), 0, endless);
    std::vector<BYTE> next = {0x80, 0, 2, 0, 'y', 0, 0, 0};
    res.Add(WORD(RT_MENU_ID), WORD(2), 0, next);
    auto module = qv::platform::LoadResourceModule(res.image());
    ASSERT_NE(module, nullptr);
    HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(module.get());
    EXPECT_EQ(LoadMenuIndirectA(ResourceData(module.get(), RT_MENU_ID, 1, 0).data()), nullptr);
    AfxSetResourceHandle(previous);
}

TEST(Menu, EditsByPositionAndByCommand) {
    MenuPtr menu(CreateMenu());
    HMENU popup = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuA(popup, MF_STRING, 10, "&Info..."));
    ASSERT_TRUE(AppendMenuA(popup, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(popup, MF_STRING, 30, "&Quit"));
    ASSERT_TRUE(AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&Menu"));
    EXPECT_FALSE(AppendMenuA(menu.get(), MF_POPUP, 0, "no popup"));

    // By command, the item goes before the command's item in its sub-menu.
    ASSERT_TRUE(InsertMenuA(menu.get(), 30, MF_BYCOMMAND | MF_STRING, 20, "&Login"));
    ASSERT_EQ(GetMenuItemCount(popup), 4);
    EXPECT_EQ(GetMenuItemID(popup, 2), 20u);
    EXPECT_FALSE(InsertMenuA(menu.get(), 99, MF_BYCOMMAND, 21, "missing"));
    ASSERT_TRUE(InsertMenuA(popup, 0, MF_BYPOSITION | MF_STRING, 5, "First"));
    ASSERT_TRUE(InsertMenuA(popup, 0xFFFFFFFF, MF_BYPOSITION | MF_STRING, 40, "Last"));
    EXPECT_EQ(GetMenuItemID(popup, 0), 5u);
    EXPECT_EQ(GetMenuItemID(popup, 5), 40u);

    EXPECT_EQ(EnableMenuItem(menu.get(), 20, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(EnableMenuItem(menu.get(), 20, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(GetMenuState(menu.get(), 20, MF_BYCOMMAND), MF_STRING);
    EXPECT_EQ(EnableMenuItem(menu.get(), 77, MF_BYCOMMAND | MF_GRAYED), 0xFFFFFFFFu);
    EXPECT_EQ(EnableMenuItem(popup, 1, MF_BYPOSITION | MF_DISABLED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(popup, 1, MF_BYPOSITION), MF_DISABLED);

    ASSERT_TRUE(DeleteMenu(menu.get(), 10, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(menu.get(), 10, MF_BYCOMMAND), 0xFFFFFFFFu);
    EXPECT_FALSE(DeleteMenu(menu.get(), 7, MF_BYPOSITION));
    ASSERT_TRUE(DeleteMenu(menu.get(), 0, MF_BYPOSITION)); // frees the popup too
    EXPECT_EQ(GetMenuItemCount(menu.get()), 0);
    EXPECT_EQ(GetMenuItemCount(nullptr), -1);
    EXPECT_FALSE(DestroyMenu(nullptr));
}

TEST(Menu, MenuStringsCutOnCharacterBoundaries) {
    MenuPtr menu(CreatePopupMenu());
    ASSERT_TRUE(AppendMenuA(menu.get(), MF_STRING, 1, "Sch&ließen"));
    char buffer[9];
    // "ß" would take bytes 8 and 9 of a 9-byte buffer that needs its terminator.
    EXPECT_EQ(GetMenuStringA(menu.get(), 1, buffer, 9, MF_BYCOMMAND), 7);
    EXPECT_STREQ(buffer, "Sch&lie");
    EXPECT_EQ(GetMenuStringA(menu.get(), 1, nullptr, 0, MF_BYCOMMAND), 11);
    EXPECT_EQ(GetMenuStringA(menu.get(), 2, buffer, 9, MF_BYCOMMAND), 0);
}

} // namespace
