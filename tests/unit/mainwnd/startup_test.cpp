// The main window's start: settings, geometry, icon, first navigation.
#include "settings/scramble.h"
#include "system_fixture.h"

#include <climits>

namespace {

using qv::systest::MainWindowTest;
using qv::systest::RecordingDlg;
using qv::systest::WindowTest;

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST_F(MainWindowTest, ReadsTheSettingsAndLogsInToTheStoredAddress) {
    WriteSettingInt(nullptr, "IP", 0x0A000001);
    WriteSettingString(nullptr, "User", "alice");
    WriteScrambledSetting(nullptr, "Pass", "s3cret", kPasswordSeed);
    WriteSettingInt(nullptr, "Autolog", 0);
    WriteSettingInt(nullptr, "Tooltip", 1);
    WriteSettingInt(nullptr, "Timeout", 9);
    WriteRegistryText(HKEY_CURRENT_USER, "quorvia", kRunKey, "Quorvia", REG_SZ);
    RecordingDlg dialog;
    Open(dialog);

    // "Adrs" missing: the packed "IP" written out, most significant byte first.
    EXPECT_EQ(dialog.m_strAddress, "10.0.0.1");
    EXPECT_EQ(dialog.m_strPassword, "s3cret");
    EXPECT_FALSE(dialog.m_bAutoLogin);
    EXPECT_TRUE(dialog.m_bTooltip);
    EXPECT_EQ(dialog.m_nTimeout, 9);
    EXPECT_TRUE(dialog.m_bAutostart);
    EXPECT_EQ(dialog.configurations, 0);
    EXPECT_EQ(Navigations(), std::vector<std::string>{
                                 "Navigate(top, http://10.0.0.1/app-main.asp?app=3, flags=4)"});
    EXPECT_TRUE(dialog.m_bLoginPending);
}

TEST_F(MainWindowTest, DefaultsOnAFirstStartAndTheConfigurationComesBeforeTheLogin) {
    RecordingDlg dialog;
    Open(dialog);
    EXPECT_EQ(dialog.m_strAddress, "192.168.0.240");
    EXPECT_TRUE(dialog.m_bAutoLogin);
    EXPECT_FALSE(dialog.m_bTooltip);
    EXPECT_EQ(dialog.m_nTimeout, 5);
    EXPECT_FALSE(dialog.m_bAutostart);
    // No user: the configuration is asked for, nothing is navigated while
    // it brings nothing new.
    EXPECT_EQ(dialog.configurations, 1);
    EXPECT_TRUE(Navigations().empty());
    EXPECT_FALSE(dialog.m_bLoginPending);
    EXPECT_FALSE(dialog.IsWindowVisible());

    // A confirmed one logs in at once.
    RecordingDlg confirmed;
    confirmed.configurationAnswer = TRUE;
    Open(confirmed);
    EXPECT_EQ(Navigations().size(), 1u);
    EXPECT_TRUE(confirmed.m_bLoginPending);
}

TEST_F(WindowTest, TitleIconsSystemMenuAndNotificationIcon) {
    CBrowserDlg& dialog = *owned;
    std::string title;
    dialog.GetWindowText(title);
    EXPECT_EQ(title, "Quorvia Browser");
    auto* window = sim.Windows().Window(dialog.m_hWnd);
    EXPECT_NE(window->bigIcon, nullptr);
    EXPECT_EQ(window->smallIcon, dialog.m_hSmallIcon);
    EXPECT_NE(dialog.m_hSmallIcon, nullptr);

    CMenu* system = dialog.GetSystemMenu(FALSE);
    ASSERT_NE(system, nullptr);
    const int count = system->GetMenuItemCount();
    ASSERT_GE(count, 6);
    EXPECT_EQ(system->GetMenuState(count - 6, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    const std::vector<std::pair<UINT, std::string>> expected = {
        {IDM_CONFIGURATION, "&Configuration..."},
        {IDM_LOGIN, "&Login"},
        {IDM_LOGOUT, "Log&out"},
        {IDM_README, "&Readme..."},
        {IDM_INFO, "&Info..."}};
    for (int i = 0; i < 5; ++i) {
        std::string text;
        system->GetMenuString(count - 5 + i, text, MF_BYPOSITION);
        EXPECT_EQ(system->GetMenuItemID(count - 5 + i), expected[i].first);
        EXPECT_EQ(text, expected[i].second);
    }

    EXPECT_TRUE(sim.Shell().IconShown());
    EXPECT_EQ(sim.Shell().CallbackMessage(), WM_NOTIFYICON);
    EXPECT_EQ(sim.Shell().Icon(), dialog.m_hSmallIcon);
    EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged out");
}

TEST_F(MainWindowTest, BalloonsNeedTheShellOfVersionFive) {
    Configure();
    for (DWORD major : {4u, 5u, 0u}) {
        sim.Shell().SetMajorVersion(major);
        sim.Shell().SetVersionFails(major == 0);
        CBrowserDlg dialog;
        Open(dialog);
        EXPECT_EQ(dialog.m_nid.cbSize,
                  major >= 5 ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE)
            << major;
        EXPECT_EQ(sim.Shell().Tip(), "Quorvia Browser - Logged out");
        dialog.ReleaseResources();
    }
}

struct GeometryCase {
    const char* name;
    std::vector<std::pair<const char*, int>> stored;
    RECT expected; // left, top, width, height
    RECT workArea = {0, 0, 1920, 1040};
    std::vector<std::pair<int, int>> metrics = {};
};

void PrintTo(const GeometryCase& c, std::ostream* os) {
    *os << c.name;
}

class GeometryTest : public MainWindowTest, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(GeometryTest, RestoresTheStoredRectangleWithinReach) {
    const GeometryCase& c = GetParam();
    for (const auto& [name, value] : c.stored)
        WriteSettingInt(nullptr, name, value);
    sim.Windows().SetWorkArea(c.workArea);
    for (const auto& [index, value] : c.metrics)
        sim.Windows().SetMetric(index, value);
    Configure();
    CBrowserDlg dialog;
    Open(dialog);
    const RECT& e = c.expected;
    EXPECT_EQ(sim.Log().Matching("MoveWindow(w1"),
              std::vector<std::string>{"MoveWindow(w1, " + std::to_string(e.left) + ", " +
                                       std::to_string(e.top) + ", " + std::to_string(e.right) +
                                       ", " + std::to_string(e.bottom) + ", repaint=0)"});
}

// The sim's template client area is 366 x 521; minimum tracking size
// 136 x 39; screen 1920 x 1080, the whole desktop unless a case adds a
// second screen of 2560 x 1440.
INSTANTIATE_TEST_SUITE_P(
    Clamping, GeometryTest,
    ::testing::Values(
        GeometryCase{"NothingStored", {}, {64, 64, 64 + 366, 64 + 521}},
        GeometryCase{"SizeDefaultsFollowTheStoredPosition",
                     {{"XPosition", 100}, {"YPosition", 20}},
                     {100, 20, 100 + 366, 20 + 521}},
        GeometryCase{
            "TinySizeRaisedToTheMinimum", {{"XWidth", 10}, {"YHeight", -3}}, {64, 64, 136, 39}},
        GeometryCase{"FarLeftAndAbove",
                     {{"XPosition", -5000}, {"YPosition", -70}},
                     {100, 30, 136, 521 - 70},
                     {100, 30, 1920, 1040}},
        GeometryCase{"JustInsideTheRightAndBottomEdges",
                     {{"XPosition", 1900}, {"YPosition", 1030}, {"XWidth", 400}, {"YHeight", 300}},
                     {1920 - 136, 1040 - 39, 400, 300}},
        GeometryCase{"LeftEdgeWinsOverTheRightEdge",
                     {{"XPosition", 50}, {"XWidth", 400}, {"YHeight", 300}},
                     {0, 64, 400, 300},
                     {0, 0, 100, 1040}},
        GeometryCase{"HugeSizeCappedToTheDesktop",
                     {{"XWidth", 100000}, {"YHeight", 100000}},
                     {64, 64, 1920 + 2560, 1440},
                     {0, 0, 1920, 1040},
                     {{SM_CXVIRTUALSCREEN, 1920 + 2560}, {SM_CYVIRTUALSCREEN, 1440}}},
        GeometryCase{"LargerThanThePrimaryScreenStaysOnALargerDesktop",
                     {{"XWidth", 2400}, {"YHeight", 1400}},
                     {64, 64, 2400, 1400},
                     {0, 0, 1920, 1040},
                     {{SM_CXVIRTUALSCREEN, 1920 + 2560}, {SM_CYVIRTUALSCREEN, 1440}}},
        GeometryCase{
            "PositionsAtTheIntegerLimits",
            {{"XPosition", INT_MAX}, {"YPosition", INT_MIN}, {"XWidth", 200}, {"YHeight", 200}},
            {1920 - 136, 0, 200, 200}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, TheRestoredPlacementIsSavedForTheNextStart) {
    Configure();
    {
        CBrowserDlg dialog;
        Open(dialog);
        dialog.MoveWindow(130, 170, 500, 420);
        dialog.ShowWindow(SW_MINIMIZE); // the restored rectangle is what counts
        dialog.ReleaseResources();
    }
    EXPECT_EQ(Setting("Minimized"), 1);
    EXPECT_EQ(Setting("XPosition"), 130);
    EXPECT_EQ(Setting("YPosition"), 170);
    EXPECT_EQ(Setting("XWidth"), 500);
    EXPECT_EQ(Setting("YHeight"), 420);
}

TEST_F(WindowTest, BrowserFollowsTheClientArea) {
    CBrowserDlg& dialog = *owned;
    auto* browser = BrowserOf(dialog);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(dialog.m_cxBrowserMargin, 0);
    EXPECT_EQ(dialog.m_cyBrowserMargin, 0);
    dialog.MoveWindow(0, 0, 808, 648);
    LONG width = 0, height = 0;
    browser->get_Width(&width);
    browser->get_Height(&height);
    RECT client;
    dialog.GetClientRect(&client);
    EXPECT_EQ(width, client.right);
    EXPECT_EQ(height, client.bottom);
    // Minimising sets the control to the negated margins: 0 by 0 here.
    dialog.ShowWindow(SW_MINIMIZE);
    browser->get_Width(&width);
    EXPECT_EQ(width, 0);
}

} // namespace
