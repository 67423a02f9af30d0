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

TEST(Calls, SchedulerPlacesAndEndsSimulatedCalls) {
    // A call outlasts a poll but not its period.
    EXPECT_EQ(CallScheduler::CallLength(std::chrono::seconds(30)), std::chrono::seconds(6));
    EXPECT_EQ(CallScheduler::CallLength(std::chrono::seconds(4)), std::chrono::seconds(2));
    ConsoleState state({}, 0.0);
    CallScheduler calls(state, std::chrono::milliseconds(1000), nullptr);
    calls.Start();
    // Period 1 s: a call appears after about 1 s and lasts 0.5 s.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    const auto reaches = [&](bool active) {
        while (state.CallActive() != active && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return state.CallActive() == active;
    };
    EXPECT_TRUE(reaches(true));
    EXPECT_FALSE(state.Rows().row1.empty());
    EXPECT_FALSE(state.Rows().row2.empty());
    EXPECT_TRUE(reaches(false));
    calls.Stop();
}

} // namespace
} // namespace qv::testconsole
