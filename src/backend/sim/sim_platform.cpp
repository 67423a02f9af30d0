#include "backend/sim/sim_platform.h"

#include "platform/ui/winapi.h"

namespace qv::sim {

SimPlatform::SimPlatform()
    : transcript_(std::make_shared<Transcript>()), windows_(transcript_), shell_(transcript_) {
    qv::platform::SetWindowSystem(&windows_);
    qv::platform::SetShell(&shell_);
}

SimPlatform::~SimPlatform() {
    // Windows still open go first, while their procedures can still run.
    for (HWND hwnd : windows_.Tree().TopLevel())
        ::DestroyWindow(hwnd);
    if (qv::platform::GetWindowSystem() == &windows_)
        qv::platform::SetWindowSystem(nullptr);
    if (qv::platform::GetShell() == &shell_)
        qv::platform::SetShell(nullptr);
}

} // namespace qv::sim
