#include "platform/ui/window_system.h"

namespace qv::platform {

namespace {
IWindowSystem* current = nullptr;
}

IWindowSystem* GetWindowSystem() {
    return current;
}
void SetWindowSystem(IWindowSystem* system) {
    current = system;
}

} // namespace qv::platform
