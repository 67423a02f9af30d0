#include "calls.h"

#include <algorithm>
#include <array>

namespace qv::testconsole {

namespace {

struct Caller {
    const char* number;
    const char* title;
};

constexpr std::array<Caller, 4> kCallers{{
    {"0301234567", "Call"},
    {"+49891234567", "Call"},
    {"0612345678", "Transfer"},
    {"0201987654", "Call"},
}};

} // namespace

CallScheduler::CallScheduler(ConsoleState& state, std::chrono::milliseconds every, Log log)
    : state_(state), every_(every), log_(std::move(log)) {}

CallScheduler::~CallScheduler() {
    Stop();
}

std::chrono::milliseconds CallScheduler::CallLength(std::chrono::milliseconds every) {
    return std::min<std::chrono::milliseconds>(std::chrono::seconds(6), every / 2);
}

void CallScheduler::Start() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable())
        return;
    stop_ = false;
    nextCall_ = Clock::now() + every_;
    thread_ = std::thread([this] { Run(); });
}

void CallScheduler::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void CallScheduler::HangUpAfter(std::uint64_t callId, std::chrono::milliseconds after) {
    {
        std::lock_guard lock(mutex_);
        hangUps_.push_back({Clock::now() + after, callId});
    }
    wake_.notify_all();
}

void CallScheduler::PlaceSimulatedCall(Clock::time_point now) {
    // A call the tests placed by hand is left alone; try again next period.
    if (state_.CallActive())
        return;
    const Caller& caller = kCallers[nextCaller_++ % kCallers.size()];
    const auto id = state_.StartCall(caller.number, caller.title);
    if (log_)
        log_(std::string("simulated call from ") + caller.number);
    std::lock_guard lock(mutex_);
    hangUps_.push_back({now + CallLength(every_), id});
}

void CallScheduler::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        auto next = Clock::time_point::max();
        if (every_.count() > 0)
            next = nextCall_;
        for (const auto& h : hangUps_)
            next = std::min(next, h.when);
        if (next == Clock::time_point::max())
            wake_.wait(lock);
        else
            wake_.wait_until(lock, next);
        if (stop_)
            break;

        const auto now = Clock::now();
        std::vector<std::uint64_t> due;
        std::erase_if(hangUps_, [&](const PendingHangUp& h) {
            if (h.when > now)
                return false;
            due.push_back(h.callId);
            return true;
        });
        const bool callDue = every_.count() > 0 && nextCall_ <= now;
        if (callDue)
            nextCall_ = now + every_;

        // The state has its own lock; never hold both.
        lock.unlock();
        for (auto id : due)
            if (state_.HangUp(id) && log_)
                log_("call " + std::to_string(id) + " hung up");
        if (callDue)
            PlaceSimulatedCall(now);
        lock.lock();
    }
}

} // namespace qv::testconsole
