// The simulated platform for a test: window system, shell and transcript,
// installed as the current ones for the object's lifetime.
#pragma once

#include "backend/sim/sim_browser.h"
#include "backend/sim/sim_shell.h"
#include "backend/sim/sim_window_system.h"

#include <memory>

namespace qv::sim {

class SimPlatform {
public:
    SimPlatform();
    ~SimPlatform();
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    SimWindowSystem& Windows() { return windows_; }
    SimShell& Shell() { return shell_; }
    SimClock& Clock() { return windows_.Clock(); }
    Transcript& Log() { return *transcript_; }
    std::shared_ptr<Transcript> SharedLog() { return transcript_; }

private:
    std::shared_ptr<Transcript> transcript_;
    SimWindowSystem windows_;
    SimShell shell_;
};

} // namespace qv::sim
