// quorvia: the desktop program. Qt supplies the window system, the tray and
// the browser engine; the framework's modal loop drives everything.
#include "app/run_quorvia.h"
#include "backend/qt/browser/qt_browser_factory.h"
#include "backend/qt/browser/res_scheme_handler.h"
#include "backend/qt/heap_trim.h"
#include "backend/qt/program_icon.h"
#include "backend/qt/qt_language.h"
#include "backend/qt/qt_shell.h"
#include "backend/qt/qt_window_system.h"
#include "backend/qt/termination_signals.h"
#include "localized/localized_resources.h"
#include "platform/debug_trace.h"
#include "platform/module/resources.h"
#include "rc/embedded.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Placing the window and raising it without taking the focus need X11:
// wherever an X display is reachable (XWayland on a Wayland session) the
// program runs on it, unless the user chose a platform.
bool PreferX11() {
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    return (!chosen || !*chosen) && display && *display;
}

// Runs the program; endedBy is the signal that ended it, 0 for none.
int Run(int argc, char** argv, int& endedBy) {
    // The engine's sandbox refuses to run as root (containers, CI); there is
    // no other user to drop to, so run it without.
    if (geteuid() == 0)
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QApplication::setApplicationName("quorvia");
    QApplication::setOrganizationName("Belmar");
    QApplication::setDesktopFileName(QStringLiteral(QV_APP_ID));
    qv::qt::RegisterResScheme();
    // Qt takes options of its own out of the arguments it is given ("-style",
    // "-reverse" ...); the command line is the program's, so Qt sees only the
    // program's name (its settings come from the environment).
    char platform[] = "-platform";
    char x11[] = "xcb";
    char* qtArgv[] = {argv[0], platform, x11, nullptr};
    int qtArgc = PreferX11() ? 3 : 1;
    QApplication app(qtArgc, qtArgv);
    // The program runs for days; what its page loads freed goes back.
    qv::qt::StartHeapTrimming(&app, std::chrono::seconds(30));
    {
        // The program's texts are chosen from its resources: Qt's follow them.
        const auto resources = qv::platform::LoadResourceModule(qv::res::EmbeddedResourceImage());
        qv::qt::ApplyUserLanguage(resources.get());
    }

    qv::qt::QtWindowSystem windows;
    const qv::qt::TerminationSignals termination(windows);
    qv::qt::QtShell shell;
    const qv::qt::ThemeIcon icon = qv::qt::LoadThemeIcon(
        QStringLiteral(QV_APP_ID), QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
    shell.SetProgram(QString::fromStdString(ProductName()), icon.icon, icon.notification);
    qv::qt::InstallQtBrowserFactory(windows, FindLocalizedResource);
    const int code = RunQuorvia(argc, argv, windows, &shell);
    endedBy = termination.Received();
    return code;
}

} // namespace

int main(int argc, char** argv) {
    // Answered without a window, so it works without a desktop too.
    if (const auto information = ProgramInformation(argc, argv)) {
        std::fputs(information->c_str(), stdout);
        return std::fflush(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
    }
    // Diagnostics first: --debug must not reach the start URL.
    qv::platform::ConfigureTracing(argc, argv);
    int endedBy = 0;
    const int code = Run(argc, argv, endedBy);
    qv::qt::TerminationSignals::EndBy(endedBy);
    return code;
}
