// The program from its entry: the command line, the navigation sound, the
// address-book switch and the end of the run.
#include "../mainwnd/system_fixture.h"
#include "app/run_quorvia.h"

namespace {

using qv::systest::SystemTest;

constexpr const char* kSoundKey = "AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.Current";
constexpr const char* kDefaultUrl = "http://10.1.2.3/app-main.asp?app=3";

class RunTest : public SystemTest {
protected:
    // Runs the program with these arguments; the window is closed 100 ms
    // into its run (after inspect, if given).
    int Run(std::vector<std::string> args, std::function<void()> inspect = {}) {
        args.insert(args.begin(), qv::systest::kExePath);
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
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
            "OtherPercentSequencesStayLiteral", {"http://a/%n%x%d%"}, "http://a/%n%x%d%"},
        CommandLineCase{"TwoAddresses", {"http://%s/%s"}, "http://10.1.2.3/10.1.2.3"},
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

TEST_F(RunTest, AddressBookSwitchReportsItsAbsenceBeforeTheWindow) {
    Configure();
    Run({"/wab"});
    ASSERT_EQ(sim.Windows().MessageBoxes().size(), 1u);
    const auto& box = sim.Windows().MessageBoxes()[0];
    EXPECT_EQ(box.type, MB_OK);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text.rfind("Cannot find wab32.dll", 0), 0u);
    const auto& lines = sim.Log().Lines();
    const auto boxAt = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("MessageBox(", 0) == 0;
    });
    const auto windowAt = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("CreateDialog(", 0) == 0;
    });
    EXPECT_LT(boxAt, windowAt);
    // After OK the program runs as usual.
    EXPECT_EQ(NavigatedUrl(), kDefaultUrl);
}

TEST_F(RunTest, RunHostsTheBrowserWithTheProgramsSiteAndEndsCleanly) {
    Configure();
    WriteSettingString(nullptr, "Adrs", "pabx");
    IDispatch* external = nullptr;
    DWORD border = 0;
    int nested = 0;
    const int code = Run({}, [&] {
        auto* app = dynamic_cast<CBrowserApp*>(AfxGetApp());
        auto* dialog = dynamic_cast<CBrowserDlg*>(AfxGetMainWnd());
        ASSERT_TRUE(app && dialog);
        auto* browser = sim.Windows().Browser(::GetDlgItem(dialog->m_hWnd, IDC_EXPLORER));
        ASSERT_NE(browser, nullptr);
        border = browser->HostInfo()->dwFlags;
        external = browser->External().get();
        EXPECT_EQ(external, static_cast<IDispatch*>(app->m_pExternal.get()));
        // One program per process run.
        nested = RunQuorvia(0, nullptr, sim.Windows(), &sim.Shell());
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(border, DOCHOSTUIFLAG_NO3DBORDER);
    EXPECT_NE(external, nullptr);
    EXPECT_EQ(nested, -1);
    EXPECT_EQ(AfxGetApp(), nullptr);
    EXPECT_FALSE(sim.Shell().IconShown());
    // The platform the caller had is in place again.
    EXPECT_EQ(qv::platform::GetWindowSystem(), &sim.Windows());
}

TEST(ParseCommandLineTest, SwitchesAndRest) {
    auto request = ParseCommandLine("\t/NAVclick  http://A/B  ");
    EXPECT_TRUE(request.navClick);
    EXPECT_FALSE(request.addressBook);
    EXPECT_EQ(request.urlFormat, "http://a/b");
    request = ParseCommandLine("/navclick/wab/navclick");
    EXPECT_TRUE(request.navClick);
    EXPECT_TRUE(request.addressBook);
    EXPECT_EQ(request.urlFormat, "/navclick");
}

} // namespace
