#include "platform/module/resources.h"

#include "platform/module/langid.h"
#include "platform/module/lasterror.h"
#include "platform/module/res_image.h"
#include "platform/text.h"

#include <cstring>

namespace {

HINSTANCE g_resourceHandle = nullptr;

const qv::platform::ResourceImage* ImageOf(HMODULE module) {
    if (!module)
        module = g_resourceHandle;
    return module ? module->resources.get() : nullptr;
}

// Exact language, then the primary language's neutral and default
// sublanguages, then the neutral copy: the order the platform's loader
// tries, so a Swiss German user reads the German (Germany) strings.
const HRSRC__* FindWithFallback(const qv::platform::ResourceImage& image,
                                const qv::platform::ResourceName& type,
                                const qv::platform::ResourceName& name, LANGID language) {
    constexpr WORD kSublangDefault = 1;
    for (LANGID each : {language, LANGID(PRIMARYLANGID(language)),
                        MAKELANGID(PRIMARYLANGID(language), kSublangDefault)})
        if (const auto* found = image.Find(type, name, each))
            return found;
    return image.Find(type, name, LANG_NEUTRAL);
}

// Shared by FindResourceExA and LoadStringA; sets the last error on failure.
const HRSRC__* Locate(HMODULE module, const qv::platform::ResourceName& type,
                      const qv::platform::ResourceName& name, WORD language) {
    const auto* image = ImageOf(module);
    if (!image) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    const auto languages = image->Languages(type, name);
    if (languages.empty()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (const auto* found = FindWithFallback(*image, type, name, language))
        return found;
    if (language == LANG_NEUTRAL) {
        // A neutral request for a resource without a neutral copy: the
        // user's language as usual, else the lowest language present, as
        // the platform takes the first one of its directory.
        if (const auto* found = FindWithFallback(*image, type, name, GetUserDefaultLangID()))
            return found;
        return image->Find(type, name, languages.front());
    }
    SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
    return nullptr;
}

} // namespace

HINSTANCE AfxGetResourceHandle() {
    return g_resourceHandle;
}

void AfxSetResourceHandle(HINSTANCE module) {
    g_resourceHandle = module;
}

BOOL EnumResourceLanguagesA(HMODULE module, LPCSTR type, LPCSTR name, ENUMRESLANGPROCA proc,
                            LONG_PTR param) {
    const auto* image = ImageOf(module);
    auto typeName = qv::platform::ResourceName::FromWin32(type);
    auto resName = qv::platform::ResourceName::FromWin32(name);
    if (!image || !proc || !typeName || !resName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto languages = image->Languages(*typeName, *resName);
    if (languages.empty()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
    }
    for (LANGID language : languages) {
        if (!proc(module, type, name, language, param)) {
            SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
            return FALSE;
        }
    }
    return TRUE;
}

HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
    auto typeName = qv::platform::ResourceName::FromWin32(type);
    auto resName = qv::platform::ResourceName::FromWin32(name);
    if (!typeName || !resName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return const_cast<HRSRC>(Locate(module, *typeName, *resName, language));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    if (!resource) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // An empty resource still gets a handle: its data pointer may be null.
    static const BYTE kEmpty = 0;
    return resource->data.empty() ? &kEmpty : resource->data.data();
}

LPVOID LockResource(HGLOBAL data) {
    // Resource data is read-only; the Win32 signature hands it out non-const.
    return const_cast<void*>(data);
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
    if (!resource) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(resource->data.size());
}

namespace qv::platform {

std::optional<std::u16string> StringFromBlock(std::span<const BYTE> block, UINT index) {
    std::size_t pos = 0;
    for (UINT i = 0;; ++i) {
        if (block.size() - pos < 2)
            return std::nullopt;
        const std::size_t count = block[pos] | (std::size_t(block[pos + 1]) << 8);
        pos += 2;
        if (count * 2 > block.size() - pos)
            return std::nullopt;
        if (i == index)
            return qv::text::Utf16FromLittleEndian(block.data() + pos, count);
        pos += count * 2;
    }
}

namespace {

std::unique_ptr<HINSTANCE__> ModuleOf(std::shared_ptr<const ResourceImage> parsed,
                                      std::string path) {
    if (!parsed)
        return nullptr;
    auto module = std::make_unique<HINSTANCE__>();
    module->path = std::move(path);
    module->resources = std::move(parsed);
    return module;
}

} // namespace

std::unique_ptr<HINSTANCE__> LoadResourceModule(std::span<const std::byte> image,
                                                std::string path) {
    return ModuleOf(ResourceImage::Parse(image), std::move(path));
}

std::unique_ptr<HINSTANCE__> LoadResourceModuleCopy(std::span<const std::byte> image,
                                                    std::string path) {
    return ModuleOf(ResourceImage::ParseCopy(image), std::move(path));
}

} // namespace qv::platform

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size) {
    if (!buffer || size <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = '\0';
    const WORD block = static_cast<WORD>((id >> 4) + 1);
    const auto* found = Locate(module, qv::platform::ResourceName::Ordinal(RT_STRING_ID),
                               qv::platform::ResourceName::Ordinal(block), GetUserDefaultLangID());
    if (!found)
        return 0;
    const auto units = qv::platform::StringFromBlock(found->data, id & 15);
    if (!units || units->empty()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    const std::string text = qv::text::Utf16ToUtf8(*units);
    const std::string_view cut = qv::text::CutUtf8(text, static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, cut.data(), cut.size());
    buffer[cut.size()] = '\0';
    if (cut.size() < text.size())
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<int>(cut.size());
}
