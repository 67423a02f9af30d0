// Menus as data: built by code or from menu templates, shown by a backend.
#pragma once

#include "platform/types.h"

#include <memory>
#include <string>
#include <vector>

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_MENUBARBREAK = 0x0020;
inline constexpr UINT MF_MENUBREAK = 0x0040;
inline constexpr UINT MF_OWNERDRAW = 0x0100;
inline constexpr UINT MFT_RADIOCHECK = 0x0200;
inline constexpr UINT MF_DEFAULT = 0x1000; // from MENUEX state MFS_DEFAULT
inline constexpr UINT MF_HELP = 0x4000;    // right-justified (MFT_RIGHTJUSTIFY)
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_END = 0x0080; // template flag: last item of its level

struct MenuItem {
    UINT id = 0;           // command id; 0 for separators and popups (MENUEX may give one)
    UINT flags = 0;        // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP ...
    std::string text;      // UTF-8, with '&' mnemonics
    HMENU popup = nullptr; // owned by this item when MF_POPUP
    DWORD helpId = 0;      // MENUEX popups only
};

struct HMENU__ {
    std::vector<MenuItem> items;
    HMENU__() = default;
    HMENU__(const HMENU__&) = delete;
    HMENU__& operator=(const HMENU__&) = delete;
    ~HMENU__();
};

HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);
// Builds a menu from a MENU or MENUEX template as a .res holds it. When the
// template lies in the resource handle's image, reads stay inside that
// resource; otherwise the caller vouches for it, as on the platform.
HMENU LoadMenuIndirectA(const void* menuTemplate);
namespace qv::platform {
// Popups nest at most this deep in a template.
inline constexpr int kMaxMenuDepth = 32;
// Bounded form for outside data: null when the template is malformed.
HMENU LoadMenuFromTemplate(const BYTE* data, std::size_t size);
} // namespace qv::platform
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position); // 0xFFFFFFFF for a popup
// position is a command id (MF_BYCOMMAND, searched in sub-menus too) or an index.
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
// Returns the previous state (MF_GRAYED | MF_DISABLED bits) or 0xFFFFFFFF.
// By command the item is searched in sub-menus too.
UINT EnableMenuItem(HMENU menu, UINT item, UINT enable);
// The item's flags; for a popup the high byte holds its item count.
// 0xFFFFFFFF when there is no such item.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
// Copies the text (cut to size-1 bytes on a character boundary) and returns
// the bytes copied; with a null buffer or size 0, the text's length.
int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags);
