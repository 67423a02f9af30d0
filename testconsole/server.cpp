#include "server.h"

#include "escape.h"
#include "pages.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <httplib.h>
#include <initializer_list>
#include <sys/socket.h>

namespace qv::testconsole {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kJson = "application/json";
constexpr const char* kCookieName = "QVSESSION";
constexpr std::size_t kMaxRowBytes = 256;
constexpr std::size_t kThreads = 24;

const char* StatusText(int status) {
    switch (status) {
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    case 414:
        return "URI Too Long";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return status >= 500 ? "Server Error" : "Client Error";
    }
}

bool IsSimPath(const std::string& path) {
    return path.rfind("/sim/", 0) == 0;
}

// httplib passes a broken escape such as "%G1" through undecoded; the console
// refuses it instead of guessing.
bool HasBadPercentEncoding(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%')
            continue;
        if (i + 2 >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(s[i + 2])))
            return true;
        i += 2;
    }
    return false;
}

bool IsFormBody(const httplib::Request& req) {
    return req.get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0) == 0;
}

std::string JsonError(std::string_view message) {
    return "{\"error\":" + JsonString(message) + "}\n";
}

void SendJsonError(httplib::Response& res, int status, std::string_view message) {
    res.status = status;
    res.set_content(JsonError(message), kJson);
}

void SendHtml(httplib::Response& res, const std::string& page) {
    res.set_content(page, kHtml);
}

// The session token from the Cookie header(s), if it looks like one of ours.
std::optional<std::string> CookieToken(const httplib::Request& req) {
    const std::size_t count = req.get_header_value_count("Cookie");
    for (std::size_t n = 0; n < count; ++n) {
        const std::string header = req.get_header_value("Cookie", n);
        std::size_t pos = 0;
        while (pos < header.size()) {
            std::size_t end = header.find(';', pos);
            if (end == std::string::npos)
                end = header.size();
            std::string_view pair(header.data() + pos, end - pos);
            while (!pair.empty() && pair.front() == ' ')
                pair.remove_prefix(1);
            const auto eq = pair.find('=');
            if (eq != std::string_view::npos && pair.substr(0, eq) == kCookieName) {
                const auto value = pair.substr(eq + 1);
                const bool hex =
                    value.size() == 32 && std::all_of(value.begin(), value.end(), [](char c) {
                        return std::isxdigit(static_cast<unsigned char>(c));
                    });
                if (hex)
                    return std::string(value);
            }
            pos = end + 1;
        }
    }
    return std::nullopt;
}

// Rejects parameters the endpoint does not know, so a typo in a test shows.
bool OnlyParams(const httplib::Request& req, httplib::Response& res,
                std::initializer_list<std::string_view> known) {
    for (const auto& [name, value] : req.params) {
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            SendJsonError(res, 400, "unknown parameter \"" + name + "\"");
            return false;
        }
    }
    return true;
}

bool ValidRow(const httplib::Request& req, httplib::Response& res, const char* name,
              std::string* out) {
    *out = req.get_param_value(name);
    if (!IsValidUtf8(*out)) {
        SendJsonError(res, 400, std::string(name) + " is not valid UTF-8");
        return false;
    }
    if (out->size() > kMaxRowBytes) {
        SendJsonError(res, 400,
                      std::string(name) + " is longer than " + std::to_string(kMaxRowBytes) +
                          " bytes");
        return false;
    }
    return true;
}

// Printable, bounded text for the request log.
std::string LogSafe(std::string_view s) {
    std::string out;
    for (char c : s.substr(0, 200))
        out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    if (s.size() > 200)
        out += "...";
    return out;
}

