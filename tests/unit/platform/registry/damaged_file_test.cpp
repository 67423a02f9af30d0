// The store facing files it did not write: damaged, oversized or hostile.
#include "platform/debug_trace.h"
#include "platform/registry/regfile.h"
#include "reg_test.h"

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace qv::test;

using DamagedFileTest = ConfigHomeTest;

TEST_F(DamagedFileTest, ReadsWhatIsIntactAndKeepsTheRest) {
    const std::string hugeText(5u << 20, 'x');
    const std::string garbage("\x01\x02\xFF\xFE\x00\x7F binary\x00junk", 18);
    const std::vector<std::string> damaged = {
        "\"trunc\"=\"no end quote",
        garbage,
        "\"cut\"=hex:01,0g",
        "[Software\\Broken",
        "\"lost\"=\"under a broken key\"",
        "\"wide\"=dword:123456789",
    };
    std::string file = "REGEDIT4\n\n[Software\\App]\n\"before\"=\"1\"\n" + damaged[0] + "\n" +
                       damaged[1] + "\n\"huge\"=\"" + hugeText + "\"\n" + damaged[2] + "\n" +
                       damaged[5] + "\n" + damaged[3] + "\n" + damaged[4] +
                       "\n[Software\\App\\Sub]\n\"after\"=\"2\"\n" + "\"half";
    WriteFile(UserReg(), file);

    EXPECT_EQ(GetString("Software\\App", "before"), "1");
    EXPECT_EQ(GetString("Software\\App", "huge").size(), hugeText.size());
    EXPECT_EQ(GetString("Software\\App", "cut"), "<missing>");
    EXPECT_EQ(GetString("Software\\App", "wide"), "<missing>");
    EXPECT_EQ(GetString("Software\\App\\Sub", "after"), "2");
    EXPECT_EQ(GetString("Software\\App", "lost"), "<missing>");
    EXPECT_EQ(GetString("Software\\Broken", "lost"), "<no key>");

    ASSERT_EQ(SetString("Software\\App", "new", "3"), LSTATUS(ERROR_SUCCESS));
    ASSERT_EQ(SetString("Software\\App\\Sub", "after", "4"), LSTATUS(ERROR_SUCCESS));
    const std::string rewritten = ReadFile(UserReg());
    for (const auto& line : damaged)
        EXPECT_NE(rewritten.find(line + "\n"), std::string::npos) << "lost line: " << line;
    EXPECT_NE(rewritten.find("\"half\n"), std::string::npos);
    // Each kept line stays under its key, before the next key line.
    const auto sub = rewritten.find("[HKEY_CURRENT_USER\\Software\\App\\Sub]");
    EXPECT_LT(rewritten.find(damaged[0]), sub);
    EXPECT_LT(sub, rewritten.find("\"half"));
    EXPECT_EQ(GetString("Software\\App", "new"), "3");
    EXPECT_EQ(GetString("Software\\App\\Sub", "after"), "4");
    EXPECT_EQ(GetString("Software\\App", "huge").size(), hugeText.size());
}

