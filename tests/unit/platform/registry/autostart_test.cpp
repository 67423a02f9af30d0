#include "platform/registry/autostart.h"
#include "reg_test.h"

namespace autostart = qv::platform::registry::autostart;

namespace {

using namespace qv::test;

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class AutostartTest : public ConfigHomeTest {
protected:
    std::string Desktop(const std::string& stem) {
        return root_ + "/autostart/" + stem + ".desktop";
    }
};

TEST_F(AutostartTest, RunValueIsADesktopFile) {
    // The Run key exists even before anything is in it, as on Windows.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_ALL_ACCESS, &key),
              LSTATUS(ERROR_SUCCESS));
    const std::string command = "\"/opt/Quorvia Browser/bin/quorvia\" /wab";
    ASSERT_EQ(SetString(kRun, "Quorvia", command), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(ReadFile(Desktop("Quorvia")),
              "[Desktop Entry]\nType=Application\nName=Quorvia\n"
              "Exec=\"/opt/Quorvia Browser/bin/quorvia\" /wab\nX-GNOME-Autostart-enabled=true\n"
              "X-Quorvia-Value-Name=Quorvia\n");
    EXPECT_EQ(GetString(kRun, "quorvia"), command);
    EXPECT_FALSE(std::filesystem::exists(UserReg())) << "the Run key never lands in user.reg";

    EXPECT_EQ(RegDeleteValueA(key, "QUORVIA"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteValueA(key, "Quorvia"), LSTATUS(ERROR_FILE_NOT_FOUND));
    RegCloseKey(key);
    EXPECT_FALSE(std::filesystem::exists(Desktop("Quorvia")));
    EXPECT_EQ(GetString(kRun, "Quorvia"), "<missing>");
}

TEST_F(AutostartTest, ExecQuotingFollowsTheDesktopEntryRules) {
    struct Case {
        const char* commandLine;
        const char* exec;
    };
    const Case cases[] = {
        {"/usr/bin/quorvia", "/usr/bin/quorvia"},
        {"\"/usr/bin/quorvia\"", "/usr/bin/quorvia"},
        {"\"/opt/a b/q\" x", "\"/opt/a b/q\" x"},
        {"q \"two words\"", "q \"two words\""},
        {"q $HOME `id` 50%", "q \"\\\\$HOME\" \"\\\\`id\\\\`\" 50%%"},
        {"q \"say \\\"hi\\\"\"", "q \"say \\\\\"hi\\\\\"\""},
        {"q C:\\dir\\", "q \"C:\\\\\\\\dir\\\\\\\\\""},
        {"q \"\"", "q \"\""},
        {"q a;b", "q \"a;b\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(autostart::CommandLineToExec(c.commandLine), c.exec) << c.commandLine;
        // And back: the canonical command line for the same arguments.
        const std::string canonical =
            autostart::JoinCommandLine(autostart::SplitCommandLine(c.commandLine));
        EXPECT_EQ(autostart::ExecToCommandLine(c.exec), canonical) << c.exec;
    }
}

TEST_F(AutostartTest, WindowsCommandLineSplitting) {
    using V = std::vector<std::string>;
    EXPECT_EQ(autostart::SplitCommandLine("\"C:\\Program Files\\q.exe\" a"),
              (V{"C:\\Program Files\\q.exe", "a"}));
    EXPECT_EQ(autostart::SplitCommandLine("q a\\\\\"b c\" d"), (V{"q", "a\\b c", "d"}));
    EXPECT_EQ(autostart::SplitCommandLine("q a\\\"b"), (V{"q", "a\"b"}));
    EXPECT_EQ(autostart::SplitCommandLine("q a\\\\b"), (V{"q", "a\\\\b"}));
    EXPECT_EQ(autostart::SplitCommandLine("   "), V{});
    EXPECT_EQ(autostart::JoinCommandLine({"/a b/q", "x y", "", "t\\"}),
              "\"/a b/q\" \"x y\" \"\" t\\");
}

TEST_F(AutostartTest, NamesBecomeSafeFileNames) {
    ASSERT_EQ(SetString(kRun, "../evil/name", "q"), LSTATUS(ERROR_SUCCESS));
    EXPECT_TRUE(std::filesystem::exists(Desktop("_.._evil_name")));
    EXPECT_EQ(GetString(kRun, "../evil/name"), "q");
    ASSERT_EQ(SetString(kRun, ".hidden", "h"), LSTATUS(ERROR_SUCCESS));
    EXPECT_TRUE(std::filesystem::exists(Desktop("_.hidden")));
    // A different value whose safe name collides gets a file of its own.
    ASSERT_EQ(SetString(kRun, "_.hidden", "other"), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(GetString(kRun, ".hidden"), "h");
    EXPECT_EQ(GetString(kRun, "_.hidden"), "other");
    EXPECT_TRUE(std::filesystem::exists(Desktop("_.hidden-2")));
    EXPECT_EQ(autostart::SanitizeStem("a\nb/c"), "a_b_c");
    EXPECT_EQ(autostart::SanitizeStem(""), "_");
}

TEST_F(AutostartTest, ListsOnlyEnabledApplications) {
    WriteFile(Desktop("org.example.Tool"),
              "[Desktop Entry]\nType=Application\nName=Tool\nExec=tool --start %U\n");
    WriteFile(Desktop("off"), "[Desktop Entry]\nType=Application\nExec=off\nHidden=true\n");
    WriteFile(Desktop("gnome-off"),
              "[Desktop Entry]\nType=Application\nExec=x\nX-GNOME-Autostart-enabled=false\n");
    WriteFile(Desktop("link"), "[Desktop Entry]\nType=Link\nURL=http://x\n");
    WriteFile(root_ + "/autostart/readme.txt", "not an entry");

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRun, 0, KEY_READ, &key), LSTATUS(ERROR_SUCCESS));
    EXPECT_EQ(Names(key, true), std::vector<std::string>{"org.example.Tool"});
    RegCloseKey(key);
    EXPECT_EQ(GetString(kRun, "org.example.Tool"), "tool --start")
        << "field codes are for launchers";
    EXPECT_EQ(GetString(kRun, "off"), "<missing>");
}

} // namespace
