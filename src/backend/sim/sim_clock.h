// The simulation's millisecond clock. It moves only when told to or when
// the program waits; scheduled actions stand for outside events (a page
// loading, the user clicking) and run at their time.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

namespace qv::sim {

class SimClock {
public:
    std::uint64_t Now() const { return now_; }
    // Sets the time; 0xFFFFF000 lets a test cross the 32-bit tick wrap.
    void Set(std::uint64_t ms) { now_ = ms; }
    void Advance(std::uint64_t ms) { now_ += ms; }

    void At(std::uint64_t ms, std::function<void()> action);
    void After(std::uint64_t ms, std::function<void()> action) { At(now_ + ms, std::move(action)); }
    std::optional<std::uint64_t> NextActionTime() const;
    // Moves to the first action due by then and runs it, or to the time
    // itself when none is. Returns whether an action ran.
    bool AdvanceTowards(std::uint64_t ms);

private:
    std::uint64_t now_ = 0;
    std::uint64_t sequence_ = 0;
    // Ordered by time, then by scheduling order.
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::function<void()>> actions_;
};

} // namespace qv::sim
