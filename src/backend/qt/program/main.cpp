// quorvia: the desktop program. Qt supplies the window system, the tray and
// the browser engine; the framework's modal loop drives everything.
#include "app/run_quorvia.h"
#include "backend/qt/browser/qt_browser_factory.h"
#include "backend/qt/browser/res_scheme_handler.h"
#include "backend/qt/qt_language.h"
#include "backend/qt/qt_shell.h"
#include "backend/qt/qt_window_system.h"
#include "platform/debug_trace.h"
#include "platform/module/resources.h"
#include "res/embedded.h"

#include <QApplication>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    // Diagnostics first: --debug must not reach the start URL.
    qv::platform::ConfigureTracing(argc, argv);
    // The engine's sandbox refuses to run as root (containers, CI); there is
    // no other user to drop to, so run it without.
    if (geteuid() == 0)
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QApplication::setApplicationName("quorvia");
    QApplication::setOrganizationName("Belmar");
    QApplication::setDesktopFileName("quorvia");
    qv::qt::RegisterResScheme();
    QApplication app(argc, argv);
    {
        // The program's texts are chosen from its resources: Qt's follow them.
        const auto resources = qv::platform::LoadResourceModule(qv::res::EmbeddedResourceImage());
        qv::qt::ApplyUserLanguage(resources.get());
    }

    qv::qt::QtWindowSystem windows;
    qv::qt::QtShell shell;
    qv::qt::InstallQtBrowserFactory(windows);
    return RunQuorvia(argc, argv, windows, &shell);
}
