#include "state.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace qv::testconsole {

ConsoleState::ConsoleState(std::vector<ConsoleUser> users, double failRate)
    : users_(std::move(users)), failRate_(failRate) {}

bool ConsoleState::HasUser(const std::string& name) const {
    return std::any_of(users_.begin(), users_.end(),
                       [&](const ConsoleUser& u) { return u.name == name; });
}

std::string ConsoleState::NewToken() {
    // 128 bits straight from the kernel's generator: tokens must not be guessable.
    std::random_device device;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 4; ++i) {
        std::uint32_t word = device();
        for (int n = 0; n < 8; ++n, word >>= 4)
            token += kHex[word & 0xF];
    }
    return token;
}

std::optional<std::string> ConsoleState::Login(const std::string& user,
                                               const std::string& password) {
    const bool ok = std::any_of(users_.begin(), users_.end(), [&](const ConsoleUser& u) {
        return u.name == user && u.password == password;
    });
    std::lock_guard lock(mutex_);
    if (!ok) {
        ++failedLogins_;
        return std::nullopt;
    }
    std::string token = NewToken();
    sessions_[token] = user;
    ++logins_;
    return token;
}

std::optional<std::string> ConsoleState::SessionUser(const std::string& token) const {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(token);
    if (it == sessions_.end())
        return std::nullopt;
    return it->second;
}

bool ConsoleState::Logout(const std::string& token) {
    std::lock_guard lock(mutex_);
    if (sessions_.erase(token) == 0)
        return false;
    ++logouts_;
    return true;
}

void ConsoleState::Forget(const std::string& token) {
    std::lock_guard lock(mutex_);
    sessions_.erase(token);
}

std::size_t ConsoleState::Drop(const std::optional<std::string>& user) {
    std::lock_guard lock(mutex_);
    return std::erase_if(sessions_, [&](const auto& s) { return !user || s.second == *user; });
}

std::uint64_t ConsoleState::StartCall(const std::string& row1, const std::string& row2) {
    std::lock_guard lock(mutex_);
    rows_ = {row1, row2};
    callId_ = ++lastCallId_;
    return callId_;
}

bool ConsoleState::HangUp(std::optional<std::uint64_t> callId) {
    std::lock_guard lock(mutex_);
    if (callId && *callId != callId_)
        return false;
    const bool wasActive = callId_ != 0;
    rows_ = {};
    callId_ = 0;
    return wasActive;
}

DisplayRows ConsoleState::Rows() const {
    std::lock_guard lock(mutex_);
    return rows_;
}

bool ConsoleState::CallActive() const {
    std::lock_guard lock(mutex_);
    return callId_ != 0;
}

void ConsoleState::SetTerminalAssigned(bool assigned) {
    std::lock_guard lock(mutex_);
    terminalAssigned_ = assigned;
}

bool ConsoleState::TerminalAssigned() const {
    std::lock_guard lock(mutex_);
    return terminalAssigned_;
}

void ConsoleState::CountTerminalPage() {
    std::lock_guard lock(mutex_);
    ++terminalPages_;
}

void ConsoleState::CountRequest(const std::string& pagePath) {
    std::lock_guard lock(mutex_);
    ++requests_[pagePath];
}

bool ConsoleState::NextRequestFails() {
    std::lock_guard lock(mutex_);
    // The small bias keeps products like 100 * 0.29 from rounding down a step.
    auto failuresAfter = [this](std::uint64_t n) {
        return static_cast<std::uint64_t>(std::floor(static_cast<double>(n) * failRate_ + 1e-9));
    };
    const auto before = failuresAfter(consoleRequests_);
    ++consoleRequests_;
    const auto after = failuresAfter(consoleRequests_);
    if (after == before)
        return false;
    ++injectedFailures_;
    return true;
}

StateSnapshot ConsoleState::Snapshot() const {
    std::lock_guard lock(mutex_);
    StateSnapshot s;
    s.logins = logins_;
    s.logouts = logouts_;
    s.failedLogins = failedLogins_;
    s.terminalPages = terminalPages_;
    s.injectedFailures = injectedFailures_;
    for (const auto& [token, user] : sessions_)
        s.sessionUsers.push_back(user);
    std::sort(s.sessionUsers.begin(), s.sessionUsers.end());
    s.rows = rows_;
    s.callId = callId_;
    s.terminalAssigned = terminalAssigned_;
    s.requests = requests_;
    return s;
}

} // namespace qv::testconsole
