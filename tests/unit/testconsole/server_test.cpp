// The console served in-process on 127.0.0.1 and driven over HTTP.
#include "console/script_text.h"
#include "page_scan.h"
#include "pages.h"
#include "server.h"

#include <arpa/inet.h>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::testconsole {
namespace {

using namespace test;
using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

const std::string kStart(kStartPage);

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

class Console : public ::testing::Test {
protected:
    void Start(ConsoleOptions options = {}) {
        if (options.users.empty())
            options.users = {{"demo", "secret"}, {"ann", "pw"}};
        options.quiet = true;
        server_ = std::make_unique<ConsoleServer>(options);
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
        ASSERT_GT(server_->Port(), 0);
    }
    void TearDown() override {
        if (server_)
            server_->Stop();
    }

    httplib::Client Client() const {
        httplib::Client c("127.0.0.1", server_->Port());
        c.set_read_timeout(10);
        return c;
    }
    httplib::Result Get(const std::string& path, const std::string& cookie = {}) const {
        httplib::Headers h;
        if (!cookie.empty())
            h.emplace("Cookie", cookie);
        return Client().Get(path.c_str(), h);
    }
    httplib::Result Post(const std::string& path, const std::string& cookie,
                         const std::string& body) const {
        return Client().Post(path.c_str(), httplib::Headers{{"Cookie", cookie}}, body,
                             "application/x-www-form-urlencoded");
    }
    // The "QVSESSION=..." pair of a successful login, or "".
    std::string Login(const std::string& user, const std::string& password) const {
        auto r = Client().Post("/login.asp", httplib::Params{{"un", user}, {"pw", password}});
        if (!r || r->status != 303)
            return {};
        const std::string cookie = r->get_header_value("Set-Cookie");
        return cookie.substr(0, cookie.find(';'));
    }
    std::string Sim(const std::string& path) const {
        auto r = Client().Post(path.c_str());
        return r ? r->body : std::string();
    }
    std::string State() const {
        const auto r = Get("/sim/state");
        return r ? r->body : std::string();
    }
    long Count(std::string_view key) const { return JsonNumber(State(), key); }
    std::string PollScript(const std::string& cookie) const {
        for (const auto& s : Scripts(Get("/vp-poll.asp", cookie)->body))
            if (Contains(s, "top.focus()"))
                return s;
        return {};
    }

    std::unique_ptr<ConsoleServer> server_;
};

// --- Login, frames and logout -------------------------------------------------

TEST_F(Console, StartPageWithoutSessionIsTheLoginForm) {
    Start();
    const auto r = Get(kStart);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->get_header_value("Cache-Control"), "no-store");
    EXPECT_EQ(Attrs(r->body, "input", "name"), (Strings{"un", "pw", ""}));
    EXPECT_EQ(Attrs(r->body, "input", "type"), (Strings{"text", "password", "submit"}));
    EXPECT_EQ(Attrs(r->body, "form", "method"), Strings{"post"});
    EXPECT_EQ(Attrs(r->body, "form", "action"), Strings{"/login.asp"});
    EXPECT_EQ(Attrs(r->body, "form", "target"), Strings{"_top"});
    // No session yet, and the root leads here.
    EXPECT_EQ(Get("/")->get_header_value("Location"), kStart);
    EXPECT_EQ(Get("/")->status, 303);
}

