#include "calls.h"
#include "state.h"

#include <gtest/gtest.h>

namespace qv::testconsole {
namespace {

std::string FailurePattern(double rate, int requests) {
    ConsoleState state({}, rate);
    std::string pattern;
    for (int i = 0; i < requests; ++i)
        pattern += state.NextRequestFails() ? 'F' : '.';
    return pattern;
}

TEST(FailRate, FailsExactlyThatFractionEvenlySpread) {
    EXPECT_EQ(FailurePattern(0.25, 8), "...F...F");
    EXPECT_EQ(FailurePattern(0.5, 6), ".F.F.F");
    EXPECT_EQ(FailurePattern(0.0, 5), ".....");
    EXPECT_EQ(FailurePattern(1.0, 5), "FFFFF");
    // 100 * 0.29 is 28.999... in binary; still exactly 29 failures.
    const std::string p = FailurePattern(0.29, 100);
    EXPECT_EQ(std::count(p.begin(), p.end(), 'F'), 29);
}

TEST(Sessions, LoginLogoutAndDropKeepTheCounts) {
    ConsoleState state({{"ann", "pw"}, {"bob", "pw2"}}, 0.0);
    EXPECT_FALSE(state.Login("ann", "wrong"));
    EXPECT_FALSE(state.Login("nobody", "pw"));
    const auto ann = state.Login("ann", "pw");
    const auto bob = state.Login("bob", "pw2");
    ASSERT_TRUE(ann && bob);
    EXPECT_NE(*ann, *bob);
    EXPECT_EQ(ann->size(), 32u);
    EXPECT_EQ(state.SessionUser(*bob), "bob");

    EXPECT_EQ(state.Drop(std::string("bob")), 1u);
    EXPECT_FALSE(state.SessionUser(*bob));
    EXPECT_TRUE(state.Logout(*ann));
    EXPECT_FALSE(state.Logout(*ann)); // a second logout of a dead session is not counted

    const auto s = state.Snapshot();
    EXPECT_EQ(s.logins, 2u);
    EXPECT_EQ(s.failedLogins, 2u);
    EXPECT_EQ(s.logouts, 1u);
    EXPECT_TRUE(s.sessionUsers.empty());
}

TEST(Calls, TimedHangUpLeavesANewerCallAlone) {
    ConsoleState state({}, 0.0);
    const auto first = state.StartCall("111", "Call");
    const auto second = state.StartCall("222", "Call");
    EXPECT_FALSE(state.HangUp(first));
    EXPECT_EQ(state.Rows().row1, "222");
    EXPECT_TRUE(state.HangUp(second));
    EXPECT_EQ(state.Rows().row1, "");
    EXPECT_FALSE(state.CallActive());
}

TEST(Calls, SimulatedCallsOutlastAPollButNotTheirPeriod) {
    using std::chrono::milliseconds;
    using std::chrono::seconds;
    EXPECT_EQ(CallScheduler::CallLength(seconds(30)), seconds(6));
    EXPECT_EQ(CallScheduler::CallLength(seconds(4)), seconds(2));
}

TEST(Calls, SchedulerPlacesAndEndsSimulatedCalls) {
    ConsoleState state({}, 0.0);
    CallScheduler calls(state, std::chrono::milliseconds(1000), nullptr);
    calls.Start();
    // Period 1 s: a call appears after about 1 s and lasts 0.5 s.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    bool sawCall = false;
    bool sawHangUp = false;
    while (std::chrono::steady_clock::now() < deadline && !sawHangUp) {
        const bool active = state.CallActive();
        if (active && !sawCall) {
            sawCall = true;
            EXPECT_FALSE(state.Rows().row1.empty());
            EXPECT_FALSE(state.Rows().row2.empty());
        }
        sawHangUp = sawCall && !active;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    calls.Stop();
    EXPECT_TRUE(sawCall);
    EXPECT_TRUE(sawHangUp);
}

} // namespace
} // namespace qv::testconsole
