#include "app/run_quorvia.h"

#include "app/browser_app.h"
#include "localized/localized_resources.h"
#include "localized/version_info.h"
#include "platform/module/module.h"
#include "platform/text.h"
#include "rc/embedded.h"
#include "rc/resource.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

bool g_running = false;

std::string ModulePath() {
    std::vector<char> path(4096);
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return std::string(path.data(), n);
}

enum class Information { None, Help, Version };

Information Requested(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = qv::text::AsciiLower(argv[i]);
        if (argument == "--help" || argument == "-h" || argument == "/?")
            return Information::Help;
        if (argument == "--version")
            return Information::Version;
    }
    return Information::None;
}

std::string HelpText(const std::string& program) {
    return "Usage: " + program + " [START-URL] [/wab] [/navclick]\n" +
           GetVersionInfoString("ProductName") +
           ": the PABX's web console in a window of its own, kept in the\n"
           "notification area; it logs in by itself and announces incoming calls.\n"
           "\n"
           "  START-URL   the console's start page instead of " +
           LoadLocalizedString(IDS_URL_FORMAT) +
           ";\n"
           "              %s in it stands for the PABX address\n"
           "  /wab        name callers from the address book (vCards in\n"
           "              ~/.local/share/quorvia/contacts)\n"
           "  /navclick   leave the navigation click sound alone\n"
           "  -h, --help  show this help and exit\n"
           "  --version   show the version and exit\n"
           "\n"
           "Switches count in any case and wherever they stand; the rest of the\n"
           "command line, trimmed and in lower case, is the start URL. The PABX\n"
           "address, user name and password are set in the configuration dialog\n"
           "(the notification icon's menu) and kept in ~/.config/quorvia/user.reg.\n";
}

std::string VersionText() {
    return GetVersionInfoString("ProductName") + " " + GetVersionInfoString("ProductVersion") +
           "\n" + GetVersionInfoString("LegalCopyright") + "\nLicense: Apache-2.0\n";
}

} // namespace

std::optional<std::string> ProgramInformation(int argc, char** argv) {
    const Information requested = Requested(argc, argv);
    if (requested == Information::None)
        return std::nullopt;
    qv::res::InstallEmbeddedResources(ModulePath());
    if (requested == Information::Version)
        return VersionText();
    const std::string_view path = argc > 0 ? argv[0] : "quorvia";
    const auto slash = path.rfind('/');
    return HelpText(std::string(slash == std::string_view::npos ? path : path.substr(slash + 1)));
}

std::string ProductName() {
    qv::res::InstallEmbeddedResources(ModulePath());
    return GetVersionInfoString("ProductName");
}

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
