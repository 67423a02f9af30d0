#include "options.h"

#include <gtest/gtest.h>

namespace qv::testconsole {
namespace {

TEST(ConsoleOptions, ReadsEveryOptionInBothSpellings) {
    const auto parsed =
        ParseOptions({"--listen", "127.0.0.1:8080", "--user", "alice:pw:with:colons",
                      "--user=bob:", "--latency=250", "--fail-rate", "0.25", "--calls-every", "20",
                      "--poll-ms=2000", "--quiet"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const auto& o = *parsed.options;
    EXPECT_EQ(o.host, "127.0.0.1");
    EXPECT_EQ(o.port, 8080);
    ASSERT_EQ(o.users.size(), 2u);
    EXPECT_EQ(o.users[0].name, "alice");
    EXPECT_EQ(o.users[0].password, "pw:with:colons");
    EXPECT_EQ(o.users[1].name, "bob");
    EXPECT_EQ(o.users[1].password, "");
    EXPECT_EQ(o.latencyMs, 250);
    EXPECT_DOUBLE_EQ(o.failRate, 0.25);
    EXPECT_DOUBLE_EQ(o.callsEverySeconds, 20.0);
    EXPECT_EQ(o.pollMs, 2000);
    EXPECT_TRUE(o.quiet);
    EXPECT_FALSE(o.allowRemote);
}

// All of 127/8 and mapped IPv4 loopback count; the rest of ::ffff:0:0/96 does not.
TEST(ConsoleOptions, LoopbackListenAddressesNeedNoPermission) {
    for (const char* listen :
         {"127.0.0.1:0", "127.255.0.3:1", "localhost:0", "[::1]:0", "[::ffff:127.0.0.1]:0"}) {
        const auto parsed = ParseOptions({"--listen", listen, "--user", "a:b"});
        EXPECT_TRUE(parsed.options) << listen << ": " << parsed.error;
    }
    EXPECT_EQ(ParseOptions({"--listen", "localhost:5", "--user", "a:b"}).options->host,
              "127.0.0.1");
    EXPECT_EQ(ParseOptions({"--listen", "[::1]:5", "--user", "a:b"}).options->host, "::1");
}

TEST(ConsoleOptions, RefusesNonLoopbackUnlessAllowed) {
    for (const char* listen :
         {"0.0.0.0:0", "128.0.0.1:80", "[::]:0", "[2001:db8::1]:0", "[::ffff:10.0.0.1]:0"}) {
        const auto refused = ParseOptions({"--listen", listen, "--user", "a:b"});
        EXPECT_FALSE(refused.options) << listen;
        EXPECT_NE(refused.error.find("--allow-remote"), std::string::npos) << refused.error;
        EXPECT_TRUE(ParseOptions({"--listen", listen, "--user", "a:b", "--allow-remote"}).options)
            << listen;
    }
}

TEST(ConsoleOptions, RejectsBadCommandLinesWithAMessage) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--user", "a:b", "--bogus"}, "unknown option"},
        {{"--user", "a:b", "--listen"}, "needs a value"},
        {{"--user", "a:b", "--listen", "127.0.0.1"}, "ADDRESS:PORT"},
        {{"--user", "a:b", "--listen", "127.0.0.1:70000"}, "port"},
        {{"--user", "a:b", "--listen", "127.0.0.1:8x"}, "port"},
        {{"--user", "a:b", "--listen", "example.org:80"}, "numeric"},
        {{"--user", "a:b", "--listen", "[::1:80"}, "[ADDRESS]:PORT"},
        {{"--user", "a:b", "--latency", "-1"}, "--latency"},
        {{"--user", "a:b", "--latency", "fast"}, "--latency"},
        {{"--user", "a:b", "--fail-rate", "1.5"}, "--fail-rate"},
        {{"--user", "a:b", "--fail-rate", "nan"}, "--fail-rate"},
        {{"--user", "a:b", "--calls-every", "0.5"}, "--calls-every"},
        {{"--user", "a:b", "--poll-ms", "0"}, "--poll-ms"},
        {{"--user", "nopassword"}, "NAME:PASSWORD"},
        {{"--user", ":pw"}, "NAME:PASSWORD"},
        {{"--user", "a:b", "--user", "a:c"}, "twice"},
        {{"--user", "bad\x01name:pw"}, "control"},
        {{"--user", "a:b", "--quiet=yes"}, "takes no value"},
        {{"--listen", "127.0.0.1:0"}, "--user"},
    };
    for (const auto& [args, expected] : cases) {
        const auto parsed = ParseOptions(args);
        EXPECT_FALSE(parsed.options) << expected;
        EXPECT_NE(parsed.error.find(expected), std::string::npos)
            << "error \"" << parsed.error << "\" lacks \"" << expected << "\"";
    }
}

} // namespace
} // namespace qv::testconsole
