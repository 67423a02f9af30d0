// The incoming-call announcement: balloon or raised window by the
// decision table, the countdowns of the one-second timer, the user taking
// the window over, and falling back to raising when balloons fail.
#include "platform/debug_trace.h"
#include "system_fixture.h"

namespace {

using namespace qv::systest;

enum class Where { Front, Behind, Minimised, Hidden };

class PopupTest : public WindowTest {
protected:
    HWND ours() { return dialog().m_hWnd; }
    bool Topmost() { return sim.Windows().Window(ours())->topmost; }
    bool Visible() { return dialog().IsWindowVisible() && !dialog().IsIconic(); }
    void Idle() { dialog().SendMessage(WM_KICKIDLE); }

    // The window where the case wants it, another application in front
    // unless ours is; the transcript starts here. Minimised is not hidden:
    // no idle moment lets it go to the notification area.
    void Place(Where where) {
        dialog().ShowWindow(SW_SHOWNORMAL);
        if (where != Where::Front)
            other = sim.Windows().CreateForeignWindow("Editor");
        if (where == Where::Hidden || where == Where::Minimised)
            dialog().ShowWindow(SW_MINIMIZE);
        if (where != Where::Minimised)
            Idle();
        sim.Log().Clear();
    }
    std::size_t BalloonCalls() {
        return sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY, size=488, flags=NIF_INFO, info=\"0");
    }

    HWND other = nullptr;
};

struct TableCase {
    const char* name;
    bool tooltip;
    DWORD record;
    Where where;
    int timeout;
    // What follows.
    bool balloon;
    int state;
    int countdown;
    bool visible;
    bool topmost;
    bool foreground; // ours
};

// Names the case in CTest's list instead of the struct's bytes.
void PrintTo(const TableCase& c, std::ostream* os) {
    *os << c.name;
}

class DecisionTableTest : public PopupTest, public ::testing::WithParamInterface<TableCase> {};

TEST_P(DecisionTableTest, CallEntersTheStateTheTableGives) {
    const TableCase& c = GetParam();
    Place(c.where);
    dialog().m_bTooltip = c.tooltip;
    dialog().m_nid.cbSize = c.record;
    dialog().m_nTimeout = c.timeout;
    dialog().OnDisplayRows("0301234567", "Call");

    EXPECT_EQ(sim.Shell().Balloon().has_value(), c.balloon);
    if (c.balloon) {
        EXPECT_EQ(sim.Shell().Balloon()->text, "0301234567");
        EXPECT_EQ(sim.Shell().Balloon()->title, "Call");
        EXPECT_EQ(sim.Shell().Balloon()->timeoutMs, UINT(std::max(c.timeout, 0) * 1000));
        EXPECT_EQ(sim.Shell().Balloon()->flags, NIIF_INFO);
    }
    EXPECT_EQ(dialog().m_nPopupState, c.state);
    EXPECT_EQ(dialog().m_nPopupCountdown, c.countdown);
    EXPECT_EQ(Visible(), c.visible);
    EXPECT_EQ(Topmost(), c.topmost);
    EXPECT_EQ(::GetForegroundWindow() == ours(), c.foreground);
    if (c.where == Where::Minimised && !c.visible) {
        EXPECT_TRUE(dialog().IsIconic()); // the balloon leaves it where it was
    }
}

