#include "platform/ui/window_system.h"

#include "platform/text.h"

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

LRESULT CopyWindowText(std::string_view text, WPARAM size, LPARAM buffer) {
    if (size == 0 || !buffer)
        return 0;
    const std::string_view cut = text::CutUtf8(text, size - 1);
    auto* out = reinterpret_cast<char*>(buffer);
    cut.copy(out, cut.size());
    out[cut.size()] = '\0';
    return static_cast<LRESULT>(cut.size());
}

LRESULT PaintNothing(IWindowSystem& system, HWND hwnd) {
    PAINTSTRUCT paint;
    system.BeginPaint(hwnd, paint);
    system.EndPaint(hwnd, paint);
    return 0;
}

} // namespace qv::platform
