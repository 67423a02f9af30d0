// Everything the console remembers: accounts, sessions, the telephone display,
// the terminal assignment and the counters /sim/state reports. Handlers run on
// httplib's thread pool, so every member is guarded by one mutex.
#pragma once

#include "options.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace qv::testconsole {

struct DisplayRows {
    std::string row1;
    std::string row2;
};

struct StateSnapshot {
    std::uint64_t logins = 0;
    std::uint64_t logouts = 0;
    std::uint64_t failedLogins = 0;
    std::uint64_t terminalPages = 0;
    std::uint64_t injectedFailures = 0;
    std::vector<std::string> sessionUsers; // one entry per active session, sorted
    DisplayRows rows;
    std::uint64_t callId = 0; // 0: no call
    bool terminalAssigned = true;
    std::map<std::string, std::uint64_t> requests;
};

class ConsoleState {
public:
    ConsoleState(std::vector<ConsoleUser> users, double failRate);

    bool HasUser(const std::string& name) const;

    // A new session token, or nothing for wrong credentials (counted).
    std::optional<std::string> Login(const std::string& user, const std::string& password);
    std::optional<std::string> SessionUser(const std::string& token) const;
    // Ends the session; counts a logout only when the session was alive.
    bool Logout(const std::string& token);
    // Ends a session that a new login replaces; not a logout.
    void Forget(const std::string& token);
    // Ends every session, or those of one user; returns how many ended.
    std::size_t Drop(const std::optional<std::string>& user);

    // Shows a call on the display; the id lets a timed hang-up leave a newer call alone.
    std::uint64_t StartCall(const std::string& row1, const std::string& row2);
    // Clears the display; with an id, only while that call is still shown.
    bool HangUp(std::optional<std::uint64_t> callId = std::nullopt);
    DisplayRows Rows() const;
    bool CallActive() const;

    void SetTerminalAssigned(bool assigned);
    bool TerminalAssigned() const;
    void CountTerminalPage();

    void CountRequest(const std::string& pagePath);
    // Decides whether the next console request gets the injected 500: request n
    // (from 1) fails when floor(n * rate) > floor((n - 1) * rate), so after n
    // requests exactly floor(n * rate) have failed, spread evenly.
    bool NextRequestFails();

    StateSnapshot Snapshot() const;

private:
    std::string NewToken();

    const std::vector<ConsoleUser> users_;
    const double failRate_;

    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::string> sessions_; // token -> user
    std::uint64_t logins_ = 0;
    std::uint64_t logouts_ = 0;
    std::uint64_t failedLogins_ = 0;
    std::uint64_t terminalPages_ = 0;
    std::uint64_t injectedFailures_ = 0;
    std::uint64_t consoleRequests_ = 0;
    DisplayRows rows_;
    std::uint64_t callId_ = 0;
    std::uint64_t lastCallId_ = 0;
    bool terminalAssigned_ = true;
    std::map<std::string, std::uint64_t> requests_;
};

} // namespace qv::testconsole
