#include "platform/module/menu.h"

#include "platform/module/byte_reader.h"
#include "platform/module/res_image.h"
#include "platform/module/resources.h"
#include "platform/text.h"

#include <cstring>
#include <memory>

namespace {

using qv::platform::ByteReader;

// Pointer-only templates outside any known resource are read at most this far.
constexpr std::size_t kUntrustedTemplateLimit = 1 << 20;

constexpr WORD kTemplateFlagsMask = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP |
                                    MF_MENUBARBREAK | MF_MENUBREAK | MF_OWNERDRAW | MF_SEPARATOR |
                                    MF_HELP;

// MENUEX item fields.
constexpr DWORD kMftSeparator = 0x0800;
constexpr DWORD kMftTypeMask =
    MF_MENUBARBREAK | MF_MENUBREAK | MF_OWNERDRAW | MFT_RADIOCHECK | MF_SEPARATOR | MF_HELP;
constexpr DWORD kMfsGrayed = 0x0003;
constexpr DWORD kMfsChecked = 0x0008;
constexpr DWORD kMfsDefault = 0x1000;
constexpr WORD kExPopup = 0x01;
constexpr WORD kExLast = 0x80;

using MenuPtr = std::unique_ptr<HMENU__>;

// Items of one level of a MENU template, until the item marked MF_END.
bool ReadStandardLevel(ByteReader& in, HMENU__& menu, int depth) {
    if (depth > qv::platform::kMaxMenuDepth)
        return false;
    for (;;) {
        const WORD option = in.u16();
        MenuItem item;
        if (!(option & MF_POPUP))
            item.id = in.u16();
        item.text = in.wideString();
        if (!in.ok())
            return false;
        item.flags = option & kTemplateFlagsMask;
        // The resource compiler writes MENUITEM SEPARATOR as an empty item.
        if (!(option & MF_POPUP) && item.id == 0 && item.text.empty())
            item.flags |= MF_SEPARATOR;
        if (option & MF_POPUP) {
            MenuPtr popup(new HMENU__);
            if (!ReadStandardLevel(in, *popup, depth + 1))
                return false;
            item.popup = popup.release();
        }
        menu.items.push_back(std::move(item));
        if (option & MF_END)
            return true;
    }
}

bool ReadExLevel(ByteReader& in, HMENU__& menu, int depth) {
    if (depth > qv::platform::kMaxMenuDepth)
        return false;
    for (;;) {
        in.alignDword();
        const DWORD type = in.u32();
        const DWORD state = in.u32();
        const DWORD id = in.u32();
        const WORD resInfo = in.u16();
        MenuItem item;
        item.text = in.wideString();
        if (!in.ok())
            return false;
        item.id = id;
        item.flags = type & kMftTypeMask;
        if (type & kMftSeparator)
            item.flags |= MF_SEPARATOR;
        if (state & kMfsGrayed)
            item.flags |= MF_GRAYED;
        if (state & kMfsChecked)
            item.flags |= MF_CHECKED;
        if (state & kMfsDefault)
            item.flags |= MF_DEFAULT;
        if (resInfo & kExPopup) {
            in.alignDword();
            item.helpId = in.u32();
            item.flags |= MF_POPUP;
            MenuPtr popup(new HMENU__);
            if (!in.ok() || !ReadExLevel(in, *popup, depth + 1))
                return false;
            item.popup = popup.release();
        }
        menu.items.push_back(std::move(item));
        if (resInfo & kExLast)
            return true;
    }
}

// The item at a position, or the first item with the command id (sub-menus
// searched too); its menu and index come back through the out parameters.
MenuItem* FindItem(HMENU menu, UINT item, UINT flags, HMENU* owner = nullptr,
                   std::size_t* index = nullptr, int depth = 0) {
    if (!menu || depth > qv::platform::kMaxMenuDepth)
        return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= menu->items.size())
            return nullptr;
        if (owner)
            *owner = menu;
        if (index)
            *index = item;
        return &menu->items[item];
    }
    for (std::size_t i = 0; i < menu->items.size(); ++i) {
        auto& candidate = menu->items[i];
        if (candidate.popup) {
            if (auto* found = FindItem(candidate.popup, item, flags, owner, index, depth + 1))
                return found;
        } else if (candidate.id == item && !(candidate.flags & MF_SEPARATOR)) {
            if (owner)
                *owner = menu;
            if (index)
                *index = i;
            return &candidate;
        }
    }
    return nullptr;
}

