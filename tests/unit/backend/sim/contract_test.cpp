// The window system and shell contract on the simulated desktop.
#include "../../../contract/window_system_contract.h"
#include "backend/sim/sim_platform.h"

namespace {

class SimDesktop {
public:
    using Foreign = HWND;

    bool Eventually(const std::function<bool()>& condition) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        return condition();
    }
    bool Settled(const std::function<bool()>& condition) { return Eventually(condition); }
    void Shown(HWND) {}
    Foreign OpenForeign() { return sim_.Windows().CreateForeignWindow("Other application"); }
    void UserActivates(Foreign window) { sim_.Windows().UserActivate(window); }
    bool Above(HWND ours, Foreign other) { return sim_.Windows().IsAbove(ours, other); }
    bool Active(Foreign other) { return ::GetForegroundWindow() == other; }
    void PressArrow(HWND updown, int direction) {
        sim_.Windows().UserPressArrow(updown, direction);
    }

private:
    qv::sim::SimPlatform sim_;
};

} // namespace

namespace qv::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Sim, WindowSystemContract, SimDesktop);
INSTANTIATE_TYPED_TEST_SUITE_P(Sim, ShellContract, SimDesktop);
} // namespace qv::contract
