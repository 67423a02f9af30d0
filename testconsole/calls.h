// Timed events of the telephone: hang-ups after a call's duration and, for the
// demo, a call now and then. One thread that sleeps until the next event.
#pragma once

#include "state.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qv::testconsole {

class CallScheduler {
public:
    using Clock = std::chrono::steady_clock;
    using Log = std::function<void(const std::string&)>;

    // every: period of the simulated calls; zero means none.
    CallScheduler(ConsoleState& state, std::chrono::milliseconds every, Log log);
    ~CallScheduler();
    CallScheduler(const CallScheduler&) = delete;
    CallScheduler& operator=(const CallScheduler&) = delete;

    void Start();
    void Stop();

    // Ends the call after the given time unless a newer call has replaced it.
    void HangUpAfter(std::uint64_t callId, std::chrono::milliseconds after);

    // How long a simulated call lasts: 6 s, or half the period when that is shorter.
    static std::chrono::milliseconds CallLength(std::chrono::milliseconds every);

private:
    struct PendingHangUp {
        Clock::time_point when;
        std::uint64_t callId;
    };

    void Run();
    void PlaceSimulatedCall(Clock::time_point now);

    ConsoleState& state_;
    const std::chrono::milliseconds every_;
    const Log log_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::vector<PendingHangUp> hangUps_;
    Clock::time_point nextCall_;
    std::size_t nextCaller_ = 0;
    std::thread thread_;
};

} // namespace qv::testconsole