TEST_F(DamagedFileTest, PureGarbageIsAnEmptyHiveThatKeepsItsBytes) {
    std::string noise;
    // Bytes of every kind except those that open a key or a value line.
    for (int i = 0; noise.size() < 4096; ++i) {
        char c = char((i * 131 + 17) & 0xFF);
        if (c != '[' && c != '"' && c != '@')
            noise += c;
    }
    WriteFile(UserReg(), noise);
    EXPECT_EQ(GetString("Software\\App", "x"), "<no key>");
    ASSERT_EQ(SetString("Software\\New", "v", "1"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(GetString("Software\\New", "v"), "1");
    // Every line of the noise is still in the file.
    const std::string rewritten = ReadFile(UserReg());
    std::istringstream lines(noise);
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(line.find_first_not_of(" \t\r\f\v") == std::string::npos ||
                    rewritten.find(line) != std::string::npos)
            << line;
}

TEST_F(DamagedFileTest, OversizedFileIsNeitherReadNorReplaced) {
    std::string file = "REGEDIT4\n[Software\\A]\n\"v\"=\"1\"\n";
    file.append(qv::platform::registry::kMaxRegFileSize, ';');
    WriteFile(UserReg(), file);
    EXPECT_EQ(GetString("Software\\A", "v"), "<no key>");
    EXPECT_NE(SetString("Software\\A", "w", "2"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(std::filesystem::file_size(UserReg()), file.size());
}

TEST_F(DamagedFileTest, AFileThatCannotBeOpenedIsNeitherReadNorReplaced) {
    // A link to itself: opening fails, but the file is neither missing nor denied.
    std::filesystem::create_directories(std::filesystem::path(UserReg()).parent_path());
    std::filesystem::create_symlink("user.reg", UserReg());
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\A", 0, KEY_READ, &key),
              LSTATUS(ERROR_BADDB));
    EXPECT_NE(SetString("Software\\A", "w", "2"), LSTATUS(ERROR_SUCCESS));
    EXPECT_TRUE(std::filesystem::is_symlink(UserReg()));
}

// Files a user (or another program) can put where the store looks.
class HostileFileTest : public DamagedFileTest {
protected:
    // Runs body; should it block on the FIFO, the test fails and the FIFO's
    // other end is opened until the body has come back.
    template <class Body> void WithoutBlocking(const std::string& fifo, Body body) {
        auto done = std::async(std::launch::async, body);
        if (done.wait_for(std::chrono::seconds(20)) == std::future_status::ready)
            return done.get();
        ADD_FAILURE() << "blocked on " << fifo;
        while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
            if (int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
                ::close(fd);
    }
};

TEST_F(HostileFileTest, AFifoIsRefusedWithoutBlockingAndLeftInPlace) {
    std::filesystem::create_directories(root_ + "/quorvia");
    ASSERT_EQ(::mkfifo(UserReg().c_str(), 0600), 0);
    WithoutBlocking(UserReg(), [&] {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\A", 0, KEY_READ, &key),
                  LSTATUS(ERROR_BAD_FILE_TYPE));
        EXPECT_EQ(SetString("Software\\A", "v", "1"), LSTATUS(ERROR_BAD_FILE_TYPE));
    });
    EXPECT_TRUE(std::filesystem::is_fifo(UserReg()));

    // In the autostart folder every program's entries live side by side.
    const std::string autostart = root_ + "/autostart";
    std::filesystem::create_directories(autostart);
    ASSERT_EQ(::mkfifo((autostart + "/Quorvia.desktop").c_str(), 0600), 0);
    WriteFile(autostart + "/other.desktop", "[Desktop Entry]\nType=Application\nExec=other\n");
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    WithoutBlocking(autostart + "/Quorvia.desktop", [&] {
        EXPECT_EQ(GetString(run, "other"), "other");
        EXPECT_EQ(SetString(run, "Quorvia", "/usr/bin/quorvia"), LSTATUS(ERROR_SUCCESS));
        EXPECT_EQ(GetString(run, "Quorvia"), "/usr/bin/quorvia");
    });
    EXPECT_TRUE(std::filesystem::is_fifo(autostart + "/Quorvia.desktop"));
}

TEST_F(HostileFileTest, TheNextWriterRemovesTemporariesOfKilledWriters) {
    ASSERT_EQ(SetString("Software\\A", "v", "1"), LSTATUS(ERROR_SUCCESS));
    const std::string folder = root_ + "/quorvia/";
    const char* others[] = {".user.reg.keep", ".user.reg.a8Zk2", ".user.reg.my-bak", "user.reg.b"};
    for (const char* name : others)
        WriteFile(folder + name, "not ours");
    WriteFile(folder + ".user.reg.a8Zk2Q", std::string(4096, 'x'));
    EXPECT_EQ(GetString("Software\\A", "v"), "1");
    EXPECT_TRUE(std::filesystem::exists(folder + ".user.reg.a8Zk2Q")) << "readers leave them";
    ASSERT_EQ(SetString("Software\\A", "v", "2"), LSTATUS(ERROR_SUCCESS));
    EXPECT_FALSE(std::filesystem::exists(folder + ".user.reg.a8Zk2Q"));
    for (const char* name : others)
        EXPECT_TRUE(std::filesystem::exists(folder + name)) << name << " is not ours";
}

TEST_F(HostileFileTest, ALinkIsWrittenThroughEvenToAFileNotMadeYet) {
    std::filesystem::create_directories(root_ + "/quorvia");
    std::filesystem::create_directories(root_ + "/dotfiles");
    std::filesystem::create_directory_symlink("../dotfiles", root_ + "/quorvia/linked");
    ::symlink("linked/quorvia.reg", UserReg().c_str());
    ASSERT_EQ(SetString("Software\\A", "v", "1"), LSTATUS(ERROR_SUCCESS));
    EXPECT_TRUE(std::filesystem::is_symlink(UserReg()));
    EXPECT_NE(ReadFile(root_ + "/dotfiles/quorvia.reg").find("\"v\"=\"1\""), std::string::npos);
    ASSERT_EQ(SetString("Software\\A", "w", "2"), LSTATUS(ERROR_SUCCESS));
    EXPECT_TRUE(std::filesystem::is_symlink(UserReg()));
    EXPECT_EQ(GetString("Software\\A", "v"), "1");
}

TEST_F(HostileFileTest, AFileItsOwnerMadeReadOnlyIsHonoured) {
    ASSERT_EQ(SetString("Software\\A", "v", "1"), LSTATUS(ERROR_SUCCESS));
    ASSERT_EQ(::chmod(UserReg().c_str(), 0400), 0);
    const std::string before = ReadFile(UserReg());
    // Also for root, who could write it anyway; the diagnostics say so.
    qv::platform::SetTraceMask(unsigned(qv::platform::TraceCategory::Registry));
    testing::internal::CaptureStderr();
    EXPECT_EQ(SetString("Software\\A", "v", "2"), LSTATUS(ERROR_ACCESS_DENIED));
    const std::string log = testing::internal::GetCapturedStderr();
    qv::platform::SetTraceMask(0);
    EXPECT_EQ(log, "quorvia: registry: writing " + UserReg() +
                       " refused: Access is denied. (error 5)\n");
    EXPECT_EQ(SetString("Software\\New", "v", "2"), LSTATUS(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadFile(UserReg()), before);
    EXPECT_EQ(std::filesystem::status(UserReg()).permissions(), std::filesystem::perms::owner_read);
    EXPECT_EQ(GetString("Software\\A", "v"), "1");
}

TEST_F(HostileFileTest, KeysAreNamedFromTheRootAndTheOldFormStillReads) {
    WriteFile(UserReg(), "REGEDIT4\n\n[software\\Belmar\\Quorvia]\n\"User\"=\"alice\"\n\n"
                         "[HKEY_CURRENT_USER\\software\\Belmar\\Quorvia]\n\"Adrs\"=\"pabx\"\n\n"
                         "[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"x\"=\"1\"\n");
    EXPECT_EQ(GetString("Software\\Belmar\\Quorvia", "User"), "alice");
    EXPECT_EQ(GetString("Software\\Belmar\\Quorvia", "Adrs"), "pabx");
    EXPECT_EQ(GetString("HKEY_LOCAL_MACHINE\\Software\\Other", "x"), "<no key>");
    ASSERT_EQ(SetString("Software\\Belmar\\Quorvia", "Pass", "p"), LSTATUS(ERROR_SUCCESS));
    const std::string file = ReadFile(UserReg());
    EXPECT_EQ(file.find("[software"), std::string::npos) << file;
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\software\\Belmar\\Quorvia]\n\"User\"=\"alice\"\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"x\"=\"1\"\n"), std::string::npos);
    EXPECT_EQ(GetString("Software\\Belmar\\Quorvia", "Adrs"), "pabx");
}

} // namespace
