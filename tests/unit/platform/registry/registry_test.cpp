#include "platform/module/module.h"
#include "platform/registry/hives.h"
#include "reg_test.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace qv::test;

using RegistryTest = ConfigHomeTest;

TEST_F(RegistryTest, QueryFollowsTheWin32Contract) {
    HKEY key = CreateKey("Software\\Test");
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
    ASSERT_EQ(SetString(key, nullptr, "dflt"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(GetString(key, ""), "dflt");
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
    for (const auto& [path, expected] : {std::pair{"Software\\A\\B\\C", REG_CREATED_NEW_KEY},
                                         std::pair{"software\\a\\b\\c", REG_OPENED_EXISTING_KEY}}) {
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, &key, &disposition),
                  LSTATUS(ERROR_SUCCESS));
        EXPECT_EQ(disposition, DWORD(expected)) << path;
        RegCloseKey(key);
    }
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
    ASSERT_EQ(SetString("Software\\MixedCase", "UserName", "a"), LSTATUS(ERROR_SUCCESS));
    ASSERT_EQ(SetString("SOFTWARE\\mixedcase\\NewSub", "USERNAME", "b"), LSTATUS(ERROR_SUCCESS));
    ASSERT_EQ(SetString("software\\MIXEDCASE", "USERNAME", "c"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(GetString("Software\\mixedCase", "username"), "c");

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
    HKEY key = CreateKey("Software\\Enum");
    SetString(key, "one", "1");
    SetString(key, "two", "2");
    RegCloseKey(CreateKey("Software\\Enum\\beta"));
    RegCloseKey(CreateKey("Software\\Enum\\Alpha\\Deep"));

    EXPECT_EQ(Names(key, false), (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_EQ(Names(key, true), (std::vector<std::string>{"one", "two"}));
    char name[64];
    DWORD size = 2;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              LSTATUS(ERROR_MORE_DATA));
    DWORD dataSize = 0;
    size = sizeof name;
    ASSERT_EQ(RegEnumValueA(key, 1, name, &size, nullptr, nullptr, nullptr, &dataSize),
              LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(dataSize, 2u);
    EXPECT_EQ(RegEnumValueA(key, 2, name, &size, nullptr, nullptr, nullptr, nullptr),
              LSTATUS(ERROR_NO_MORE_ITEMS));

    EXPECT_EQ(RegDeleteKeyA(key, "alpha"), LSTATUS(ERROR_ACCESS_DENIED)) << "has a subkey";
    EXPECT_EQ(RegDeleteKeyA(key, "Alpha\\Deep"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Enum"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(GetString(key, "one"), "<missing>");
    EXPECT_EQ(SetString(key, "one", "1"), LSTATUS(ERROR_KEY_DELETED));
    RegCloseKey(key);
}

TEST_F(RegistryTest, UserFileIsPrivate) {
    const auto mode = [](const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 0777;
    };
    ASSERT_EQ(SetString("Software\\P", "Pass", "x"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(mode(UserReg()), 0600u);
    EXPECT_EQ(mode(root_ + "/quorvia"), 0700u);
    // Even a file someone loosened comes back private on the next write.
    ::chmod(UserReg().c_str(), 0644);
    ASSERT_EQ(SetString("Software\\P", "Pass", "y"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(mode(UserReg()), 0600u);
}

TEST_F(RegistryTest, MultiMegabyteValue) {
    HKEY key = CreateKey("Software\\Big");
    std::vector<BYTE> big(3u << 20);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = BYTE(i * 31 + 7);
    ASSERT_EQ(RegSetValueExA(key, "blob", 0, REG_BINARY, big.data(), DWORD(big.size())),
              LSTATUS(ERROR_SUCCESS));
    SetString(key, "after", "small");
    std::vector<BYTE> back(big.size());
    DWORD size = DWORD(back.size());
    ASSERT_EQ(RegQueryValueExA(key, "blob", nullptr, nullptr, back.data(), &size),
              LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(back, big);
    EXPECT_EQ(GetString(key, "after"), "small");
    RegCloseKey(key);
}

TEST_F(RegistryTest, FailedWriteLeavesTheOldFile) {
    HKEY key = CreateKey("Software\\Atomic");
    ASSERT_EQ(SetString(key, "keep", "old"), LSTATUS(ERROR_SUCCESS));
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
    EXPECT_EQ(GetString(key, "keep"), "old");
    RegCloseKey(key);
}

TEST_F(RegistryTest, ASnapshotReadsOnceAndItsOwnChangesAfresh) {
    HKEY key = CreateKey("Software\\Snap");
    SetString(key, "v", "1");
    {
        qv::platform::registry::ReadSnapshot once;
        EXPECT_EQ(GetString(key, "v"), "1");
        WriteFile(UserReg(), "REGEDIT4\n\n[Software\\Snap]\n\"v\"=\"2\"\n");
        EXPECT_EQ(GetString(key, "v"), "1") << "the file was read once";
        SetString(key, "w", "3");
        EXPECT_EQ(GetString(key, "v"), "2");
        EXPECT_EQ(GetString(key, "w"), "3");
        WriteFile(UserReg(), "REGEDIT4\n\n[Software\\Snap]\n\"v\"=\"4\"\n");
    }
    // Without one, every call reads what another process wrote meanwhile.
    EXPECT_EQ(GetString(key, "v"), "4");
    RegCloseKey(key);
}

TEST_F(RegistryTest, MachineHiveLivesBesideTheInstall) {
    const std::string prefix = root_ + "/install";
    std::filesystem::create_directories(prefix + "/bin");
    qv::platform::SetModuleFileNameForTesting(prefix + "/bin/quorvia");
    // No etc/quorvia folder in the prefix (and none in /etc): nowhere to write.
    if (!std::filesystem::exists("/etc/quorvia")) {
        EXPECT_EQ(SetString("Software\\WAB", "v", "m", HKEY_LOCAL_MACHINE),
                  LSTATUS(ERROR_ACCESS_DENIED));
    }
    WriteFile(
        prefix + "/etc/quorvia/machine.reg",
        "REGEDIT4\n\n[Software\\Microsoft\\WAB\\DLLPath]\n@=\"/usr/lib/libquorvia-wab.so\"\n");
    EXPECT_EQ(GetString("software\\microsoft\\wab\\dllpath", nullptr, HKEY_LOCAL_MACHINE),
              "/usr/lib/libquorvia-wab.so");
    EXPECT_EQ(SetString("Software\\Machine", "v", "m", HKEY_LOCAL_MACHINE), LSTATUS(ERROR_SUCCESS));
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

TEST_F(RegistryTest, FourWritersLoseNothing) {
    const auto tag = [](int round, int writer, int i) {
        return std::to_string(round) + "-" + std::to_string(writer) + "-" + std::to_string(i);
    };
    constexpr int kWriters = 4, kValuesEach = 25;
    for (int round = 0; round < 3; ++round) {
        std::vector<pid_t> children;
        for (int w = 0; w < kWriters; ++w) {
            pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                int failures = 0;
                for (int i = 0; i < kValuesEach; ++i)
                    failures += SetString("Software\\Shared", ("v" + tag(round, w, i)).c_str(),
                                          "data" + tag(round, w, i)) != ERROR_SUCCESS;
                ::_exit(failures == 0 ? 0 : 1);
            }
            children.push_back(pid);
        }
        // A reader alongside: every value it has once seen must stay.
        bool seen = false;
        for (int probe = 0; probe < 50; ++probe) {
            const bool there = GetString("Software\\Shared", ("v" + tag(round, 0, 0)).c_str()) ==
                               "data" + tag(round, 0, 0);
            EXPECT_TRUE(there || !seen) << "a value vanished while others were written";
            seen = seen || there;
        }
        for (pid_t pid : children) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        for (int r = 0; r <= round; ++r)
            for (int w = 0; w < kWriters; ++w)
                for (int i = 0; i < kValuesEach; ++i)
                    EXPECT_EQ(GetString("Software\\Shared", ("v" + tag(r, w, i)).c_str()),
                              "data" + tag(r, w, i));
    }
}

} // namespace
