#include "localized/localized_resources.h"

#include "platform/module/langid.h"
#include "platform/module/resources.h"
#include "platform/text.h"

#include <optional>
#include <span>

namespace {

constexpr LANGID kNoLanguage = 0xFFFF;
constexpr WORD kPrimaryMask = 0x3FF;
constexpr DWORD kIconFormat = 0x00030000;
constexpr std::size_t kGroupHeader = 6;
constexpr std::size_t kGroupEntry = 14;

bool SamePrimary(LANGID a, LANGID b) {
    return ((a ^ b) & kPrimaryMask) == 0;
}

BOOL EnumLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
    ChooseLanguage(*reinterpret_cast<LanguageChoice*>(param), language);
    return TRUE; // always to the end: a later language may still be better
}

std::span<const BYTE> LockLocalized(WORD id, WORD type) {
    DWORD size = 0;
    HGLOBAL data = FindLocalizedResource(MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type), &size);
    if (!data)
        return {};
    const auto* bytes = static_cast<const BYTE*>(LockResource(data));
    return bytes ? std::span<const BYTE>(bytes, size) : std::span<const BYTE>{};
}

WORD ReadWord(const BYTE* p) {
    return WORD(p[0] | (p[1] << 8));
}
DWORD ReadDword(const BYTE* p) {
    return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
}

// The icon image chosen from group id by pick, or an empty span.
template <typename Pick> std::span<const BYTE> LockIconImage(UINT id, Pick pick) {
    const auto group = LockLocalized(WORD(id), RT_GROUP_ICON_ID);
    if (group.empty())
        return {};
    const WORD iconId = pick(group);
    if (iconId == 0)
        return {};
    return LockLocalized(iconId, RT_ICON_ID);
}

} // namespace

void ChooseLanguage(LanguageChoice& choice, LANGID language) {
    if (choice.state == 0) {
        if (language < choice.best)
            choice.best = language;
        if (SamePrimary(language, choice.wanted)) {
            choice.best = language;
            choice.state = 1;
        }
    }
    if (choice.state == 1) {
        if (SamePrimary(language, choice.wanted) && language < choice.best)
            choice.best = language;
        if (language == choice.wanted) {
            choice.best = language;
            choice.state = 2;
        }
    }
}

HGLOBAL FindLocalizedResource(LPCSTR name, LPCSTR type, DWORD* size) {
    HINSTANCE module = AfxGetResourceHandle();
    LanguageChoice choice;
    choice.wanted = GetUserDefaultLangID();
    const BOOL enumerated = EnumResourceLanguagesA(module, type, name, EnumLanguage,
                                                   reinterpret_cast<LONG_PTR>(&choice));
    // The neutral copy is reached by asking in the user's own language: the
    // platform falls back to it.
    LANGID language = choice.wanted;
    if (enumerated && choice.best != kNoLanguage && choice.best != LANG_NEUTRAL)
        language = choice.best;
    HRSRC resource = FindResourceExA(module, type, name, language);
    if (!resource)
        return nullptr;
    if (size)
        *size = SizeofResource(module, resource);
    return LoadResource(module, resource);
}

std::string LoadLocalizedString(UINT id) {
    const WORD block = WORD((id >> 4) + 1);
    const auto data = LockLocalized(block, RT_STRING_ID);
    if (data.empty())
        return {};
    const auto text = qv::platform::StringFromBlock(data, id & 15);
    return text ? qv::text::Utf16ToUtf8(*text) : std::string();
}

bool HasString(UINT id) {
    // Decided on the string's length: a two-byte buffer holds no character
    // of "Échéance..." in UTF-8, and the tooltip would vanish.
    HINSTANCE module = AfxGetResourceHandle();
    const WORD block = WORD((id >> 4) + 1);
    HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(RT_STRING_ID), MAKEINTRESOURCEA(block),
                                  GetUserDefaultLangID());
    if (!found)
        return false;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const auto text = qv::platform::StringFromBlock({data, SizeofResource(module, found)}, id & 15);
    return text && !text->empty();
}

HMENU LoadLocalizedMenu(UINT id) {
    const auto data = LockLocalized(WORD(id), RT_MENU_ID);
    if (data.empty())
        return nullptr;
    return qv::platform::LoadMenuFromTemplate(data.data(), data.size());
}

HICON LoadLocalizedIcon(UINT id) {
    const auto image = LockIconImage(id, [](std::span<const BYTE> group) {
        return LOWORD(qv::platform::LookupIconIdFromGroup(group.data(), group.size(), TRUE, 0, 0,
                                                          LR_DEFAULTCOLOR));
    });
    if (image.empty())
        return nullptr;
    return CreateIconFromResource(image.data(), DWORD(image.size()), TRUE, kIconFormat);
}

HICON LoadLocalizedIconEx(UINT id, int width, int height, int bits) {
    const auto image = LockIconImage(id, [&](std::span<const BYTE> group) {
        return PickIconFromDirectory(group.data(), group.size(), width, height, bits, nullptr);
    });
    if (image.empty())
        return nullptr;
    return CreateIconFromResourceEx(image.data(), DWORD(image.size()), TRUE, kIconFormat, width,
                                    height, LR_DEFAULTCOLOR);
}

WORD PickIconFromDirectory(const BYTE* directory, std::size_t directorySize, int width, int height,
                           int bits, DWORD* size) {
    if (!directory || directorySize < kGroupHeader)
        return 0;
    std::size_t count = ReadWord(directory + 4);
    const std::size_t room = (directorySize - kGroupHeader) / kGroupEntry;
    if (count > room)
        count = room;
    for (std::size_t i = 0; i < count; ++i) {
        const BYTE* entry = directory + kGroupHeader + i * kGroupEntry;
        // A width or height byte of 0 stands for 256 pixels.
        const int entryWidth = entry[0] ? entry[0] : 256;
        const int entryHeight = entry[1] ? entry[1] : 256;
        const int entryBits = ReadWord(entry + 6);
        if (entryWidth != width || entryHeight != height)
            continue;
        if (entryBits == bits || (entryBits >= 8 && bits >= 8)) {
            if (size)
                *size = ReadDword(entry + 8);
            return ReadWord(entry + 12);
        }
    }
    return LOWORD(qv::platform::LookupIconIdFromGroup(directory, directorySize, TRUE, width, height,
                                                      LR_DEFAULTCOLOR));
}