std::string RegexForPath(std::string_view path) {
    std::string out;
    for (char c : path) {
        if (c == '.')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

ConsoleServer::ConsoleServer(ConsoleOptions options)
    : options_(std::move(options)), state_(options_.users, options_.failRate),
      calls_(state_,
             std::chrono::milliseconds(static_cast<long long>(options_.callsEverySeconds * 1000)),
             [this](const std::string& line) { Log(line); }),
      http_(std::make_unique<httplib::Server>()) {
    AddRoutes();
}

ConsoleServer::~ConsoleServer() {
    Stop();
}

std::string ConsoleServer::BaseUrl() const {
    const bool v6 = options_.host.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + options_.host + "]" : options_.host) + ":" +
           std::to_string(port_) + "/";
}

void ConsoleServer::Log(const std::string& line) const {
    if (!options_.quiet)
        std::fprintf(stderr, "%s\n", line.c_str());
}

bool ConsoleServer::Start(std::string* error) {
    // httplib writes without MSG_NOSIGNAL: a browser that hangs up mid-answer
    // must not end the process.
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);

    errno = 0;
    if (options_.port == 0) {
        port_ = http_->bind_to_any_port(options_.host);
    } else if (http_->bind_to_port(options_.host, options_.port)) {
        port_ = options_.port;
    } else {
        port_ = -1;
    }
    if (port_ < 0) {
        const int err = errno;
        *error = "cannot listen on " + options_.host + ":" + std::to_string(options_.port);
        if (err != 0)
            *error += std::string(": ") + std::strerror(err);
        return false;
    }
    calls_.Start();
    listenEnded_ = false;
    thread_ = std::thread([this] {
        http_->listen_after_bind();
        listenEnded_ = true;
    });
    // stop() is a no-op until the accept loop runs, so do not hand out a
    // server that could not be stopped yet.
    while (!http_->is_running() && !listenEnded_)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (listenEnded_) {
        thread_.join();
        calls_.Stop();
        *error = "the accept loop on " + options_.host + " ended at once";
        return false;
    }
    return true;
}

void ConsoleServer::Stop() {
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    calls_.Stop();
    if (thread_.joinable()) {
        http_->stop();
        thread_.join();
    }
}

bool ConsoleServer::WaitLatency() {
    if (options_.latencyMs <= 0)
        return true;
    std::unique_lock lock(stopMutex_);
    return !stopped_.wait_for(lock, std::chrono::milliseconds(options_.latencyMs),
                              [this] { return stopping_; });
}

std::optional<std::string> ConsoleServer::SessionUser(const httplib::Request& req) const {
    const auto token = CookieToken(req);
    if (!token)
        return std::nullopt;
    return state_.SessionUser(*token);
}

bool ConsoleServer::Admit(Kind kind, const httplib::Request& req, httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    if (HasBadPercentEncoding(req.target) || (IsFormBody(req) && HasBadPercentEncoding(req.body))) {
        res.status = 400;
        if (kind == Kind::Sim)
            res.set_content(JsonError("bad percent-encoding"), kJson);
        else
            SendHtml(res, ErrorPage(400, "Bad percent-encoding", false));
        return false;
    }
    if (kind == Kind::Sim) {
        if (!IsLoopbackAddress(req.remote_addr)) {
            SendJsonError(res, 403, "control endpoints answer loopback clients only");
            return false;
        }
        return true;
    }
    state_.CountRequest(req.path);
    if (!WaitLatency()) {
        res.status = 503;
        SendHtml(res, ErrorPage(503, "Console stopping", false));
        return false;
    }
    if (state_.NextRequestFails()) {
        res.status = 500;
        // A failed poll would otherwise end the display's polling for good.
        SendHtml(res, ErrorPage(500, "Internal Server Error (simulated)", req.method == "GET"));
        return false;
    }
    return true;
}

void ConsoleServer::Route(const char* method, const char* path, Kind kind, Handler handler) {
    auto fn = [this, kind, handler](const httplib::Request& req, httplib::Response& res) {
        if (Admit(kind, req, res))
            (this->*handler)(req, res);
    };
    if (std::strcmp(method, "GET") == 0)
        http_->Get(RegexForPath(path), fn);
    else
        http_->Post(RegexForPath(path), fn);
}