TEST_F(Console, LoginGivesACookieAndTheFramesCarryTheConsoleItems) {
    Start();
    auto r = Client().Post("/login.asp", httplib::Params{{"un", "demo"}, {"pw", "secret"}});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 303);
    EXPECT_EQ(r->get_header_value("Location"), kStart);
    const std::string setCookie = r->get_header_value("Set-Cookie");
    EXPECT_TRUE(Contains(setCookie, "HttpOnly"));
    const std::string cookie = setCookie.substr(0, setCookie.find(';'));
    ASSERT_EQ(cookie.rfind("QVSESSION=", 0), 0u);
    EXPECT_EQ(cookie.size(), std::string("QVSESSION=").size() + 32) << "a short session key";

    const auto app = Get(kStart, cookie);
    EXPECT_TRUE(Contains(app->body, "<title>PABX Console - demo</title>"));
    const auto frames = Attrs(app->body, "frame", "src");
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(Attrs(app->body, "frame", "name")[1], "vp_disp");
    EXPECT_EQ(frames[2], "/vp-poll.asp");

    const auto buttons = Get(frames[0], cookie)->body;
    EXPECT_EQ(Attrs(buttons, "a", "href"),
              (Strings{"javascript:bttnVphoneLogout();", "javascript:bttnConfig()",
                       "javascript:bttnHelp()", "javascript:bttnVphoneExit()"}));
    for (const char* part :
         {"function bttnLogout()", "window.open(\"/config.asp\"", "window.open(\"/help.asp\""})
        EXPECT_TRUE(Contains(buttons, part)) << part;

    const auto display = Get(frames[1], cookie)->body;
    EXPECT_EQ(Attrs(display, "form", "name"), Strings{"display"});
    EXPECT_EQ(Attrs(display, "input", "name"), (Strings{"row1", "row2"}));
    // The display frame hands the rows to the external object when there is one.
    const auto scripts = Scripts(display);
    ASSERT_EQ(scripts.size(), 1u);
    const auto guard = scripts[0].find("if (window.external && window.external.CTI_IsBrowser)");
    const auto call = scripts[0].find("window.external.CTI_ChangeRows(rows[0], rows[1])");
    ASSERT_NE(call, std::string::npos);
    EXPECT_LT(guard, call);
    EXPECT_LT(scripts[0].find("try {"), guard);
    // The poll frame tells the display frame after writing the rows.
    EXPECT_TRUE(Contains(PollScript(cookie), "d.qvRowsChanged()"));

    const auto config = Get("/config.asp", cookie);
    EXPECT_EQ(config->status, 200);
    EXPECT_TRUE(Contains(config->body, "window.close()"));
    EXPECT_TRUE(Contains(Get("/close.html")->body, "window.close();"));
    EXPECT_EQ(Get("/help.asp")->status, 200);
}

TEST_F(Console, FailedLoginsAreCountedAndANewLoginReplacesTheSession) {
    Start();
    auto r = Client().Post("/login.asp", httplib::Params{{"un", "demo"}, {"pw", "nope"}});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_FALSE(r->has_header("Set-Cookie"));
    EXPECT_EQ(Attrs(r->body, "input", "value")[0], "demo");
    EXPECT_TRUE(Contains(r->body, "Wrong user name or password"));
    EXPECT_TRUE(Login("nobody", "secret").empty());
    EXPECT_TRUE(Login("demo", "").empty());

    EXPECT_EQ(Count("failed_logins"), 3);
    EXPECT_EQ(Count("logins"), 0);
    EXPECT_EQ(Count("active_sessions"), 0);

    // A new login replaces the session it carries.
    EXPECT_EQ(Post("/login.asp", Login("demo", "secret"), "un=demo&pw=secret")->status, 303);
    EXPECT_EQ(Count("active_sessions"), 1);
    EXPECT_EQ(Count("logins"), 2);
    EXPECT_EQ(Count("logouts"), 0);
}

TEST_F(Console, LogoutEndsTheSessionOnceAndCanCloseTheWindow) {
    Start();
    const std::string cookie = Login("demo", "secret");
    auto r = Post("/logout.asp", cookie, "");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 303);
    EXPECT_EQ(r->get_header_value("Location"), kStart);
    EXPECT_TRUE(Contains(r->get_header_value("Set-Cookie"), "Max-Age=0"));
    EXPECT_TRUE(Contains(Get(kStart, cookie)->body, "name=\"un\""));
    Post("/logout.asp", cookie, "");
    EXPECT_EQ(Count("logouts"), 1);

    r = Post("/logout.asp", Login("demo", "secret"), "after=close");
    EXPECT_EQ(r->get_header_value("Location"), "/close.html");
    EXPECT_EQ(Count("logouts"), 2);
}

// --- Display rows -------------------------------------------------------------

