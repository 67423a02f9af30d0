// Starts the desktop (buses, openbox, dunst, trayer) inside the X server of
// xvfb-run, then the application and the tests. With --foreign-window it
// is instead another application's window for the stacking tests.
#include "desktop_session.h"
#include "rc/embedded.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace {

int ForeignWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QString::fromLocal8Bit(argv[2]));
    window.resize(420, 320);
    window.move(380, 260);
    window.show();
    std::printf("%llu\n", static_cast<unsigned long long>(window.winId()));
    std::fflush(stdout);
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--foreign-window") == 0)
        return ForeignWindow(argc, argv);
    auto& desktop = qv::test::DesktopSession::Get();
    const std::string problem = desktop.StartBusesAndWindowManager();
    if (!problem.empty()) {
        std::fprintf(stderr, "desktop: %s\n", problem.c_str());
        desktop.StopAll();
        return 1;
    }
    for (const std::string& more : {desktop.StartNotificationDaemon(), desktop.StartTrayHost()}) {
        if (!more.empty()) {
            std::fprintf(stderr, "desktop: %s\n", more.c_str());
            desktop.StopAll();
            return 1;
        }
    }
    // Fixed, so measured sizes do not depend on the machine's settings.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_SCALE_FACTOR", "1");
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvia-test"));
    qv::res::InstallEmbeddedResources(argv[0]);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    desktop.StopAll();
    return result;
}
