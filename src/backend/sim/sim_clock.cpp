#include "backend/sim/sim_clock.h"

#include <algorithm>

namespace qv::sim {

void SimClock::At(std::uint64_t ms, std::function<void()> action) {
    actions_.emplace(std::make_pair(std::max(ms, now_), sequence_++), std::move(action));
}

std::optional<std::uint64_t> SimClock::NextActionTime() const {
    if (actions_.empty())
        return std::nullopt;
    return actions_.begin()->first.first;
}

bool SimClock::AdvanceTowards(std::uint64_t ms) {
    if (actions_.empty() || actions_.begin()->first.first > ms) {
        now_ = std::max(now_, ms);
        return false;
    }
    auto node = actions_.extract(actions_.begin());
    now_ = std::max(now_, node.key().first);
    node.mapped()();
    return true;
}

} // namespace qv::sim
