// The program from its entry: the command line, the navigation sound, the
// address-book switch and the end of the run.
#include "../addressbook/fake_wab/fake_wab.h"
#include "../mainwnd/system_fixture.h"
#include "addressbook/address_book.h"
#include "app/run_quorvia.h"

#include <filesystem>

namespace {

using qv::systest::SystemTest;

constexpr const char* kSoundKey = "AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.Current";
constexpr const char* kDefaultUrl = "http://10.1.2.3/app-main.asp?app=3";
constexpr const char* kWabKey = "Software\\Microsoft\\WAB\\DLLPath";

class RunTest : public SystemTest {
protected:
    // Runs the program with these arguments; the window is closed 100 ms
    // into its run (after inspect, if given).
    int Run(std::vector<std::string> args, std::function<void()> inspect = {}) {
        args.insert(args.begin(), qv::systest::kExePath);
        auto argv = qv::test::Argv(args);
        sim.Clock().After(100, [inspect] {
            if (inspect)
                inspect();
            if (CWnd* main = AfxGetMainWnd())
                main->PostMessage(WM_CLOSE);
        });
        return RunQuorvia(static_cast<int>(args.size()), argv.data(), sim.Windows(), &sim.Shell());
    }
    std::string NavigatedUrl() {
        auto lines = Navigations();
        if (lines.size() != 1)
            return "<" + std::to_string(lines.size()) + " navigations>";
        const std::string& line = lines[0]; // "Navigate(top, URL, flags=4)"
        const auto begin = line.find(", ") + 2;
        return line.substr(begin, line.rfind(", flags=") - begin);
    }
};

struct CommandLineCase {
    const char* name;
    std::vector<std::string> args;
    std::string url;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) {
    *os << c.name;
}

class CommandLineTest : public RunTest, public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, StartUrlReachesTheBrowser) {
    Configure();
    EXPECT_EQ(Run(GetParam().args), 0);
    EXPECT_EQ(NavigatedUrl(), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"Nothing", {}, kDefaultUrl},
        CommandLineCase{"OnlySwitchesAndBlanks", {"  /NavClick", "/WAB  "}, kDefaultUrl},
        CommandLineCase{"UrlIsLowerCased",
                        {"HTTP://Console.Example/App?Host=%S"},
                        "http://console.example/app?host=10.1.2.3"},
        CommandLineCase{"OnlyTheFirstSwitchGoes", {"/wab", "http://a/", "/Wab"}, "http://a/ /wab"},
        CommandLineCase{"SwitchInsideAWord", {"http://a/x/wabc?q=/navclicked"}, "http://a/xc?q=ed"},
        CommandLineCase{
            "BytesThatAreNotUtf8", {"http://a/\xff\xc3("}, "http://a/\xEF\xBF\xBD\xEF\xBF\xBD("},
        CommandLineCase{"TenThousandCharacters",
                        {"http://a/" + std::string(9991, 'z')},
                        "http://a/" + std::string(9991, 'z')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunTest, NavigationSoundIsSilencedOnceAndOnlyWhenSet) {
    Configure();
    // Nothing set: nothing written, not even the key.
    Run({});
    EXPECT_FALSE(RegistryValueExists(HKEY_CURRENT_USER, kSoundKey));

    WriteRegistryText(HKEY_CURRENT_USER, "click.wav", kSoundKey, "", REG_SZ);
    Run({"/NAVCLICK"});
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kSoundKey, "", "?"), "click.wav");
    Run({});
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kSoundKey, "", "?"), "");
    // And it stays so: the old value is never written back.
    Run({});
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kSoundKey, "", "?"), "");
}

TEST_F(RunTest, TheVersionBlocksCompanyPicksTheSettingsKey) {
    const char* key = "software\\Belmar\\quorvia";
    WriteRegistryText(HKEY_CURRENT_USER, "10.9.8.7", key, "Adrs", REG_SZ);
    WriteRegistryText(HKEY_CURRENT_USER, "alice", key, "User", REG_SZ);
    SetSettingsCompany("Elsewhere");
    Run({});
    EXPECT_EQ(GetSettingsKey(nullptr), key);
    EXPECT_EQ(NavigatedUrl(), "http://10.9.8.7/app-main.asp?app=3");
}

