// Runs on the desktop scripts/qvdesktop.py gives (buses, openbox, dunst,
// trayer). With --foreign-window it is instead another application's window
// for the stacking tests.
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
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    // Fixed, so measured sizes do not depend on the machine's settings.
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_SCALE_FACTOR", "1");
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvia-test"));
    qv::res::InstallEmbeddedResources(argv[0]);
    return RUN_ALL_TESTS();
}