void ConsoleServer::AddRoutes() {
    http_->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    http_->set_payload_max_length(64 * 1024);
    http_->set_keep_alive_max_count(1000);
    // httplib's default adds SO_REUSEPORT, which lets a second console share a
    // busy port silently; a test must hear that its port is taken.
    http_->set_socket_options([](int sock) {
        int on = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    });

    Route("GET", "/", Kind::Page, &ConsoleServer::Root);
    Route("GET", "/app-main.asp", Kind::Page, &ConsoleServer::StartPage);
    Route("POST", "/login.asp", Kind::Page, &ConsoleServer::LoginPost);
    Route("GET", "/logout.asp", Kind::Page, &ConsoleServer::LogoutPage);
    Route("POST", "/logout.asp", Kind::Page, &ConsoleServer::LogoutPage);
    Route("GET", "/vp-buttons.asp", Kind::Page, &ConsoleServer::ButtonsFrame);
    Route("GET", "/vp-display.asp", Kind::Page, &ConsoleServer::DisplayFrame);
    Route("GET", "/vp-poll.asp", Kind::Page, &ConsoleServer::PollFrame);
    Route("GET", "/config.asp", Kind::Page, &ConsoleServer::ConfigWindow);
    Route("GET", "/help.asp", Kind::Page, &ConsoleServer::HelpWindow);
    Route("GET", "/close.html", Kind::Page, &ConsoleServer::CloseWindow);
    Route("GET", "/external.html", Kind::Page, &ConsoleServer::ExternalTest);

    for (const char* method : {"GET", "POST"}) {
        Route(method, "/sim/call", Kind::Sim, &ConsoleServer::SimCall);
        Route(method, "/sim/hangup", Kind::Sim, &ConsoleServer::SimHangUp);
        Route(method, "/sim/drop", Kind::Sim, &ConsoleServer::SimDrop);
        Route(method, "/sim/terminal", Kind::Sim, &ConsoleServer::SimTerminal);
    }
    Route("GET", "/sim/state", Kind::Sim, &ConsoleServer::SimState);

    http_->set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty())
            return;
        if (IsSimPath(req.path))
            res.set_content(JsonError(StatusText(res.status)), kJson);
        else
            SendHtml(res, ErrorPage(res.status, StatusText(res.status), false));
    });
    http_->set_exception_handler(
        [](const httplib::Request& req, httplib::Response& res, std::exception_ptr) {
            res.status = 500;
            if (IsSimPath(req.path))
                res.set_content(JsonError("internal error"), kJson);
            else
                SendHtml(res, ErrorPage(500, "Internal Server Error", false));
        });
    http_->set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        Log(req.remote_addr + " " + LogSafe(req.method) + " " + LogSafe(req.target) + " " +
            std::to_string(res.status));
    });
}

void ConsoleServer::Root(const httplib::Request&, httplib::Response& res) {
    res.set_redirect(std::string(kStartPage), 303);
}

void ConsoleServer::StartPage(const httplib::Request& req, httplib::Response& res) {
    if (req.get_param_value("app") != "3") {
        res.status = 404;
        SendHtml(res, ErrorPage(404, "No such application", false));
        return;
    }
    const auto user = SessionUser(req);
    if (!user) {
        SendHtml(res, LoginPage("", ""));
    } else if (!state_.TerminalAssigned()) {
        state_.CountTerminalPage();
        SendHtml(res, TerminalPage(*user));
    } else {
        SendHtml(res, AppPage(*user));
    }
}

void ConsoleServer::LoginPost(const httplib::Request& req, httplib::Response& res) {
    const std::string user = req.get_param_value("un");
    const auto token = state_.Login(user, req.get_param_value("pw"));
    if (!token) {
        SendHtml(res, LoginPage(user, "Wrong user name or password."));
        return;
    }
    if (const auto old = CookieToken(req); old && *old != *token)
        state_.Forget(*old);
    res.set_header("Set-Cookie",
                   std::string(kCookieName) + "=" + *token + "; Path=/; HttpOnly; SameSite=Strict");
    // Redirect after the POST, so the top document's address is the start page
    // and reloading it never re-posts the password.
    res.set_redirect(std::string(kStartPage), 303);
}

