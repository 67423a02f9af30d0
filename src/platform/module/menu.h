// Menus as data: built by code or from menu templates, shown by a backend.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_END = 0x0080; // template flag: last item of its level

struct MenuItem {
    UINT id = 0;          // command id; 0 for separators and popups
    UINT flags = 0;       // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP
    std::string text;     // UTF-8, with '&' mnemonics
    HMENU popup = nullptr; // owned by this item when MF_POPUP
};

struct HMENU__ {
    std::vector<MenuItem> items;
    ~HMENU__();
};

HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);
// Builds a menu from a MENU or MENUEX template as a .res holds it.
HMENU LoadMenuIndirectA(const void* menuTemplate);
namespace qv::platform {
// Bounded form for outside data: null when the template is malformed.
HMENU LoadMenuFromTemplate(const BYTE* data, std::size_t size);
}
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position); // 0xFFFFFFFF for a popup
// position is a command id (MF_BYCOMMAND, searched in sub-menus too) or an index.
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
// Returns the previous state (MF_GRAYED | MF_DISABLED bits) or 0xFFFFFFFF.
UINT EnableMenuItem(HMENU menu, UINT item, UINT enable);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags);
