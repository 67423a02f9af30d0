// A private settings folder and executable name per test.
#pragma once

#include "platform/module/module.h"
#include "settings/settings.h"
#include "support/support.h"

#include <filesystem>
#include <vector>

class SettingsTest : public qv::test::ConfigHomeTest {
protected:
    void SetUp() override {
        qv::platform::SetModuleFileNameForTesting("/opt/quorvia/bin/Quorvia.exe");
        SetSettingsCompany("Belmar");
    }
    void TearDown() override { qv::platform::SetModuleFileNameForTesting(""); }
    static std::string ReadFile(const std::string& path) { return qv::test::ReadFile(path); }
    // Stores raw value data under the settings key.
    void SetRaw(const char* name, DWORD type, std::vector<BYTE> data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, GetSettingsKey(nullptr).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  LSTATUS(ERROR_SUCCESS));
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.data(), DWORD(data.size())),
                  LSTATUS(ERROR_SUCCESS));
        RegCloseKey(key);
    }
};