TEST_F(Console, PollFrameAssignsTheCallRowsAndAsksForFocus) {
    Start();
    const std::string cookie = Login("demo", "secret");
    EXPECT_TRUE(Contains(PollScript(cookie), "top.vp_disp.document.display.row1.value=\"\";"
                                             "top.vp_disp.document.display.row2.value=\"\";"
                                             "top.focus();"));

    EXPECT_TRUE(Contains(Sim("/sim/call?row1=0301234567&row2=Call"), "\"row1\":\"0301234567\""));
    const std::string script = PollScript(cookie);
    EXPECT_EQ(ExtractRow(script, kRow1Target), "0301234567");
    EXPECT_EQ(ExtractRow(script, kRow2Target), "Call");
    // The page reloads the poll frame itself every 3 s.
    EXPECT_TRUE(Contains(Get("/vp-poll.asp", cookie)->body, "location.reload(); }, 3000)"));

    EXPECT_TRUE(Contains(Sim("/sim/hangup"), "\"ended\":true"));
    EXPECT_EQ(ExtractRow(PollScript(cookie), kRow1Target), "");
    EXPECT_TRUE(Contains(Sim("/sim/hangup"), "\"ended\":false"));
}

TEST_F(Console, HostileRowTextsStayInsideTheirLiterals) {
    Start();
    const std::string cookie = Login("demo", "secret");
    // row1: "</script><script>alert(1)</script>   row2: O'Brien\ + LF + U+2028
    Sim("/sim/call?row1=%22%3C%2Fscript%3E%3Cscript%3Ealert(1)%3C%2Fscript%3E"
        "&row2=O%27Brien%5C%0A%E2%80%A8");
    const std::string script = PollScript(cookie);
    const std::string row1 = ExtractRow(script, kRow1Target).value_or("");
    const std::string row2 = ExtractRow(script, kRow2Target).value_or("");
    // The desktop program takes the literal's text up to its closing quote,
    // with the escapes as they stand; a browser reads the original texts.
    EXPECT_EQ(row1, "\\x22\\x3C/script\\x3E\\x3Cscript\\x3Ealert(1)\\x3C/script\\x3E");
    EXPECT_EQ(row2, "O\\x27Brien\\\\\\x0A\\u2028");
    EXPECT_TRUE(Contains(State(), "\"row2\":\"O'Brien\\\\\\n\xE2\x80\xA8\""));
}

TEST_F(Console, UserNamesAreEscapedInPages) {
    ConsoleOptions options;
    options.users = {{"<b>\"x\"&", "pw"}};
    Start(options);
    const std::string cookie = Login("<b>\"x\"&", "pw");
    ASSERT_FALSE(cookie.empty());
    EXPECT_TRUE(Contains(Get(kStart, cookie)->body,
                         "<title>PABX Console - &lt;b&gt;&quot;x&quot;&amp;</title>"));
    EXPECT_FALSE(Contains(Get("/vp-buttons.asp", cookie)->body, "<b>\""));

    auto failed = Client().Post("/login.asp", httplib::Params{{"un", "\"><script>x()</script>"}});
    EXPECT_FALSE(Contains(failed->body, "<script>x()"));
    EXPECT_EQ(Attrs(failed->body, "input", "value")[0],
              "&quot;&gt;&lt;script&gt;x()&lt;/script&gt;");
}

// What the page does with window.external is checked in a browser; here, that
// it calls by itself only when asked and shows the rows it was given escaped.
TEST_F(Console, ExternalTestPageTakesItsRowsEscaped) {
    Start();
    EXPECT_FALSE(Contains(Get("/external.html")->body, "qvChangeRows();\n"));
    const auto automatic = Get("/external.html?auto=1&row1=%3Cx%3E&row2=two")->body;
    EXPECT_TRUE(Contains(automatic, "qvChangeRows();\n"));
    EXPECT_EQ(Attrs(automatic, "input", "value"), (Strings{"&lt;x&gt;", "two", "CTI_ChangeRows"}));
}

// --- Dropped sessions and the terminal list ------------------------------------

TEST_F(Console, DroppedSessionSendsEveryPageBackToTheLoginForm) {
    Start();
    const std::string demo = Login("demo", "secret");
    Login("ann", "pw");

    EXPECT_TRUE(Contains(Sim("/sim/drop?user=ann"), "\"dropped\":1"));
    EXPECT_FALSE(PollScript(demo).empty());

    EXPECT_TRUE(Contains(Sim("/sim/drop"), "\"dropped\":1"));
    EXPECT_EQ(Count("active_sessions"), 0);
    for (const char* frame :
         {"/vp-poll.asp", "/vp-buttons.asp", "/vp-display.asp", "/config.asp"}) {
        const auto r = Get(frame, demo);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 200);
        const auto scripts = Scripts(r->body);
        ASSERT_EQ(scripts.size(), 1u) << frame;
        EXPECT_TRUE(Contains(scripts[0], "\ntop.location.href = \"/app-main.asp?app=3\";"))
            << frame;
        EXPECT_FALSE(Contains(r->body, "top.focus()"));
    }
    EXPECT_TRUE(Contains(Get(kStart, demo)->body, "name=\"pw\""));
    // The dropped session is not a logout.
    EXPECT_EQ(Count("logouts"), 0);
}

