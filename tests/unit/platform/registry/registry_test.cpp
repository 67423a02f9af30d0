#include "platform/module/module.h"
#include "platform/registry/hives.h"
#include "platform/registry/registry.h"
#include "support/support.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace qv::test;

class RegistryTest : public ConfigHomeTest {
protected:
    HKEY Create(const char* path, HKEY root = HKEY_CURRENT_USER) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  LSTATUS(ERROR_SUCCESS));
        return key;
    }
    static LSTATUS SetText(HKEY key, const char* name, const std::string& text) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              DWORD(text.size() + 1));
    }
    static std::string GetText(HKEY key, const char* name) {
        char buf[256] = {};
        DWORD size = sizeof buf, type = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
            ERROR_SUCCESS)
            return "<missing>";
        return std::string(buf, strnlen(buf, size));
    }
};

TEST_F(RegistryTest, QueryFollowsTheWin32Contract) {
    HKEY key = Create("Software\\Test");
    ASSERT_NE(key, nullptr);
    const BYTE data[] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(RegSetValueExA(key, "bin", 0, REG_BINARY, data, sizeof data), LSTATUS(ERROR_SUCCESS));

    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "bin", nullptr, &type, nullptr, &size), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 6u) << "size-only query";

    BYTE small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "bin", nullptr, &type, small, &size), LSTATUS(ERROR_MORE_DATA));
    EXPECT_EQ(size, 6u);

    BYTE exact[6] = {};
    size = sizeof exact;
    EXPECT_EQ(RegQueryValueExA(key, "BIN", nullptr, nullptr, exact, &size), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(std::memcmp(exact, data, 6), 0);

    EXPECT_EQ(RegQueryValueExA(key, "bin", nullptr, nullptr, exact, nullptr),
              LSTATUS(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RegQueryValueExA(key, "absent", nullptr, nullptr, nullptr, nullptr),
              LSTATUS(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegQueryValueExA(key, "bin", nullptr, nullptr, nullptr, nullptr),
              LSTATUS(ERROR_SUCCESS));

    // Null and empty names are both the default value.
    ASSERT_EQ(SetText(key, nullptr, "dflt"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(GetText(key, ""), "dflt");
    EXPECT_NE(ReadFile(UserReg()).find("@=\"dflt\""), std::string::npos);

    EXPECT_EQ(RegDeleteValueA(key, "Bin"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteValueA(key, "bin"), LSTATUS(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegCloseKey(key), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(RegCloseKey(key), LSTATUS(ERROR_INVALID_HANDLE));
    EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, nullptr, nullptr),
              LSTATUS(ERROR_INVALID_HANDLE));
}

TEST_F(RegistryTest, CreatesWholePathAndOpensOnlyExistingKeys) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\a\\b", 0, KEY_READ, &key),
              LSTATUS(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(key, nullptr);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\A\\B\\C", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, &disposition),
              LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\a\\b\\c", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, &disposition),
              LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    for (const char* path : {"Software", "Software\\A", "SOFTWARE\\a\\B"}) {
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key), LSTATUS(ERROR_SUCCESS))
            << path;
        RegCloseKey(key);
    }
    // A write-only handle cannot read.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\A", 0, KEY_SET_VALUE, &key),
              LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, nullptr, nullptr),
              LSTATUS(ERROR_ACCESS_DENIED));
    RegCloseKey(key);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepTheFirstCase) {
    HKEY key = Create("Software\\MixedCase");
    ASSERT_EQ(SetText(key, "UserName", "a"), LSTATUS(ERROR_SUCCESS));
    RegCloseKey(key);
    key = Create("SOFTWARE\\mixedcase\\NewSub");
    ASSERT_EQ(SetText(key, "USERNAME", "b"), LSTATUS(ERROR_SUCCESS));
    RegCloseKey(key);
    key = Create("software\\MIXEDCASE");
    ASSERT_EQ(SetText(key, "USERNAME", "c"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(GetText(key, "username"), "c");
    RegCloseKey(key);

    const std::string file = ReadFile(UserReg());
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\MixedCase]\n\"UserName\"=\"c\""),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\MixedCase\\NewSub]"), std::string::npos)
        << file;
    EXPECT_EQ(file.find("USERNAME\"=\"c"), std::string::npos);
    EXPECT_EQ(file.find("SOFTWARE"), std::string::npos);
}

