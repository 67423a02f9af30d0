// CMenu: wraps an HMENU. A menu it created, loaded or attached is destroyed
// with it; wrappers handed out for sub-menus and by FromHandle never own.
#pragma once

#include "platform/module/menu.h"
#include "platform/ui/winuser.h"

#include <map>
#include <memory>
#include <string>

class CWnd;

class CMenu {
public:
    CMenu() = default;
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    // A temporary wrapper that lives until the next idle moment.
    static CMenu* FromHandle(HMENU menu);

    operator HMENU() const { return m_hMenu; }
    BOOL Attach(HMENU menu);
    HMENU Detach();
    // Points this wrapper at a menu it does not own.
    void Wrap(HMENU menu);

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL LoadMenuIndirect(const void* menuTemplate);
    BOOL DestroyMenu();

    // A wrapper kept by this object for as long as it lives.
    CMenu* GetSubMenu(int position) const;
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuString(UINT item, std::string& text, UINT flags) const;

    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
    BOOL DeleteMenu(UINT position, UINT flags);
    UINT EnableMenuItem(UINT item, UINT enable);
    // Returns once the menu has closed; the choice arrives as WM_COMMAND.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr);

private:
    void ForgetSubMenus();

    bool m_bOwns = false;
    mutable std::map<HMENU, std::unique_ptr<CMenu>> m_subMenus;
};
