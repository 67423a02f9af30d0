// A private XDG_CONFIG_HOME and executable name per test.
#pragma once

#include "platform/module/module.h"
#include "settings/settings.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdlib.h>
#include <string>

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        qv::platform::SetModuleFileNameForTesting("/opt/quorvia/bin/Quorvia.exe");
        SetSettingsCompany("Belmar");
    }
    void TearDown() override {
        qv::platform::SetModuleFileNameForTesting("");
        ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    std::string UserReg() const { return root_ + "/quorvia/user.reg"; }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
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
    std::string root_;
};
