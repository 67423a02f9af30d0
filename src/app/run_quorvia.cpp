#include "app/run_quorvia.h"

#include "app/browser_app.h"
#include "platform/module/module.h"
#include "res/embedded.h"

#include <string>
#include <vector>

namespace {

bool g_running = false;

std::string ModulePath() {
    std::vector<char> path(4096);
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return std::string(path.data(), n);
}

} // namespace

int RunQuorvia(int argc, char** argv, qv::platform::IWindowSystem& windows,
               qv::platform::IShell* shell) {
    if (g_running)
        return -1;
    g_running = true;
    qv::platform::IWindowSystem* previousWindows = qv::platform::GetWindowSystem();
    qv::platform::IShell* previousShell = qv::platform::GetShell();
    qv::platform::SetWindowSystem(&windows);
    qv::platform::SetShell(shell);
    qv::res::InstallEmbeddedResources(ModulePath());
    int exitCode = 0;
    {
        // The one application object, alive for the whole run as the
        // platform's static object would be.
        CBrowserApp app;
        exitCode = AfxWinMain(argc, argv);
    }
    qv::platform::SetShell(previousShell);
    qv::platform::SetWindowSystem(previousWindows);
    g_running = false;
    return exitCode;
}
