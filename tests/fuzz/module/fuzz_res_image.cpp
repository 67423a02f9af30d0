// A .res image, and every look-up the program makes on whatever it holds.
#include "../fuzz.h"
#include "platform/module/dialog_template.h"
#include "platform/module/icon.h"
#include "platform/module/menu.h"
#include "platform/module/res_image.h"
#include "platform/module/resources.h"

namespace {

BOOL Count(HMODULE, LPCSTR, LPCSTR, WORD, LONG_PTR param) {
    ++*reinterpret_cast<int*>(param);
    return TRUE;
}

void Exercise(HMODULE module, const HRSRC__& entry) {
    const auto& data = entry.data;
    if (!entry.type.isOrdinal)
        return;
    const LPCSTR type = MAKEINTRESOURCEA(entry.type.ordinal);
    const LPCSTR name =
        entry.name.isOrdinal ? MAKEINTRESOURCEA(entry.name.ordinal) : entry.name.text.c_str();
    int languages = 0;
    EnumResourceLanguagesA(module, type, name, Count, reinterpret_cast<LONG_PTR>(&languages));
    HRSRC found = FindResourceExA(module, type, name, entry.language);
    // Every ordinal-named entry is reachable in its own language.
    qv::fuzz::Require(!entry.name.isOrdinal || (found && languages > 0));

    switch (entry.type.ordinal) {
    case RT_STRING_ID:
        for (UINT i = 0; i < 16; ++i)
            qv::platform::StringFromBlock(data, i);
        if (entry.name.isOrdinal && entry.name.ordinal > 0) {
            char buffer[8];
            const UINT first = (entry.name.ordinal - 1u) * 16;
            for (UINT id = first; id < first + 16; ++id)
                LoadStringA(module, id, buffer, sizeof buffer);
        }
        break;
    case RT_MENU_ID:
        // The pointer-only call must stay inside the resource by itself.
        DestroyMenu(LoadMenuIndirectA(data.data()));
        break;
    case RT_DIALOG_ID:
        qv::platform::ParseDialogTemplate(data.data(), data.size());
        break;
    case RT_DLGINIT_ID:
        qv::platform::ParseDlgInit(data.data(), data.size());
        break;
    case RT_GROUP_ICON_ID: {
        const int id = qv::platform::LookupIconIdFromGroup(data.data(), data.size(), TRUE, 16, 16,
                                                           LR_DEFAULTCOLOR);
        HRSRC icon = FindResourceExA(module, MAKEINTRESOURCEA(RT_ICON_ID),
                                     MAKEINTRESOURCEA(static_cast<WORD>(id)), entry.language);
        if (icon) {
            const auto* bits = static_cast<const BYTE*>(LockResource(LoadResource(module, icon)));
            DestroyIcon(CreateIconFromResourceEx(bits, SizeofResource(module, icon), TRUE,
                                                 0x00030000, 16, 16, LR_DEFAULTCOLOR));
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto module =
        qv::platform::LoadResourceModule({reinterpret_cast<const std::byte*>(data), size});
    if (!module)
        return 0;
    HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(module.get());
    for (const auto& entry : module->resources->Entries())
        Exercise(module.get(), entry);
    AfxSetResourceHandle(previous);
    return 0;
}
