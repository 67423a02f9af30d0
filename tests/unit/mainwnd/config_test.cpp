// Editing the configuration: what the dialog shows, what a confirmation
// applies and stores, when a login is due, and the autostart entry.
#include "mainwnd/autostart_command.h"
#include "system_fixture.h"

#include <functional>

namespace {

using namespace qv::systest;

std::string Text(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    return control ? qv::platform::GetWindowTextString(control) : "<missing>";
}
int Check(HWND dialog, int id) {
    return static_cast<int>(::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0));
}
void SetText(HWND dialog, int id, const char* text) {
    ::SetWindowTextA(::GetDlgItem(dialog, id), text);
}
void SetCheck(HWND dialog, int id, bool checked) {
    ::SendMessageA(::GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

class ConfigTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window = owned.get();
        window->realConfiguration = true;
        window->m_nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    }

    // The configuration dialog among the shown top-level windows.
    HWND ConfigWindow() {
        const std::vector<HWND> shown = WindowsWith(IDC_TIMEOUT_SPIN, true);
        return shown.empty() ? nullptr : shown.front();
    }

    // Plays the user: looks at the dialog and changes it (change), presses a button.
    BOOL Edit(const std::function<void(HWND)>& change, int button = IDOK) {
        sim.Clock().After(10, [this, change, button] {
            HWND dialog = ConfigWindow();
            ASSERT_NE(dialog, nullptr) << "the configuration dialog is not up";
            if (change)
                change(dialog);
            ::PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
        });
        return window->EditConfiguration();
    }

    static std::string RunEntry() {
        return ReadRegistryText(HKEY_CURRENT_USER, kRunKey, "Quorvia", "<none>");
    }
    static std::string Stored(const char* name) {
        return GetSettingString(nullptr, name, "<none>");
    }

    RecordingDlg* window = nullptr;
};

TEST_F(ConfigTest, ShowsTheCurrentValuesAndCancelChangesNothing) {
    window->m_bTooltip = TRUE;
    window->m_nTimeout = 7;
    LogIn();
    const BOOL due = Edit(
        [this](HWND dialog) {
            EXPECT_EQ(Text(dialog, IDC_ADDRESS), "10.1.2.3");
            EXPECT_EQ(Text(dialog, IDC_USER), "alice");
            EXPECT_EQ(Text(dialog, IDC_PASSWORD), "s3cret");
            EXPECT_EQ(Text(dialog, IDC_TIMEOUT), "7");
            EXPECT_EQ(Check(dialog, IDC_CALL_TOOLTIP), BST_CHECKED);
            EXPECT_EQ(Check(dialog, IDC_AUTOLOGIN), BST_CHECKED);
            EXPECT_EQ(Check(dialog, IDC_AUTOSTART), BST_UNCHECKED);
            const auto& spin = sim.Windows().Window(::GetDlgItem(dialog, IDC_TIMEOUT_SPIN))->upDown;
            EXPECT_EQ(spin.Low(), 0);
            EXPECT_EQ(spin.High(), 120);
            EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_ADDRESS)));
            EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_CALL_TOOLTIP)));
            SetText(dialog, IDC_ADDRESS, "pabx.example");
            SetText(dialog, IDC_USER, "bob");
            SetCheck(dialog, IDC_AUTOSTART, true);
        },
        IDCANCEL);
    EXPECT_FALSE(due);
    EXPECT_EQ(window->m_strAddress, "10.1.2.3");
    EXPECT_EQ(window->m_strUser, "alice");
    EXPECT_FALSE(window->m_bAutostart);
    EXPECT_EQ(Stored("User"), "alice");
    EXPECT_EQ(RunEntry(), "<none>");
}

