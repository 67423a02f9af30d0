#include "settings/settings.h"

#include "platform/module/module.h"
#include "platform/registry/profile.h"
#include "platform/text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The store's two process-wide buffers (MAX_PATH bytes each on Windows).
std::string g_szSettingsCompany;
std::string g_szSettingsProfile;

constexpr std::size_t kNameBufferSize = MAX_PATH;
constexpr DWORD kReadBufferSize = 2048;
constexpr DWORD kProfileStringSize = 4096;

enum class Backend { Registry, Profile, None };

Backend ChooseBackend() {
    if (!g_szSettingsCompany.empty())
        return Backend::Registry;
    return g_szSettingsProfile.empty() ? Backend::None : Backend::Profile;
}

std::string FormatInt(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

std::string Cut(std::string_view s) {
    return std::string(qv::text::CutUtf8(s, kNameBufferSize - 1));
}

DWORD LittleEndian(const BYTE* data, DWORD size) {
    DWORD v = 0;
    for (DWORD i = 0; i < size && i < 4; ++i)
        v |= DWORD(data[i]) << (8 * i);
    return v;
}

} // namespace

namespace qv::settings {

int ScanDecimal(const char* text) {
    if (!text)
        return 0;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    std::uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<std::uint32_t>(*p - '0');
    if (negative)
        value = 0u - value;
    return static_cast<int>(value); // modular since C++20
}

// use's answer for the key opened with access; false when it cannot be opened.
template <class Use> bool WithKey(HKEY root, LPCSTR subkey, REGSAM access, Use use) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, access, &key) != ERROR_SUCCESS)
        return false;
    const bool answer = use(key);
    RegCloseKey(key);
    return answer;
}

} // namespace qv::settings

std::string ReadRegistryText(HKEY root, LPCSTR subkey, LPCSTR name, LPCSTR def) {
    const std::string fallback = def ? def : "";
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return fallback;
    std::vector<BYTE> data(kReadBufferSize);
    DWORD type = REG_NONE;
    DWORD size = kReadBufferSize;
    LSTATUS rc = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return fallback;
    const char* chars = reinterpret_cast<const char*>(data.data());
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        // Bounded by the length: the data need not carry its terminator.
        return std::string(chars, strnlen(chars, size));
    case REG_DWORD:
    case REG_BINARY:
        if (type == REG_BINARY && size > 4)
            return fallback;
        return FormatInt(static_cast<int>(LittleEndian(data.data(), size)));
    case REG_MULTI_SZ: {
        for (DWORD i = 0; i + 1 < size; ++i)
            if (data[i] == 0)
                data[i] = 0xFF;
        return std::string(chars, strnlen(chars, size));
    }
    default:
        return fallback;
    }
}

bool WriteRegistryText(HKEY root, LPCSTR text, LPCSTR subkey, LPCSTR name, DWORD type) {
    std::string_view value = text ? text : "";
    std::vector<BYTE> data;
    switch (type) {
    case REG_SZ:
        data.assign(value.begin(), value.end());
        data.push_back(0);
        break;
    case REG_DWORD: {
        auto v = static_cast<DWORD>(qv::settings::ScanDecimal(text));
        data = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
        break;
    }
    case REG_MULTI_SZ:
        for (char c : value)
            data.push_back(static_cast<BYTE>(c) == 0xFF ? 0 : static_cast<BYTE>(c));
        data.push_back(0);
        break;
    default:
        return false;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subkey, 0, const_cast<LPSTR>(""), REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())) ==
              ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool DeleteRegistryValue(HKEY root, LPCSTR subkey, LPCSTR name) {
    return qv::settings::WithKey(root, subkey, KEY_ALL_ACCESS, [&](HKEY key) {
        return RegDeleteValueA(key, name) == ERROR_SUCCESS;
    });
}

bool RegistryValueExists(HKEY root, LPCSTR subkey, LPCSTR name) {
    return qv::settings::WithKey(root, subkey, KEY_READ, [&](HKEY key) {
        return !name ||
               RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    });
}

void SetSettingsCompany(LPCSTR company) {
    g_szSettingsCompany = Cut(company ? company : "");
    g_szSettingsProfile.clear();
}

std::string GetSettingsKey(LPCSTR section) {
    if (g_szSettingsProfile.empty()) {
        // A Linux path may be longer than MAX_PATH; only the name is kept to that size.
        std::vector<char> path(4096);
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n > 0 && n < path.size() - 1) {
            std::string_view full(path.data(), n);
            auto sep = full.find_last_of("\\/:");
            std::string_view base = sep == full.npos ? full : full.substr(sep + 1);
            base = base.substr(0, base.find('.'));
            std::string profile(base);
            if (g_szSettingsCompany.empty())
                profile += ".ini";
            g_szSettingsProfile = Cut(profile);
        }
    }
    if (g_szSettingsCompany.empty())
        return {};
    std::string key = "software\\";
    key += g_szSettingsCompany;
    if (!g_szSettingsProfile.empty()) {
        key += '\\';
        key += g_szSettingsProfile;
    }
    if (section && *section) {
        key += '\\';
        key += section;
    }
    return key;
}

int GetSettingInt(LPCSTR section, LPCSTR name, int def, HKEY root) {
    const std::string key = GetSettingsKey(section);
    switch (ChooseBackend()) {
    case Backend::Registry:
        return qv::settings::ScanDecimal(
            ReadRegistryText(root, key.c_str(), name, FormatInt(def).c_str()).c_str());
    case Backend::Profile:
        return static_cast<int>(
            GetPrivateProfileIntA(section && *section ? section : kProfileSection, name, def,
                                  g_szSettingsProfile.c_str()));
    case Backend::None:
        break;
    }
    return 0;
}

bool WriteSettingInt(LPCSTR section, LPCSTR name, int value, HKEY root) {
    const std::string key = GetSettingsKey(section);
    const std::string text = FormatInt(value);
    switch (ChooseBackend()) {
    case Backend::Registry:
        return WriteRegistryText(root, text.c_str(), key.c_str(), name, REG_DWORD);
    case Backend::Profile:
        return WritePrivateProfileStringA(section && *section ? section : kProfileSection, name,
                                          text.c_str(), g_szSettingsProfile.c_str()) != FALSE;
    case Backend::None:
        break;
    }
    return false;
}

std::string GetSettingString(LPCSTR section, LPCSTR name, LPCSTR def, HKEY root) {
    const std::string key = GetSettingsKey(section);
    switch (ChooseBackend()) {
    case Backend::Registry:
        return ReadRegistryText(root, key.c_str(), name, def);
    case Backend::Profile: {
        std::vector<char> buffer(kProfileStringSize);
        DWORD n = GetPrivateProfileStringA(section && *section ? section : kProfileSection, name,
                                           def, buffer.data(), kProfileStringSize,
                                           g_szSettingsProfile.c_str());
        return std::string(buffer.data(), n);
    }
    case Backend::None:
        break;
    }
    return {};
}

bool WriteSettingString(LPCSTR section, LPCSTR name, LPCSTR value, HKEY root) {
    const std::string key = GetSettingsKey(section);
    switch (ChooseBackend()) {
    case Backend::Registry:
        return WriteRegistryText(root, value, key.c_str(), name, REG_SZ);
    case Backend::Profile:
        return WritePrivateProfileStringA(section && *section ? section : kProfileSection, name,
                                          value ? value : "", g_szSettingsProfile.c_str()) != FALSE;
    case Backend::None:
        break;
    }
    return false;
}
