// The diagnostics switch and its output.
#include "platform/debug_trace.h"
#include "support/support.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using qv::platform::ConfigureTracing;
using qv::platform::ParseTraceCategories;
using qv::platform::SetTraceMask;
using qv::platform::TraceCategory;

constexpr unsigned kConsole = unsigned(TraceCategory::Console);
constexpr unsigned kShell = unsigned(TraceCategory::Shell);
constexpr unsigned kAll = 0xF;

unsigned Parsed(const char* list, bool expectOk = true) {
    unsigned mask = 0;
    std::string unknown;
    EXPECT_EQ(ParseTraceCategories(list, mask, &unknown), expectOk) << list << ": " << unknown;
    return mask;
}

TEST(DebugTrace, CategoryListsInAnyCaseAndSeparation) {
    EXPECT_EQ(Parsed(""), 0u);
    EXPECT_EQ(Parsed("console,shell"), kConsole | kShell);
    EXPECT_EQ(Parsed(" Shell ,CONSOLE,, "), kConsole | kShell);
    EXPECT_EQ(Parsed("registry bridge"),
              unsigned(TraceCategory::Registry) | unsigned(TraceCategory::Bridge));
    EXPECT_EQ(Parsed("all"), kAll);
    // A typo is reported; the names around it still count.
    unsigned mask = 0;
    std::string unknown;
    EXPECT_FALSE(ParseTraceCategories("shell,consol,bridge", mask, &unknown));
    EXPECT_EQ(unknown, "consol");
    EXPECT_EQ(mask, kShell | unsigned(TraceCategory::Bridge));
}

class TracingSwitch : public ::testing::Test {
protected:
    void TearDown() override {
        ::unsetenv("QUORVIA_DEBUG");
        SetTraceMask(0);
    }
    // Runs ConfigureTracing on a command line; returns what is left of it.
    std::vector<std::string> Configure(std::vector<std::string> args) {
        std::vector<char*> argv = qv::test::Argv(args);
        int argc = static_cast<int>(args.size());
        ConfigureTracing(argc, argv.data());
        EXPECT_EQ(argv[argc], nullptr);
        return {argv.begin(), argv.begin() + argc};
    }
};

TEST_F(TracingSwitch, TheOptionLeavesTheRestOfTheCommandLineAndAddsToTheVariable) {
    ::setenv("QUORVIA_DEBUG", "shell", 1);
    EXPECT_EQ(Configure({"quorvia", "http://x/%s", "--debug=console", "/wab"}),
              (std::vector<std::string>{"quorvia", "http://x/%s", "/wab"}));
    EXPECT_EQ(qv::platform::g_traceMask, kConsole | kShell);

    ::unsetenv("QUORVIA_DEBUG");
    EXPECT_EQ(Configure({"quorvia", "--debug"}), (std::vector<std::string>{"quorvia"}));
    EXPECT_EQ(qv::platform::g_traceMask, kAll);
    EXPECT_EQ(Configure({"quorvia", "/navclick"}),
              (std::vector<std::string>{"quorvia", "/navclick"}));
    EXPECT_EQ(qv::platform::g_traceMask, 0u);

    // An unknown name is said.
    testing::internal::CaptureStderr();
    Configure({"quorvia", "--debug=shel"});
    EXPECT_EQ(
        testing::internal::GetCapturedStderr(),
        "quorvia: unknown debug category \"shel\" (registry, console, shell, bridge or all)\n");
}

TEST_F(TracingSwitch, OffFormatsNothingOnWritesOneLine) {
    int formatted = 0;
    const auto expensive = [&] {
        ++formatted;
        return "rows";
    };
    testing::internal::CaptureStderr();
    SetTraceMask(kShell);
    QV_TRACE(Console, "%s", expensive());
    QV_TRACE(Shell, "call %s: %d s", expensive(), 5);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorvia: shell: call rows: 5 s\n");
    EXPECT_EQ(formatted, 1);
}

} // namespace
