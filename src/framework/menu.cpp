#include "framework/menu.h"

#include "framework/afx_state.h"
#include "framework/wnd.h"

CMenu::~CMenu() {
    DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU menu) {
    if (!menu)
        return nullptr;
    auto& slot = qv::framework::State().tempMenus[menu];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->Wrap(menu);
    }
    return slot.get();
}

BOOL CMenu::Attach(HMENU menu) {
    if (!menu || m_hMenu)
        return FALSE;
    m_hMenu = menu;
    m_bOwns = true;
    return TRUE;
}

HMENU CMenu::Detach() {
    ForgetSubMenus();
    m_bOwns = false;
    return std::exchange(m_hMenu, nullptr);
}

void CMenu::Wrap(HMENU menu) {
    if (m_hMenu == menu)
        return;
    DestroyMenu();
    m_hMenu = menu;
    m_bOwns = false;
}

BOOL CMenu::CreateMenu() {
    return Attach(::CreateMenu());
}
BOOL CMenu::CreatePopupMenu() {
    return Attach(::CreatePopupMenu());
}
BOOL CMenu::LoadMenuIndirect(const void* menuTemplate) {
    return Attach(::LoadMenuIndirectA(menuTemplate));
}

BOOL CMenu::DestroyMenu() {
    ForgetSubMenus();
    HMENU menu = std::exchange(m_hMenu, nullptr);
    const bool owned = std::exchange(m_bOwns, false);
    if (!menu)
        return FALSE;
    if (!owned)
        return TRUE;
    // A temporary wrapper of this menu would now point at freed memory.
    qv::framework::State().tempMenus.erase(menu);
    return ::DestroyMenu(menu);
}

void CMenu::ForgetSubMenus() {
    m_subMenus.clear();
}

CMenu* CMenu::GetSubMenu(int position) const {
    HMENU sub = ::GetSubMenu(m_hMenu, position);
    if (!sub)
        return nullptr;
    auto& slot = m_subMenus[sub];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->Wrap(sub);
    }
    return slot.get();
}

int CMenu::GetMenuItemCount() const {
    return ::GetMenuItemCount(m_hMenu);
}
UINT CMenu::GetMenuItemID(int position) const {
    return ::GetMenuItemID(m_hMenu, position);
}
UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    return ::GetMenuState(m_hMenu, item, flags);
}

int CMenu::GetMenuString(UINT item, std::string& text, UINT flags) const {
    const int length = ::GetMenuStringA(m_hMenu, item, nullptr, 0, flags);
    if (length <= 0) {
        text.clear();
        return 0;
    }
    text.assign(std::size_t(length) + 1, '\0');
    const int copied = ::GetMenuStringA(m_hMenu, item, text.data(), length + 1, flags);
    text.resize(std::size_t(copied > 0 ? copied : 0));
    return copied;
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    return ::InsertMenuA(m_hMenu, position, flags, id, text);
}
BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) {
    return ::AppendMenuA(m_hMenu, flags, id, text);
}
BOOL CMenu::DeleteMenu(UINT position, UINT flags) {
    if (flags & MF_BYPOSITION)
        m_subMenus.erase(::GetSubMenu(m_hMenu, static_cast<int>(position)));
    return ::DeleteMenu(m_hMenu, position, flags);
}
UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    return ::EnableMenuItem(m_hMenu, item, enable);
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect) {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, rect);
}
