#include "platform/registry/registry.h"
#include "support/support.h"

#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace qv::test;

class ConcurrencyTest : public ConfigHomeTest {};

constexpr int kWriters = 4;
constexpr int kValuesEach = 25;

bool WriteValue(const std::string& name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Shared", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok =
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       DWORD(text.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

std::string ReadValue(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Shared", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    char buf[64] = {};
    DWORD size = sizeof buf;
    LSTATUS rc =
        RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    return rc == LSTATUS(ERROR_SUCCESS) ? std::string(buf) : std::string();
}

TEST_F(ConcurrencyTest, FourWritersLoseNothing) {
    for (int round = 0; round < 3; ++round) {
        std::vector<pid_t> children;
        for (int w = 0; w < kWriters; ++w) {
            pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                int failures = 0;
                for (int i = 0; i < kValuesEach; ++i) {
                    std::string tag =
                        std::to_string(round) + "-" + std::to_string(w) + "-" + std::to_string(i);
                    failures += !WriteValue("v" + tag, "data" + tag);
                }
                ::_exit(failures == 0 ? 0 : 1);
            }
            children.push_back(pid);
        }
        // A reader alongside: every value it has once seen must stay.
        int seen = 0;
        for (int probe = 0; probe < 50; ++probe) {
            std::string first = ReadValue("v" + std::to_string(round) + "-0-0");
            if (!first.empty())
                ++seen;
            else
                EXPECT_EQ(seen, 0) << "a value vanished while others were written";
        }
        for (pid_t pid : children) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        for (int r = 0; r <= round; ++r)
            for (int w = 0; w < kWriters; ++w)
                for (int i = 0; i < kValuesEach; ++i) {
                    std::string tag =
                        std::to_string(r) + "-" + std::to_string(w) + "-" + std::to_string(i);
                    EXPECT_EQ(ReadValue("v" + tag), "data" + tag);
                }
    }
}

} // namespace