INSTANTIATE_TEST_SUITE_P(
    Announcement, DecisionTableTest,
    ::testing::Values(
        TableCase{"BalloonInFront", true, 488, Where::Front, 5, false, 0, 0, true, false, true},
        TableCase{"BalloonBehind", true, 488, Where::Behind, 5, true, 0, 5, true, false, false},
        TableCase{"BalloonMinimised", true, 488, Where::Minimised, 5, true, 0, 5, false, false,
                  false},
        TableCase{"BalloonHiddenNoTimeout", true, 488, Where::Hidden, 0, true, 0, 0, false, false,
                  false},
        TableCase{"InFront", false, 488, Where::Front, 5, false, 0, 0, true, false, true},
        TableCase{"Behind", false, 488, Where::Behind, 5, false, 1, 5, true, true, false},
        // Restored without taking the keyboard from the user's window.
        TableCase{"Minimised", false, 488, Where::Minimised, 5, false, 2, 5, true, true, false},
        TableCase{"Hidden", false, 488, Where::Hidden, 5, false, 2, 5, true, true, false},
        TableCase{"HiddenNoTimeout", false, 488, Where::Hidden, 0, false, 0, 0, true, false, true},
        TableCase{"BehindNegativeTimeout", false, 488, Where::Behind, -3, false, 0, 0, true, false,
                  true},
        TableCase{"TooltipWithTheShortRecordRaises", true, 88, Where::Behind, 5, false, 1, 5, true,
                  true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PopupTest, AnEmptyRowOneAnnouncesNothing) {
    for (bool tooltip : {true, false}) {
        for (Where where : {Where::Behind, Where::Hidden}) {
            Place(where);
            dialog().m_bTooltip = tooltip;
            const bool visible = Visible();
            dialog().OnDisplayRows("", "Call");
            EXPECT_FALSE(sim.Shell().Balloon().has_value());
            EXPECT_EQ(Visible(), visible);
            EXPECT_FALSE(Topmost());
            EXPECT_EQ(dialog().m_nPopupCountdown, 0);
            EXPECT_TRUE(sim.Log().Matching("SetWindowPos(").empty());
        }
    }
}

TEST_F(PopupTest, RaisingNeverActivatesAndTheNthTickSendsItToTheBottom) {
    Place(Where::Behind);
    dialog().m_nTimeout = 3;
    dialog().OnDisplayRows("0301", "Call");
    const std::string flags = "SWP_NOSIZE|SWP_NOMOVE|SWP_NOACTIVATE)";
    EXPECT_EQ(sim.Log().Matching("SetWindowPos("),
              (std::vector<std::string>{"SetWindowPos(w1, HWND_TOP, " + flags,
                                        "SetWindowPos(w1, HWND_TOPMOST, " + flags}));
    EXPECT_TRUE(sim.Windows().IsAbove(ours(), other));
    sim.Log().Clear();
    PumpMessagesFor(2500); // ticks 1 and 2
    EXPECT_TRUE(Topmost());
    PumpMessagesFor(1000); // tick 3
    EXPECT_EQ(sim.Log().Matching("SetWindowPos("),
              (std::vector<std::string>{"SetWindowPos(w1, HWND_NOTOPMOST, " + flags,
                                        "SetWindowPos(w1, HWND_BOTTOM, " + flags}));
    EXPECT_FALSE(Topmost());
    EXPECT_TRUE(sim.Windows().IsAbove(other, ours()));
    EXPECT_EQ(::GetForegroundWindow(), other);
    EXPECT_EQ(dialog().m_nPopupState, 0);
}

TEST_F(PopupTest, RestoredWindowIsHiddenAgainAndEveryReportRestartsTheCountdown) {
    Place(Where::Hidden);
    dialog().OnDisplayRows("0301", "Call");
    PumpMessagesFor(3500);
    dialog().OnDisplayRows("0301", "Call"); // the next poll: only the countdown again
    EXPECT_EQ(sim.Log().Count("SetWindowPos(w1, HWND_TOPMOST"), 1u);
    PumpMessagesFor(4000);
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(Topmost());
    PumpMessagesFor(1000);
    EXPECT_FALSE(Topmost());
    EXPECT_TRUE(dialog().IsIconic());
    Idle();
    EXPECT_FALSE(dialog().IsWindowVisible());
}

TEST_F(PopupTest, UserActivatingTheRaisedWindowEndsThePopupWhereItIs) {
    Place(Where::Behind);
    dialog().OnDisplayRows("0301", "Call");
    sim.Windows().UserActivate(ours());
    EXPECT_EQ(dialog().m_nPopupState, 0);
    EXPECT_EQ(dialog().m_nPopupCountdown, 0);
    EXPECT_FALSE(Topmost());
    PumpMessagesFor(6000);
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(sim.Windows().IsAbove(ours(), other));
    EXPECT_EQ(sim.Log().Count("SetWindowPos(w1, HWND_BOTTOM"), 0u);
}

TEST_F(PopupTest, BalloonShownOncePerTextWithdrawnAfterTheLastReport) {
    Place(Where::Hidden);
    dialog().m_bTooltip = TRUE;
    dialog().m_nTimeout = 3;
    dialog().OnDisplayRows("0301", "Call");
    PumpMessagesFor(2500);
    dialog().OnDisplayRows("0301", "Call");
    EXPECT_EQ(BalloonCalls(), 1u);
    PumpMessagesFor(2000); // 4.5 s: the second report's countdown runs
    EXPECT_TRUE(sim.Shell().Balloon());
    PumpMessagesFor(1000);
    EXPECT_FALSE(sim.Shell().Balloon());
    EXPECT_EQ(sim.Log().Count("Shell_NotifyIcon(NIM_MODIFY, size=488, flags=NIF_INFO, info=\"\""),
              1u);
    EXPECT_FALSE(dialog().IsWindowVisible()); // the window was never touched

    // Withdrawn: the same call shows again; a changed title too.
    dialog().OnDisplayRows("0301", "Call");
    dialog().OnDisplayRows("0301", "Transfer");
    EXPECT_EQ(BalloonCalls(), 3u);
    // An idle display between two calls lets the same one show again.
    dialog().OnDisplayRows("", "Transfer");
    dialog().OnDisplayRows("0301", "Transfer");
    EXPECT_EQ(BalloonCalls(), 4u);
    EXPECT_EQ(sim.Shell().BalloonsShown(), 4);
}

class FakeAddressBook : public IAddressBookLookup {
public:
    BOOL LookupName(const std::string& number, const std::string& prefix,
                    std::string& name) override {
        asked.push_back(number + "/" + prefix);
        auto it = entries.find(number);
        if (it == entries.end())
            return FALSE;
        name = it->second;
        return TRUE;
    }
    std::map<std::string, std::string> entries;
    std::vector<std::string> asked;
};

TEST_F(PopupTest, AddressBookNamesCallersWithFiveDigitsOrMore) {
    Place(Where::Hidden);
    dialog().m_bTooltip = TRUE;
    auto book = std::make_unique<FakeAddressBook>();
    book->entries = {{"0301234567", "Bob Example"}, {"12345", ""}, {"1234", "Too Short"}};
    FakeAddressBook* lookups = book.get();
    dialog().m_pAddressBook = std::move(book);

    const std::vector<std::pair<std::string, std::string>> cases = {{"0301234567", "Bob Example"},
                                                                    {"1234", "1234"},
                                                                    {"12345", "12345"},
                                                                    {"+49 30 99", "+49 30 99"},
                                                                    {"x0301y", "x0301y"}};
    for (const auto& [row1, shown] : cases) {
        dialog().OnDisplayRows(row1, "Call");
        ASSERT_TRUE(sim.Shell().Balloon());
        EXPECT_EQ(sim.Shell().Balloon()->text, shown) << row1;
        EXPECT_EQ(sim.Shell().Balloon()->title, "Call");
    }
    EXPECT_EQ(lookups->asked, (std::vector<std::string>{"0301234567/0", "12345/0", "+49 30 99/0"}));
    dialog().ReleaseResources();
    EXPECT_FALSE(dialog().m_pAddressBook);
}

TEST_F(PopupTest, BalloonThatCannotBeShownRaisesTheWindowInstead) {
    Place(Where::Hidden);
    dialog().m_bTooltip = TRUE;
    sim.Shell().LoseIcon(); // the shell's NIM_MODIFY fails
    qv::platform::SetTraceMask(unsigned(qv::platform::TraceCategory::Shell));
    testing::internal::CaptureStderr();
    dialog().OnDisplayRows("0301", "Call");
    const std::string log = testing::internal::GetCapturedStderr();
    qv::platform::SetTraceMask(0);
    EXPECT_EQ(log, "quorvia: shell: call \"0301\": the notification was refused, the window is "
                   "raised\nquorvia: shell: call: the window is raised above the others for 5 s, "
                   "from the notification area\n");
    EXPECT_TRUE(Visible());
    EXPECT_EQ(dialog().m_nPopupState, 2);
    EXPECT_TRUE(dialog().m_strLastInfo.empty());

    // The keep-alive brings the icon back; the next call gets its balloon.
    PumpMessagesFor(1500);
    EXPECT_TRUE(sim.Shell().IconShown());
    sim.Windows().UserActivate(other);
    dialog().OnDisplayRows("0301", "Call");
    ASSERT_TRUE(sim.Shell().Balloon());
    EXPECT_EQ(sim.Shell().Balloon()->text, "0301");

    // The notification service goes away mid-run: the icon stays, the
    // balloon fails, the window comes up instead.
    sim.Windows().UserActivate(other);
    dialog().ShowWindow(SW_MINIMIZE);
    PumpMessagesFor(10);
    sim.Shell().SetNotificationService(false);
    dialog().OnDisplayRows("0303", "Call");
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(Topmost());
    EXPECT_EQ(sim.Shell().Balloon()->text, "0301");

    // No shell at all any more: raised as well.
    qv::platform::SetShell(nullptr);
    dialog().OnDisplayRows("0302", "Call");
    EXPECT_EQ(dialog().m_nPopupCountdown, 5);
    EXPECT_TRUE(Topmost());
    qv::platform::SetShell(&sim.Shell());
}

TEST_F(PopupTest, TextsAreCutToTheirFieldsAtCharacterBoundaries) {
    Place(Where::Hidden);
    dialog().m_bTooltip = TRUE;
    std::string caller = "0";
    for (int i = 0; i < 200; ++i)
        caller += "\xC3\xA9"; // é
    std::string title = "a";
    for (int i = 0; i < 30; ++i)
        title += "\xE2\x82\xAC"; // €
    dialog().OnDisplayRows(caller, title);
    ASSERT_TRUE(sim.Shell().Balloon());
    EXPECT_EQ(sim.Shell().Balloon()->text, caller.substr(0, 255));
    EXPECT_EQ(sim.Shell().Balloon()->title, title.substr(0, 61));
}

} // namespace