TEST_F(ConfigTest, ALoginIsDueOnlyForNewCredentialsOrWhenLoggedOutAndOnlyChangesAreStored) {
    // Logged out: even an unchanged confirmation asks for a login. Values
    // left as they were are not written again.
    DeleteRegistryValue(HKEY_CURRENT_USER, GetSettingsKey(nullptr).c_str(), "User");
    window->m_nTimeout = 9;
    EXPECT_TRUE(Edit(nullptr));
    EXPECT_EQ(Stored("User"), "<none>");
    EXPECT_EQ(Setting("Timeout"), -12345);

    LogIn();
    EXPECT_FALSE(Edit(nullptr));
    // Options alone are stored, but need no new login.
    EXPECT_FALSE(Edit([](HWND dialog) {
        SetCheck(dialog, IDC_CALL_TOOLTIP, true);
        SetCheck(dialog, IDC_AUTOLOGIN, false);
        SetText(dialog, IDC_TIMEOUT, "120");
    }));
    EXPECT_TRUE(window->m_bTooltip);
    EXPECT_FALSE(window->m_bAutoLogin);
    EXPECT_EQ(window->m_nTimeout, 120);
    EXPECT_EQ(Setting("Tooltip"), 1);
    EXPECT_EQ(Setting("Autolog"), 0);
    EXPECT_EQ(Setting("Timeout"), 120);

    // A password that differs only in letter case is a new one.
    EXPECT_TRUE(Edit([](HWND dialog) { SetText(dialog, IDC_PASSWORD, "S3CRET"); }));
    EXPECT_EQ(window->m_strPassword, "S3CRET");
    EXPECT_EQ(GetScrambledSetting(nullptr, "Pass", kPasswordSeed), "S3CRET");
    EXPECT_NE(Stored("Pass"), qv::settings::ScramblePassword("s3cret", kPasswordSeed));

    // So is each of address and user name alone.
    EXPECT_TRUE(Edit([](HWND dialog) { SetText(dialog, IDC_ADDRESS, "pabx.example"); }));
    EXPECT_TRUE(Edit([](HWND dialog) { SetText(dialog, IDC_USER, "Alice"); }));
    EXPECT_EQ(window->m_strAddress, "pabx.example");
    EXPECT_EQ(Stored("Adrs"), "pabx.example");
    EXPECT_EQ(Stored("User"), "Alice");
}

TEST_F(ConfigTest, ATimeoutOutsideTheRangeKeepsTheDialogOpenWithAMessageInTheUsersLanguage) {
    LogIn();
    ::setenv("LC_ALL", "de_CH.UTF-8", 1);
    bool stillOpen = false;
    sim.Clock().After(50, [&] {
        HWND dialog = ConfigWindow();
        stillOpen = dialog != nullptr;
        if (dialog)
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(Edit([](HWND dialog) {
        SetText(dialog, IDC_TIMEOUT, "121");
        SetText(dialog, IDC_USER, "bob");
    }));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(sim.Windows().MessageBoxes().size(), 1u);
    EXPECT_EQ(sim.Windows().MessageBoxes()[0].text,
              "Geben Sie eine ganze Zahl zwischen 0 und 120 ein.");
    EXPECT_EQ(window->m_nTimeout, 5);
    EXPECT_EQ(window->m_strUser, "alice");
    EXPECT_EQ(Setting("Timeout"), -12345);
}

TEST_F(ConfigTest, FixedAddressAndMissingBalloonsDisableTheirControls) {
    window->m_strUrlFormat = "https://console.example/start";
    window->m_nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    window->m_bTooltip = TRUE;
    EXPECT_TRUE(Edit([](HWND dialog) {
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_ADDRESS)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_CALL_TOOLTIP)));
    }));
    // Disabled controls still pass their values through.
    EXPECT_EQ(window->m_strAddress, "10.1.2.3");
    EXPECT_TRUE(window->m_bTooltip);
    EXPECT_EQ(Stored("Adrs"), "10.1.2.3");
}

TEST_F(ConfigTest, TheAutostartEntryFollowsTheBoxOnEveryConfirmation) {
    LogIn();
    app.m_lpCmdLine = "/wab";
    EXPECT_FALSE(Edit([](HWND dialog) { SetCheck(dialog, IDC_AUTOSTART, true); }));
    EXPECT_TRUE(window->m_bAutostart);
    EXPECT_EQ(RunEntry(), std::string(kExePath) + " /wab");

    // Written again on an unchanged confirmation: a path that moved is
    // mended. Linux paths may exceed MAX_PATH; a cut one would start nothing.
    const std::string moved = "/opt/Quorvia Browser/" + std::string(400, 'q') + "/quorvia";
    qv::platform::SetModuleFileNameForTesting(moved);
    app.m_lpCmdLine = "";
    EXPECT_FALSE(Edit(nullptr));
    EXPECT_EQ(RunEntry(), "\"" + moved + "\"");

    EXPECT_FALSE(Edit([](HWND dialog) { SetCheck(dialog, IDC_AUTOSTART, false); }));
    EXPECT_FALSE(window->m_bAutostart);
    EXPECT_EQ(RunEntry(), "<none>");
}

TEST(AutostartCommandLine, QuotesAPathWithWhiteSpaceAndAppendsTheArguments) {
    EXPECT_EQ(AutostartCommandLine("/usr/bin/quorvia", ""), "/usr/bin/quorvia");
    EXPECT_EQ(AutostartCommandLine("  /usr/bin/quorvia\n", "  \t"), "/usr/bin/quorvia");
    EXPECT_EQ(AutostartCommandLine("/opt/My Apps/quorvia", " /wab "),
              "\"/opt/My Apps/quorvia\" /wab");
    EXPECT_EQ(AutostartCommandLine("/opt/tab\there/q", "http://%s/x /navclick"),
              "\"/opt/tab\there/q\" http://%s/x /navclick");
}

} // namespace