TEST_F(RegistryTest, EnumeratesAndDeletesKeys) {
    HKEY key = Create("Software\\Enum");
    SetText(key, "one", "1");
    SetText(key, "two", "2");
    RegCloseKey(Create("Software\\Enum\\beta"));
    RegCloseKey(Create("Software\\Enum\\Alpha\\Deep"));

    char name[64];
    DWORD size = sizeof name;
    std::vector<std::string> keys;
    for (DWORD i = 0; size = sizeof name, RegEnumKeyExA(key, i, name, &size, nullptr, nullptr,
                                                        nullptr, nullptr) == ERROR_SUCCESS;
         ++i)
        keys.emplace_back(name, size);
    EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "beta"}));
    size = 2;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              LSTATUS(ERROR_MORE_DATA));

    DWORD type = 0, dataSize = 0;
    size = sizeof name;
    ASSERT_EQ(RegEnumValueA(key, 1, name, &size, nullptr, &type, nullptr, &dataSize),
              LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(std::string(name, size), "two");
    EXPECT_EQ(dataSize, 2u);
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 2, name, &size, nullptr, nullptr, nullptr, nullptr),
              LSTATUS(ERROR_NO_MORE_ITEMS));

    EXPECT_EQ(RegDeleteKeyA(key, "alpha"), LSTATUS(ERROR_ACCESS_DENIED)) << "has a subkey";
    EXPECT_EQ(RegDeleteKeyA(key, "Alpha\\Deep"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Enum"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(GetText(key, "one"), "<missing>");
    EXPECT_EQ(SetText(key, "one", "1"), LSTATUS(ERROR_KEY_DELETED));
    RegCloseKey(key);
}

TEST_F(RegistryTest, UserFileIsPrivate) {
    HKEY key = Create("Software\\P");
    SetText(key, "Pass", "x");
    RegCloseKey(key);
    struct stat st {};
    ASSERT_EQ(::stat(UserReg().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((root_ + "/quorvia").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Even a file someone loosened comes back private on the next write.
    ::chmod(UserReg().c_str(), 0644);
    key = Create("Software\\P");
    SetText(key, "Pass", "y");
    RegCloseKey(key);
    ASSERT_EQ(::stat(UserReg().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(RegistryTest, MultiMegabyteValue) {
    HKEY key = Create("Software\\Big");
    std::vector<BYTE> big(3u << 20);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = BYTE(i * 31 + 7);
    ASSERT_EQ(RegSetValueExA(key, "blob", 0, REG_BINARY, big.data(), DWORD(big.size())),
              LSTATUS(ERROR_SUCCESS));
    SetText(key, "after", "small");
    std::vector<BYTE> back(big.size());
    DWORD size = DWORD(back.size());
    ASSERT_EQ(RegQueryValueExA(key, "blob", nullptr, nullptr, back.data(), &size),
              LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(back, big);
    BYTE buffer[2048];
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "blob", nullptr, nullptr, buffer, &size),
              LSTATUS(ERROR_MORE_DATA));
    EXPECT_EQ(GetText(key, "after"), "small");
    RegCloseKey(key);
}

TEST_F(RegistryTest, FailedWriteLeavesTheOldFile) {
    HKEY key = Create("Software\\Atomic");
    ASSERT_EQ(SetText(key, "keep", "old"), LSTATUS(ERROR_SUCCESS));
    const std::string before = ReadFile(UserReg());

    // A child limited in file size cannot write the new file; the old must survive whole.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<BYTE> big(64 * 1024, 0xAB);
        LSTATUS rc = RegSetValueExA(key, "big", 0, REG_BINARY, big.data(), DWORD(big.size()));
        ::_exit(rc == LSTATUS(ERROR_SUCCESS) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write should have failed";
    EXPECT_EQ(ReadFile(UserReg()), before);
    for (const auto& entry : std::filesystem::directory_iterator(root_ + "/quorvia"))
        EXPECT_EQ(entry.path().filename().string().find(".user.reg."), std::string::npos)
            << "temporary file left behind: " << entry.path();
    EXPECT_EQ(GetText(key, "keep"), "old");
    RegCloseKey(key);
}

TEST_F(RegistryTest, ASnapshotReadsOnceAndItsOwnChangesAfresh) {
    HKEY key = Create("Software\\Snap");
    SetText(key, "v", "1");
    {
        qv::platform::registry::ReadSnapshot once;
        EXPECT_EQ(GetText(key, "v"), "1");
        WriteFile(UserReg(), "REGEDIT4\n\n[Software\\Snap]\n\"v\"=\"2\"\n");
        EXPECT_EQ(GetText(key, "v"), "1") << "the file was read once";
        SetText(key, "w", "3");
        EXPECT_EQ(GetText(key, "v"), "2");
        EXPECT_EQ(GetText(key, "w"), "3");
        WriteFile(UserReg(), "REGEDIT4\n\n[Software\\Snap]\n\"v\"=\"4\"\n");
    }
    // Without one, every call reads what another process wrote meanwhile.
    EXPECT_EQ(GetText(key, "v"), "4");
    RegCloseKey(key);
}

TEST_F(RegistryTest, MachineHiveLivesBesideTheInstall) {
    const std::string prefix = root_ + "/install";
    std::filesystem::create_directories(prefix + "/bin");
    qv::platform::SetModuleFileNameForTesting(prefix + "/bin/quorvia");
    HKEY key = nullptr;
    // No etc/quorvia folder in the prefix (and none in /etc): nowhere to write.
    if (!std::filesystem::exists("/etc/quorvia")) {
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\WAB", 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
                  LSTATUS(ERROR_ACCESS_DENIED));
    }
    WriteFile(
        prefix + "/etc/quorvia/machine.reg",
        "REGEDIT4\n\n[Software\\Microsoft\\WAB\\DLLPath]\n@=\"/usr/lib/libquorvia-wab.so\"\n");
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\microsoft\\wab\\dllpath", 0, KEY_READ, &key),
        LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(GetText(key, nullptr), "/usr/lib/libquorvia-wab.so");
    RegCloseKey(key);
    key = Create("Software\\Machine", HKEY_LOCAL_MACHINE);
    EXPECT_EQ(SetText(key, "v", "m"), LSTATUS(ERROR_SUCCESS));
    RegCloseKey(key);
    EXPECT_NE(ReadFile(prefix + "/etc/quorvia/machine.reg").find("\"v\"=\"m\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(UserReg())) << "machine values stay out of the user file";
    qv::platform::SetModuleFileNameForTesting("");
}

TEST_F(RegistryTest, SystemInstallsKeepTheMachineHiveInTheSystemsConfigurationFolder) {
    // Where an install writes the file for each prefix; the fallback and
    // these must not exist here, or they would be read instead.
    const std::pair<const char*, const char*> installs[] = {
        {"/usr/bin/quorvia", "/etc/quorvia/machine.reg"},
        {"/opt/quorvia/bin/quorvia", "/etc/opt/quorvia/quorvia/machine.reg"},
        {"/usr/local/bin/quorvia", "/usr/local/etc/quorvia/machine.reg"},
        {"/opt/tools/quorvia/bin/quorvia", "/opt/tools/quorvia/etc/quorvia/machine.reg"}};
    for (const auto& [exe, file] : installs) {
        if (std::filesystem::exists("/etc/quorvia/machine.reg") || std::filesystem::exists(file))
            GTEST_SKIP() << "this machine has an installed machine hive";
    }
    for (const auto& [exe, file] : installs) {
        qv::platform::SetModuleFileNameForTesting(exe);
        EXPECT_EQ(
            qv::platform::registry::LocateHive(qv::platform::registry::Hive::LocalMachine).path,
            file)
            << exe;
    }
    qv::platform::SetModuleFileNameForTesting("");
}

} // namespace
