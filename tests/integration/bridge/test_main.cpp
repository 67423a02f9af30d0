// The bridge and browser tests need a real engine and a display (Xvfb in CI);
// the browser's also the res: scheme.
#ifdef QV_TEST_RES_SCHEME
#include "backend/qt/browser/res_scheme_handler.h"
#endif

#include <QApplication>
#include <gtest/gtest.h>
#include <unistd.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    // The engine prints its whole configuration at start-up otherwise.
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES")) {
        qputenv("QT_LOGGING_RULES", "qt.webenginecontext=false");
    }
    // The engine's sandbox refuses to start as root (CI runs as root).
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // Nothing but the loopback server may be contacted.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                "--disable-gpu --disable-background-networking --disable-component-update "
                "--no-proxy-server");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#ifdef QV_TEST_RES_SCHEME
    qv::qt::RegisterResScheme();
#endif
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
