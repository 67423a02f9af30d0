// MENU and MENUEX templates, then the calls a caller makes on the result.
#include "../fuzz.h"
#include "platform/module/menu.h"

namespace {

void Walk(HMENU menu, int depth) {
    qv::fuzz::Require(depth <= qv::platform::kMaxMenuDepth + 1);
    char text[6];
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (HMENU sub = GetSubMenu(menu, i))
            Walk(sub, depth + 1);
        else
            EnableMenuItem(menu, GetMenuItemID(menu, i), MF_BYCOMMAND | MF_GRAYED);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HMENU menu = qv::platform::LoadMenuFromTemplate(data, size);
    if (!menu)
        return 0;
    Walk(menu, 0);
    InsertMenuA(menu, 1, MF_BYCOMMAND | MF_STRING, 2, "x");
    DeleteMenu(menu, 1, MF_BYCOMMAND);
    DestroyMenu(menu);
    return 0;
}