TEST_F(Console, WithoutTerminalTheLoginLeadsToAnEmptyTerminalList) {
    Start();
    EXPECT_TRUE(Contains(Sim("/sim/terminal?state=none"), "\"terminal\":\"none\""));
    const std::string cookie = Login("demo", "secret");
    ASSERT_FALSE(cookie.empty());

    const auto page = Get(kStart, cookie)->body;
    EXPECT_EQ(Attrs(page, "select", "name"), Strings{"terminal"});
    EXPECT_EQ(Attrs(page, "option", "value"), Strings{"empty"});
    // Not a logged-in page for the desktop program.
    EXPECT_FALSE(Contains(page, "javascript:bttn"));
    EXPECT_TRUE(Contains(page, "<title>PABX Console - demo</title>"));
    Get(kStart, cookie);
    EXPECT_EQ(Count("terminal_pages"), 2);

    Sim("/sim/terminal?state=assigned");
    EXPECT_TRUE(Contains(Get(kStart, cookie)->body, "name=\"vp_disp\""));
    EXPECT_EQ(Count("terminal_pages"), 2);
}

// --- Control endpoints --------------------------------------------------------

TEST_F(Console, StateCountsRequestsPerPage) {
    Start();
    const std::string cookie = Login("demo", "secret");
    for (int i = 0; i < 3; ++i)
        Get("/vp-poll.asp", cookie);
    Get(kStart, cookie);
    const auto r = Get("/sim/state");
    EXPECT_EQ(r->get_header_value("Content-Type"), "application/json");
    const std::string& s = r->body;
    for (const char* part : {"\"/vp-poll.asp\":3", "\"/app-main.asp\":1", "\"/login.asp\":1",
                             "\"session_users\":[\"demo\"]", "\"logins\":1"})
        EXPECT_TRUE(Contains(s, part)) << part << " in " << s;
    EXPECT_FALSE(Contains(s, "/sim/")) << s;
}

TEST_F(Console, BadParametersAndUnknownPagesAreRefused) {
    Start();
    const std::vector<std::string> bad = {
        "/sim/call",
        "/sim/call?row1=",
        "/sim/call?row1=1&colour=red",
        "/sim/call?row1=1&duration=0",
        "/sim/call?row1=1&duration=soon",
        "/sim/call?row1=1&duration=3601",
        "/sim/call?row1=%FF%FE",
        "/sim/call?row1=" + std::string(257, '7'),
        "/sim/call?row1=%G0",
        "/sim/hangup?now=1",
        "/sim/drop?user=nobody",
        "/sim/terminal",
        "/sim/terminal?state=maybe",
        "/sim/state?verbose=1",
    };
    for (const auto& path : bad) {
        const auto r = Get(path);
        ASSERT_TRUE(r) << path;
        EXPECT_EQ(r->status, 400) << path;
        EXPECT_EQ(r->get_header_value("Content-Type"), "application/json") << path;
        EXPECT_TRUE(Contains(r->body, "{\"error\":\"")) << path << ": " << r->body;
    }
    EXPECT_FALSE(Contains(State(), "\"call_active\":true"));
    const auto missing = Get("/sim/nothing");
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(missing->get_header_value("Content-Type"), "application/json");
    EXPECT_EQ(Get("/nothing.asp")->status, 404);
    EXPECT_EQ(Get("/app-main.asp?app=4")->status, 404);
}

// The first call's timed hang-up must not end the second call, which ends
// at its own time.
TEST_F(Console, CallWithDurationHangsUpByItselfButNotALaterCall) {
    Start();
    Sim("/sim/call?row1=222&duration=0.05");
    const auto t0 = Clock::now();
    Sim("/sim/call?row1=333&duration=0.4");
    const auto deadline = t0 + std::chrono::seconds(10);
    while (Contains(State(), "\"call_active\":true") && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(400));
    EXPECT_TRUE(Contains(State(), "\"call_active\":false"));
}