MenuItem MakeItem(UINT flags, UINT_PTR idNewItem, LPCSTR text) {
    MenuItem item;
    item.flags = flags & ~(MF_BYPOSITION | MF_END);
    if (flags & MF_POPUP)
        item.popup = reinterpret_cast<HMENU>(idNewItem);
    else
        item.id = static_cast<UINT>(idNewItem);
    if (!(flags & MF_SEPARATOR) && text)
        item.text = qv::text::SanitizeUtf8(text);
    return item;
}

} // namespace

HMENU__::~HMENU__() {
    for (auto& item : items)
        delete item.popup;
}

HMENU CreateMenu() {
    return new HMENU__;
}

HMENU CreatePopupMenu() {
    return new HMENU__;
}

BOOL DestroyMenu(HMENU menu) {
    if (!menu)
        return FALSE;
    delete menu;
    return TRUE;
}

namespace qv::platform {

HMENU LoadMenuFromTemplate(const BYTE* data, std::size_t size) {
    if (!data)
        return nullptr;
    ByteReader in({data, size});
    const WORD version = in.u16();
    const WORD offset = in.u16();
    if (!in.ok() || (version != 0 && version != 1))
        return nullptr;
    // Both headers count the offset from the end of the offset field.
    if (!in.skip(offset))
        return nullptr;
    MenuPtr menu(new HMENU__);
    const bool ok = version == 0 ? ReadStandardLevel(in, *menu, 0) : ReadExLevel(in, *menu, 0);
    return ok ? menu.release() : nullptr;
}

} // namespace qv::platform

HMENU LoadMenuIndirectA(const void* menuTemplate) {
    if (!menuTemplate)
        return nullptr;
    const auto* start = static_cast<const BYTE*>(menuTemplate);
    std::size_t limit = kUntrustedTemplateLimit;
    if (HINSTANCE module = AfxGetResourceHandle(); module && module->resources) {
        if (const auto* entry = module->resources->EntryContaining(start))
            limit = static_cast<std::size_t>(entry->data.data() + entry->data.size() - start);
    }
    return qv::platform::LoadMenuFromTemplate(start, limit);
}

HMENU GetSubMenu(HMENU menu, int position) {
    if (!menu || position < 0 || std::size_t(position) >= menu->items.size())
        return nullptr;
    return menu->items[position].popup;
}

int GetMenuItemCount(HMENU menu) {
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    if (!menu || position < 0 || std::size_t(position) >= menu->items.size())
        return 0xFFFFFFFF;
    const auto& item = menu->items[position];
    return item.popup ? 0xFFFFFFFF : item.id;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text) {
    if (!menu || ((flags & MF_POPUP) && !idNewItem))
        return FALSE;
    HMENU owner = menu;
    std::size_t index = menu->items.size();
    if (flags & MF_BYPOSITION) {
        // Out of range (0xFFFFFFFF included) appends, as on the platform.
        if (position < menu->items.size())
            index = position;
    } else if (!FindItem(menu, position, MF_BYCOMMAND, &owner, &index)) {
        return FALSE;
    }
    owner->items.insert(owner->items.begin() + static_cast<std::ptrdiff_t>(index),
                        MakeItem(flags, idNewItem, text));
    return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text) {
    if (!menu || ((flags & MF_POPUP) && !idNewItem))
        return FALSE;
    menu->items.push_back(MakeItem(flags, idNewItem, text));
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    HMENU owner = nullptr;
    std::size_t index = 0;
    if (!FindItem(menu, position, flags, &owner, &index))
        return FALSE;
    delete owner->items[index].popup;
    owner->items.erase(owner->items.begin() + static_cast<std::ptrdiff_t>(index));
    return TRUE;
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    MenuItem* found = FindItem(menu, item, enable);
    if (!found)
        return 0xFFFFFFFF;
    const UINT previous = found->flags & (MF_GRAYED | MF_DISABLED);
    found->flags =
        (found->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    const MenuItem* found = FindItem(menu, item, flags);
    if (!found)
        return 0xFFFFFFFF;
    if (found->popup)
        return (found->flags & 0xFF) | (UINT(found->popup->items.size() & 0xFF) << 8);
    return found->flags;
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags) {
    const MenuItem* found = FindItem(menu, item, flags);
    if (!found)
        return 0;
    if (!buffer || size <= 0)
        return static_cast<int>(found->text.size());
    const auto cut = qv::text::CutUtf8(found->text, std::size_t(size) - 1);
    std::memcpy(buffer, cut.data(), cut.size());
    buffer[cut.size()] = '\0';
    return static_cast<int>(cut.size());
}
