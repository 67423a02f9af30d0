// What the registry tests share: string values written and read through the
// public calls, each test on a configuration folder of its own.
#pragma once

#include "platform/registry/registry.h"
#include "support/support.h"

#include <string>
#include <vector>

namespace qv::test {

// Opens the key, making it if need be, with every right.
inline HKEY CreateKey(const char* path, HKEY root = HKEY_CURRENT_USER) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              LSTATUS(ERROR_SUCCESS))
        << path;
    return key;
}

inline LSTATUS SetString(HKEY key, const char* name, const std::string& text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          DWORD(text.size() + 1));
}

// Makes the key first; the first failure is the result.
inline LSTATUS SetString(const char* path, const char* name, const std::string& text,
                         HKEY root = HKEY_CURRENT_USER) {
    HKEY key = nullptr;
    LSTATUS rc = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
    if (rc == LSTATUS(ERROR_SUCCESS)) {
        rc = SetString(key, name, text);
        RegCloseKey(key);
    }
    return rc;
}

// A string value of any length, "<missing>" when there is none.
inline std::string GetString(HKEY key, const char* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return "<missing>";
    EXPECT_EQ(type, DWORD(REG_SZ)) << name;
    std::string out(size, '\0');
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(out.data()), &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    out.resize(strnlen(out.c_str(), size));
    return out;
}

// "<no key>" when the key cannot be opened for reading.
inline std::string GetString(const char* path, const char* name, HKEY root = HKEY_CURRENT_USER) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    std::string out = GetString(key, name);
    RegCloseKey(key);
    return out;
}

// The names of a key's values, or of its subkeys, in the order they enumerate.
inline std::vector<std::string> Names(HKEY key, bool values) {
    std::vector<std::string> out;
    char name[256];
    for (DWORD i = 0, size = sizeof name;; ++i, size = sizeof name) {
        const LSTATUS rc =
            values ? RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)
                   : RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc != LSTATUS(ERROR_SUCCESS))
            return out;
        out.emplace_back(name, size);
    }
}

} // namespace qv::test