// --- Faults -------------------------------------------------------------------

// A page held back by the latency must not hold up control requests, nor a stop.
TEST_F(Console, LatencyHoldsPagesNotControlAndStopCutsTheWaitShort) {
    ConsoleOptions options;
    options.latencyMs = 60000;
    Start(options);
    auto pending = std::async(std::launch::async, [this] { return Get("/help.asp"); });
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!Contains(State(), "\"/help.asp\":1") && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    auto t0 = Clock::now();
    EXPECT_TRUE(Contains(State(), "\"/help.asp\":1"));
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
    t0 = Clock::now();
    server_->Stop();
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(5));
    // Either the answer says the console is stopping or the connection ends.
    const auto r = pending.get();
    EXPECT_TRUE(!r || r->status == 503);
}

TEST_F(Console, FailRateAnswersThatShareOfPagesWith500) {
    ConsoleOptions options;
    options.failRate = 0.5;
    Start(options);
    // Control requests are neither failed nor counted towards the share.
    // A failed GET retries itself, so a failed poll does not end the polling;
    // a failed POST must not be re-sent by a reload.
    EXPECT_EQ(Get("/help.asp")->status, 200);
    EXPECT_EQ(Get("/sim/state")->status, 200);
    const auto failed = Get("/help.asp");
    ASSERT_EQ(failed->status, 500);
    EXPECT_TRUE(Contains(failed->body, "location.reload()"));
    EXPECT_EQ(Client().Post("/login.asp", httplib::Params{{"un", "demo"}})->status, 200);
    const auto failedPost = Client().Post("/login.asp", httplib::Params{{"un", "demo"}});
    ASSERT_EQ(failedPost->status, 500);
    EXPECT_FALSE(Contains(failedPost->body, "location.reload()"));
    EXPECT_EQ(Count("injected_failures"), 2);
}

// --- Malformed requests -------------------------------------------------------

// Sends raw bytes and returns the status line of the answer ("" if none).
std::string RawStatusLine(int port, const std::string& bytes) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        // The server may answer and hang up before reading everything.
        (void)send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        char buf[4096];
        while (answer.find("\r\n") == std::string::npos) {
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            answer.append(buf, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    return answer.substr(0, answer.find("\r\n"));
}

TEST_F(Console, MalformedRequestsGet4xxAndServingGoesOn) {
    Start();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"garbage", std::string("\x01\x02\xFFgarbage\r\n\r\n", 14)},
        {"no version", "GET /help.asp\r\n\r\n"},
        {"huge header",
         "GET /help.asp HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(100000, 'a') + "\r\n\r\n"},
        {"huge target", "GET /" + std::string(20000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"bad escape", "GET /app-main.asp?app=%G3 HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"cut escape", "GET /help.asp?x=% HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"bad escape in form", "POST /login.asp HTTP/1.1\r\nHost: x\r\nContent-Type: "
                               "application/x-www-form-urlencoded\r\n"
                               "Content-Length: 11\r\n\r\nun=%zz&pw=1"},
        {"huge body", "POST /login.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 70000\r\n\r\n" +
                          std::string(70000, 'u')},
    };
    for (const auto& [what, bytes] : cases) {
        const std::string status = RawStatusLine(server_->Port(), bytes);
        ASSERT_EQ(status.rfind("HTTP/1.1 4", 0), 0u) << what << ": \"" << status << "\"";
        const auto r = Get("/help.asp");
        ASSERT_TRUE(r) << "after " << what;
        EXPECT_EQ(r->status, 200) << "after " << what;
    }
    EXPECT_EQ(Count("failed_logins"), 0);
}

TEST_F(Console, ABusyPortIsReportedNotIgnored) {
    Start();
    ConsoleOptions options;
    options.users = {{"a", "b"}};
    options.port = server_->Port();
    ConsoleServer second(options);
    std::string error;
    EXPECT_FALSE(second.Start(&error));
    EXPECT_TRUE(Contains(error, std::to_string(server_->Port()))) << error;
}

} // namespace
} // namespace qv::testconsole
