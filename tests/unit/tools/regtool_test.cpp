// Runs the built quorvia-reg binary, with stdin from /dev/null (no terminal).
#include "support/support.h"
#include "support/utf16.h"

#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using namespace qv::test;

struct Result {
    int code = -1;
    std::string out, err;
};

class RegToolTest : public ConfigHomeTest {
protected:
    Result Run(const std::string& args) {
        const std::string out = root_ + "/out.txt", err = root_ + "/err.txt";
        const std::string command =
            std::string(QV_REG_TOOL) + " " + args + " </dev/null >" + out + " 2>" + err;
        int status = std::system(command.c_str());
        Result r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadFile(out);
        r.err = ReadFile(err);
        return r;
    }
};

TEST_F(RegToolTest, AddQueryDelete) {
    for (const char* add :
         {"'HKCU\\Software\\Belmar\\Quorvia' /v User /d alice",
          "HKEY_CURRENT_USER\\\\Software\\\\Belmar\\\\Quorvia /v Timeout /t REG_DWORD /d 0x10",
          "'HKCU\\Software\\Belmar\\Quorvia' /v Neg /t reg_dword /d -1",
          "'HKCU\\Software\\Belmar\\Quorvia\\Sub' /ve /t REG_MULTI_SZ /d 'a\\0b'",
          "'HKCU\\Software\\Belmar\\Quorvia' /v Bin /t REG_BINARY /d 3412"})
        EXPECT_EQ(Run(std::string("add ") + add).code, 0) << add;

    Result q = Run("query 'hkcu\\software\\belmar\\quorvia'");
    EXPECT_EQ(q.code, 0);
    EXPECT_EQ(q.out, "\nHKEY_CURRENT_USER\\software\\belmar\\quorvia\n"
                     "    User    REG_SZ    alice\n"
                     "    Timeout    REG_DWORD    0x10\n"
                     "    Neg    REG_DWORD    0xffffffff\n"
                     "    Bin    REG_BINARY    3412\n"
                     "\n"
                     "HKEY_CURRENT_USER\\software\\belmar\\quorvia\\Sub\n");
    Result sub = Run("query 'HKCU\\Software\\Belmar' /s");
    EXPECT_NE(sub.out.find("\nHKEY_CURRENT_USER\\Software\\Belmar\\Quorvia\\Sub\n"
                           "    (Default)    REG_MULTI_SZ    a\\0b\n"),
              std::string::npos)
        << sub.out;
    Result one = Run("query 'HKCU\\Software\\Belmar\\Quorvia' /v timeout");
    EXPECT_EQ(
        one.out,
        "\nHKEY_CURRENT_USER\\Software\\Belmar\\Quorvia\n    Timeout    REG_DWORD    0x10\n\n");

    // Without /f and without a terminal: refuse, change nothing.
    Result refused = Run("add 'HKCU\\Software\\Belmar\\Quorvia' /v User /d bob");
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("/f"), std::string::npos);
    EXPECT_NE(Run("query 'HKCU\\Software\\Belmar\\Quorvia' /v User").out.find("alice"),
              std::string::npos);
    EXPECT_EQ(Run("add 'HKCU\\Software\\Belmar\\Quorvia' /v User /d bob /f").code, 0);
    EXPECT_NE(Run("query 'HKCU\\Software\\Belmar\\Quorvia' /v User").out.find("bob"),
              std::string::npos);

    EXPECT_EQ(Run("delete 'HKCU\\Software\\Belmar\\Quorvia' /v User").code, 1);
    EXPECT_EQ(Run("delete 'HKCU\\Software\\Belmar\\Quorvia' /v User /f").code, 0);
    Result gone = Run("query 'HKCU\\Software\\Belmar\\Quorvia' /v User");
    EXPECT_EQ(gone.code, 1);
    EXPECT_NE(gone.err.find("unable to find"), std::string::npos);
    EXPECT_EQ(Run("delete 'HKCU\\Software\\Belmar\\Quorvia' /va /f").code, 0);
    EXPECT_EQ(Run("query 'HKCU\\Software\\Belmar\\Quorvia' /v Timeout").code, 1);
    EXPECT_EQ(Run("delete 'HKCU\\Software\\Belmar' /f").code, 0);
    EXPECT_EQ(Run("query 'HKCU\\Software\\Belmar'").code, 1);
}

