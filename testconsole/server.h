// quorvia-console's HTTP server: the console pages, the /sim/* control
// endpoints and the fault options, served by httplib on a thread pool.
#pragma once

#include "calls.h"
#include "options.h"
#include "state.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace qv::testconsole {

class ConsoleServer {
public:
    explicit ConsoleServer(ConsoleOptions options);
    ~ConsoleServer();
    ConsoleServer(const ConsoleServer&) = delete;
    ConsoleServer& operator=(const ConsoleServer&) = delete;

    // Binds the listen address and serves on a thread of its own.
    bool Start(std::string* error);
    // Stops serving; a request waiting out --latency is cut short.
    void Stop();

    int Port() const { return port_; }
    // "http://127.0.0.1:PORT/" ("[::1]" for IPv6).
    std::string BaseUrl() const;
    ConsoleState& State() { return state_; }

private:
    enum class Kind { Page, Sim };
    using Handler = void (ConsoleServer::*)(const httplib::Request&, httplib::Response&);

    void AddRoutes();
    void Route(const char* method, const char* path, Kind kind, Handler handler);
    // Common part of every route: encoding check, loopback check, latency,
    // injected failures, no caching.
    bool Admit(Kind kind, const httplib::Request& req, httplib::Response& res);
    void Log(const std::string& line) const;
    // Sleeps the latency; false when the server stops meanwhile.
    bool WaitLatency();
    std::optional<std::string> SessionUser(const httplib::Request& req) const;

    void StartPage(const httplib::Request& req, httplib::Response& res);
    void LoginPost(const httplib::Request& req, httplib::Response& res);
    void LogoutPage(const httplib::Request& req, httplib::Response& res);
    void ButtonsFrame(const httplib::Request& req, httplib::Response& res);
    void DisplayFrame(const httplib::Request& req, httplib::Response& res);
    void PollFrame(const httplib::Request& req, httplib::Response& res);
    void ConfigWindow(const httplib::Request& req, httplib::Response& res);
    void HelpWindow(const httplib::Request& req, httplib::Response& res);
    void CloseWindow(const httplib::Request& req, httplib::Response& res);
    void ExternalTest(const httplib::Request& req, httplib::Response& res);
    void Root(const httplib::Request& req, httplib::Response& res);

    void SimCall(const httplib::Request& req, httplib::Response& res);
    void SimHangUp(const httplib::Request& req, httplib::Response& res);
    void SimDrop(const httplib::Request& req, httplib::Response& res);
    void SimTerminal(const httplib::Request& req, httplib::Response& res);
    void SimState(const httplib::Request& req, httplib::Response& res);

    const ConsoleOptions options_;
    ConsoleState state_;
    CallScheduler calls_;
    std::unique_ptr<httplib::Server> http_;
    std::thread thread_;
    std::atomic<bool> listenEnded_ = false;
    int port_ = -1;

    std::mutex stopMutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
};

} // namespace qv::testconsole