// "/wab" reads the library's path from a machine registry of the test's own.
class AddressBookStartTest : public RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        std::filesystem::create_directories(root_ + "/etc/quorvia");
        qv::platform::SetModuleFileNameForTesting(root_ + "/bin/quorvia");
        ASSERT_TRUE(WriteRegistryText(HKEY_LOCAL_MACHINE, "1", kWabKey, "Version", REG_SZ));
        fake_ = LoadLibraryA(QV_FAKE_WAB);
        ASSERT_NE(fake_, nullptr);
        auto get =
            reinterpret_cast<fakewab::GetStateFn>(GetProcAddress(fake_, fakewab::kStateEntry));
        ASSERT_NE(get, nullptr);
        state_ = get();
        *state_ = fakewab::State{};
        Configure();
    }
    void TearDown() override {
        if (fake_)
            FreeLibrary(fake_);
        RunTest::TearDown();
    }
    static void UseFakeLibrary() {
        ASSERT_TRUE(WriteRegistryText(HKEY_LOCAL_MACHINE, QV_FAKE_WAB, kWabKey, "", REG_SZ));
    }
    // The book cannot be had: a box (text starting so) before the window,
    // and after OK the program runs as usual without the book.
    void ExpectReportedAndLeftOut(const std::string& text) {
        bool held = true;
        const auto boxes = sim.Windows().MessageBoxes().size();
        sim.Log().Clear();
        Run({"/wab"}, [&] {
            auto* dialog = dynamic_cast<CBrowserDlg*>(AfxGetMainWnd());
            ASSERT_NE(dialog, nullptr);
            held = dialog->m_pAddressBook != nullptr;
        });
        EXPECT_FALSE(held);
        ASSERT_EQ(sim.Windows().MessageBoxes().size(), boxes + 1);
        const auto& box = sim.Windows().MessageBoxes().back();
        EXPECT_EQ(box.type, MB_OK);
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.text.rfind(text, 0), 0u) << box.text;
        const auto& lines = sim.Log().Lines();
        EXPECT_LT(FirstLine(lines, "MessageBox("), FirstLine(lines, "CreateDialog("));
        EXPECT_EQ(NavigatedUrl(), kDefaultUrl);
    }
    static std::vector<std::string>::const_iterator FirstLine(const std::vector<std::string>& lines,
                                                              const std::string& start) {
        return std::find_if(lines.begin(), lines.end(),
                            [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    }

    HMODULE fake_ = nullptr;
    fakewab::State* state_ = nullptr;
};

TEST_F(AddressBookStartTest, MissingOrFailingBookIsReportedBeforeTheWindowAndLeftOut) {
    ExpectReportedAndLeftOut("Cannot find wab32.dll");
    UseFakeLibrary();
    state_->failCall = fakewab::Call::WABOpen;
    state_->failStatus = HRESULT(0x80040111u);
    ExpectReportedAndLeftOut("Error #80040111 (CdoE_LOGON_FAILED)");
    EXPECT_EQ(state_->objects, 0);
}

TEST_F(AddressBookStartTest, OpenedBookNamesCallersInTheAnnouncement) {
    UseFakeLibrary();
    state_->contacts = {
        fakewab::Contact{"Bob Example", {{PR_HOME_TELEPHONE_NUMBER_A, "030 1234567"}}}};
    bool held = false;
    std::string shown;
    Run({"/wab"}, [&] {
        auto* dialog = dynamic_cast<CBrowserDlg*>(AfxGetMainWnd());
        ASSERT_NE(dialog, nullptr);
        held = dynamic_cast<CAddressBook*>(dialog->m_pAddressBook.get()) != nullptr;
        // Hidden in the notification area, a call comes as a balloon.
        dialog->ShowWindow(SW_MINIMIZE);
        dialog->m_bTooltip = TRUE;
        dialog->OnDisplayRows("0301234567", "Call");
        if (sim.Shell().Balloon())
            shown = sim.Shell().Balloon()->text;
    });
    EXPECT_TRUE(sim.Windows().MessageBoxes().empty());
    EXPECT_TRUE(held);
    EXPECT_EQ(shown, "Bob Example");
    EXPECT_EQ(state_->Calls(fakewab::Call::WABOpen), 1);
    EXPECT_TRUE(state_->fileNameNull);
    // The window gave the session back when it closed.
    EXPECT_EQ(state_->objects, 0);
    EXPECT_EQ(state_->buffers, 0);
    EXPECT_EQ(NavigatedUrl(), kDefaultUrl);
}

TEST_F(RunTest, RunHostsTheBrowserWithTheProgramsSiteAndEndsCleanly) {
    Configure();
    WriteSettingString(nullptr, "Adrs", "pabx");
    IDispatch* external = nullptr;
    int nested = 0;
    const int code = Run({}, [&] {
        auto* app = dynamic_cast<CBrowserApp*>(AfxGetApp());
        auto* dialog = dynamic_cast<CBrowserDlg*>(AfxGetMainWnd());
        ASSERT_TRUE(app && dialog);
        auto* browser = sim.Windows().Browser(::GetDlgItem(dialog->m_hWnd, IDC_EXPLORER));
        ASSERT_NE(browser, nullptr);
        external = browser->External().get();
        EXPECT_EQ(external, static_cast<IDispatch*>(app->m_pExternal.get()));
        // One program per process run.
        nested = RunQuorvia(0, nullptr, sim.Windows(), &sim.Shell());
    });
    EXPECT_EQ(code, 0);
    EXPECT_NE(external, nullptr);
    EXPECT_EQ(nested, -1);
    EXPECT_EQ(AfxGetApp(), nullptr);
    EXPECT_FALSE(sim.Shell().IconShown());
    // The platform the caller had is in place again.
    EXPECT_EQ(qv::platform::GetWindowSystem(), &sim.Windows());
}

std::optional<std::string> Information(std::vector<std::string> args) {
    args.insert(args.begin(), "/usr/bin/quorvia");
    auto argv = qv::test::Argv(args);
    return ProgramInformation(static_cast<int>(args.size()), argv.data());
}

TEST(ProgramInformationTest, HelpAndVersionAreWholeArgumentsAnywhere) {
    const auto help = Information({"/wab", "--help"});
    ASSERT_TRUE(help);
    EXPECT_EQ(help->rfind("Usage: quorvia ", 0), 0u) << *help;
    EXPECT_NE(help->find("instead of http://%s/app-main.asp?app=3"), std::string::npos);
    EXPECT_EQ(Information({"/?"}), help);
    EXPECT_EQ(Information({"-H"}), help);
    const auto version = Information({"--version"});
    ASSERT_TRUE(version);
    EXPECT_EQ(version->rfind("Quorvia Browser 1.4.2\nCopyright", 0), 0u) << *version;
    // Anything else is the command line the program runs with.
    EXPECT_FALSE(Information({}));
    EXPECT_FALSE(Information({"http://pabx/--help", "/navclick"}));
    EXPECT_FALSE(Information({"--versions"}));
}

} // namespace