TEST_F(RegToolTest, ExportAndImportRoundTrip) {
    Run("add 'HKCU\\Software\\X' /v s /d 'quote \" and \\ slash' /f");
    Run("add 'HKCU\\Software\\X\\Y' /v q /t REG_QWORD /d 0x100000000 /f");
    // The Run key lives in the autostart folder, yet is listed below Software.
    Run("add 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v Quorvia /d '\"/opt/q "
        "q/quorvia\" /wab' /f");
    const std::string file = root_ + "/export.reg";
    ASSERT_EQ(Run("export HKCU\\\\Software " + file).code, 0);
    const std::string exported = ReadFile(file);
    EXPECT_NE(
        exported.find("[HKEY_CURRENT_USER\\Software\\X]\n\"s\"=\"quote \\\" and \\\\ slash\"\n"),
        std::string::npos)
        << exported;
    EXPECT_NE(exported.find("\"Quorvia\"=\"\\\"/opt/q q/quorvia\\\" /wab\""), std::string::npos);
    EXPECT_EQ(Run("export HKCU\\\\Software " + file).code, 1)
        << "the file exists and there is no /y";
    // Operation and switch names in any case, switches with '-' too.
    ASSERT_EQ(Run("EXPORT HKCU\\\\Software " + file + " -Y").code, 0);

    ASSERT_EQ(Run("delete 'HKCU\\Software\\X' /f").code, 0);
    ASSERT_EQ(Run("import " + file).code, 0);
    EXPECT_NE(Run("query 'HKCU\\Software\\X\\Y' /v q").out.find("0x100000000"), std::string::npos);

    // regedit's own export: UTF-16LE, version 5 header, deletions.
    WriteFile(root_ + "/v5.reg", Utf16Bytes(u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n"
                                            u"[-HKEY_CURRENT_USER\\Software\\X\\Y]\r\n\r\n"
                                            u"[HKEY_CURRENT_USER\\Software\\X]\r\n\"s\"=-\r\n"
                                            u"\"e\"=hex(2):25,00,41,00,00,00\r\n"));
    ASSERT_EQ(Run("import " + root_ + "/v5.reg").code, 0);
    Result q = Run("query 'HKCU\\Software\\X'");
    EXPECT_NE(q.out.find("    e    REG_EXPAND_SZ    %A\n"), std::string::npos) << q.out;
    EXPECT_EQ(q.out.find("    s    "), std::string::npos);
    EXPECT_EQ(Run("query 'HKCU\\Software\\X\\Y'").code, 1);

    WriteFile(root_ + "/bad.reg", "[HKEY_CURRENT_USER\\Software\\Z]\n\"a\"=\"1\"\n");
    Result bad = Run("import " + root_ + "/bad.reg");
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("not a registry file"), std::string::npos);
}

TEST_F(RegToolTest, BadInputGivesClearErrors) {
    struct Case {
        const char* args;
        const char* message;
    };
    const Case cases[] = {
        {"", "OPERATION"},
        {"frobnicate HKCU", "Unknown operation"},
        {"query HKXX\\\\Software", "Invalid key name"},
        {"query '\\\\server\\HKLM\\Software'", "Remote"},
        {"query HKCU /v a /ve", "only one of"},
        {"add HKCU\\\\A /v x /t REG_DWORD /d 12z", "Invalid REG_DWORD data"},
        {"add HKCU\\\\A /v x /t REG_DWORD /d 4294967296", "Invalid REG_DWORD data"},
        {"add HKCU\\\\A /v x /t REG_BINARY /d 123", "pairs of hexadecimal"},
        {"add HKCU\\\\A /v x /t REG_WEIRD", "Unknown type"},
        {"add HKCU\\\\A /d x", "/d needs /v"},
        {"add HKCU\\\\A /v", "needs a value name"},
        {"query HKCU extra", "Too many"},
        {"query HKCU /s /S", "repeated switch"},
        {"delete HKCU\\\\A /f /F", "repeated switch"},
        {"export HKCU", "Too few"},
        {"delete HKCU /f", "root key"},
        {"import /nonexistent/file.reg", "Cannot read"},
    };
    for (const auto& c : cases) {
        Result r = Run(c.args);
        EXPECT_EQ(r.code, c.args[0] ? 1 : 0) << c.args;
        EXPECT_NE((r.err + r.out).find(c.message), std::string::npos) << c.args << "\n" << r.err;
    }
    for (const char* help : {"/?", "--help", "query /?", "add --help"}) {
        Result r = Run(help);
        EXPECT_EQ(r.code, 0) << help;
        EXPECT_NE(r.out.find("Usage: quorvia-reg"), std::string::npos) << help;
    }
}

TEST_F(RegToolTest, FileProblemsAreNamedInWordsWithTheFile) {
    const std::string folder = root_ + "/quorvia";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(::mkfifo(UserReg().c_str(), 0600), 0);
    Result fifo = Run("query HKCU\\\\Software");
    EXPECT_NE(fifo.err.find("not a regular file"), std::string::npos) << fifo.err;

    std::filesystem::remove(UserReg());
    ASSERT_EQ(Run("add HKCU\\\\Software\\\\A /v x /d 1").code, 0);
    ::chmod(UserReg().c_str(), 0400);
    Result readOnly = Run("add HKCU\\\\Software\\\\A /v x /d 2 /f");
    EXPECT_NE(readOnly.err.find("read-only"), std::string::npos) << readOnly.err;

    ::chmod(UserReg().c_str(), 0600);
    std::filesystem::remove(folder + "/user.reg.lock");
    std::filesystem::create_directory(folder + "/user.reg.lock");
    Result locked = Run("add HKCU\\\\Software\\\\A /v x /d 3 /f");
    EXPECT_NE(locked.err.find("lock could not be taken"), std::string::npos) << locked.err;

    for (const Result* r : {&fifo, &readOnly, &locked}) {
        EXPECT_EQ(r->code, 1);
        EXPECT_NE(r->err.find(UserReg()), std::string::npos) << r->err;
        EXPECT_EQ(r->err.find("code"), std::string::npos) << r->err;
    }
}

} // namespace