void ConsoleServer::LogoutPage(const httplib::Request& req, httplib::Response& res) {
    if (const auto token = CookieToken(req))
        state_.Logout(*token);
    res.set_header("Set-Cookie",
                   std::string(kCookieName) + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict");
    const bool close = req.get_param_value("after") == "close";
    res.set_redirect(close ? "/close.html" : std::string(kStartPage), 303);
}

void ConsoleServer::ButtonsFrame(const httplib::Request& req, httplib::Response& res) {
    const auto user = SessionUser(req);
    SendHtml(res, user ? ButtonsPage(*user) : SessionEndedPage());
}

void ConsoleServer::DisplayFrame(const httplib::Request& req, httplib::Response& res) {
    SendHtml(res, SessionUser(req) ? DisplayPage() : SessionEndedPage());
}

void ConsoleServer::PollFrame(const httplib::Request& req, httplib::Response& res) {
    SendHtml(res, SessionUser(req) ? PollPage(state_.Rows(), options_.pollMs) : SessionEndedPage());
}

void ConsoleServer::ConfigWindow(const httplib::Request& req, httplib::Response& res) {
    const auto user = SessionUser(req);
    SendHtml(res, user ? ConfigPage(*user) : SessionEndedPage());
}

void ConsoleServer::HelpWindow(const httplib::Request&, httplib::Response& res) {
    SendHtml(res, HelpPage());
}

void ConsoleServer::CloseWindow(const httplib::Request&, httplib::Response& res) {
    SendHtml(res, ClosePage());
}

void ConsoleServer::ExternalTest(const httplib::Request& req, httplib::Response& res) {
    const std::string row1 = req.has_param("row1") ? req.get_param_value("row1") : "0301234567";
    const std::string row2 = req.has_param("row2") ? req.get_param_value("row2") : "External";
    SendHtml(res, ExternalPage(row1, row2, req.get_param_value("auto") == "1"));
}

void ConsoleServer::SimCall(const httplib::Request& req, httplib::Response& res) {
    if (!OnlyParams(req, res, {"row1", "row2", "duration"}))
        return;
    std::string row1;
    std::string row2;
    if (!ValidRow(req, res, "row1", &row1) || !ValidRow(req, res, "row2", &row2))
        return;
    if (row1.empty()) {
        SendJsonError(res, 400, "row1 must not be empty (use /sim/hangup to clear the display)");
        return;
    }
    std::optional<std::chrono::milliseconds> duration;
    if (req.has_param("duration")) {
        const std::string text = req.get_param_value("duration");
        char* end = nullptr;
        const double seconds = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !(seconds > 0.0 && seconds <= 3600.0)) {
            SendJsonError(res, 400, "duration must be seconds above 0 and up to 3600");
            return;
        }
        duration = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    }
    const auto id = state_.StartCall(row1, row2);
    if (duration)
        calls_.HangUpAfter(id, *duration);
    Log("call " + std::to_string(id) + " started");
    res.set_content("{\"call\":" + std::to_string(id) + ",\"row1\":" + JsonString(row1) +
                        ",\"row2\":" + JsonString(row2) + "}\n",
                    kJson);
}

void ConsoleServer::SimHangUp(const httplib::Request& req, httplib::Response& res) {
    if (!OnlyParams(req, res, {}))
        return;
    const bool ended = state_.HangUp();
    res.set_content(std::string("{\"ended\":") + (ended ? "true" : "false") + "}\n", kJson);
}

void ConsoleServer::SimDrop(const httplib::Request& req, httplib::Response& res) {
    if (!OnlyParams(req, res, {"user"}))
        return;
    std::optional<std::string> user;
    if (req.has_param("user")) {
        user = req.get_param_value("user");
        if (!state_.HasUser(*user)) {
            SendJsonError(res, 400, "unknown user " + *user);
            return;
        }
    }
    const auto dropped = state_.Drop(user);
    res.set_content("{\"dropped\":" + std::to_string(dropped) + "}\n", kJson);
}

void ConsoleServer::SimTerminal(const httplib::Request& req, httplib::Response& res) {
    if (!OnlyParams(req, res, {"state"}))
        return;
    const std::string value = req.get_param_value("state");
    if (value != "none" && value != "assigned") {
        SendJsonError(res, 400, "state must be none or assigned");
        return;
    }
    state_.SetTerminalAssigned(value == "assigned");
    res.set_content("{\"terminal\":" + JsonString(value) + "}\n", kJson);
}

void ConsoleServer::SimState(const httplib::Request& req, httplib::Response& res) {
    if (!OnlyParams(req, res, {}))
        return;
    const StateSnapshot s = state_.Snapshot();
    std::string json = "{";
    json += "\"logins\":" + std::to_string(s.logins);
    json += ",\"logouts\":" + std::to_string(s.logouts);
    json += ",\"failed_logins\":" + std::to_string(s.failedLogins);
    json += ",\"active_sessions\":" + std::to_string(s.sessionUsers.size());
    json += ",\"session_users\":[";
    for (std::size_t i = 0; i < s.sessionUsers.size(); ++i)
        json += (i ? "," : "") + JsonString(s.sessionUsers[i]);
    json += "],\"call_active\":";
    json += s.callId ? "true" : "false";
    json += ",\"row1\":" + JsonString(s.rows.row1);
    json += ",\"row2\":" + JsonString(s.rows.row2);
    json += ",\"terminal\":";
    json += s.terminalAssigned ? "\"assigned\"" : "\"none\"";
    json += ",\"terminal_pages\":" + std::to_string(s.terminalPages);
    json += ",\"injected_failures\":" + std::to_string(s.injectedFailures);
    json += ",\"requests\":{";
    bool first = true;
    for (const auto& [path, count] : s.requests) {
        json += (first ? "" : ",") + JsonString(path) + ":" + std::to_string(count);
        first = false;
    }
    json += "}}\n";
    res.set_content(json, kJson);
}

} // namespace qv::testconsole
