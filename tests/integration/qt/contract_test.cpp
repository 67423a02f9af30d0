// The window system and shell contract on the real desktop.
#include "../../contract/window_system_contract.h"
#include "backend/qt/qt_shell.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

using namespace qv::test;

class QtDesktop {
public:
    // Another application's top-level window, by its X id.
    using Foreign = unsigned long;

    QtDesktop() {
        qv::platform::SetWindowSystem(&windows_);
        qv::platform::SetShell(&shell_);
        // The tray host may still be starting when the first test runs.
        EXPECT_TRUE(QTest::qWaitFor([] { return qv::qt::QtShell::HasNotificationArea(); }, 10000));
    }
    ~QtDesktop() {
        for (auto& process : foreign_) {
            process->kill();
            process->waitForFinished();
        }
        for (HWND hwnd : windows_.Tree().TopLevel())
            ::DestroyWindow(hwnd);
        qv::platform::SetShell(nullptr);
        qv::platform::SetWindowSystem(nullptr);
    }

    bool Eventually(const std::function<bool()>& condition) { return PumpUntil(condition); }
    // The condition still holds after the desktop had time to change it.
    bool Settled(const std::function<bool()>& condition) {
        PumpUntil([] { return false; }, 300);
        return condition();
    }
    void Shown(HWND hwnd) { EXPECT_TRUE(QTest::qWaitForWindowExposed(windows_.Widget(hwnd))); }
    Foreign OpenForeign() {
        auto& process = *foreign_.emplace_back(std::make_unique<QProcess>());
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--foreign-window"), QStringLiteral("Other application")});
        if (!process.waitForReadyRead(10000))
            return 0;
        const Foreign window = process.readLine().trimmed().toULong();
        Eventually([&] { return ActiveXWindow() == window; });
        return window;
    }
    void UserActivates(Foreign window) {
        RunCommand("xdotool windowactivate " + std::to_string(window));
    }
    bool Above(HWND ours, Foreign other) {
        const int index = StackIndex(static_cast<unsigned long>(windows_.Widget(ours)->winId()));
        return index >= 0 && index > StackIndex(other);
    }
    bool Active(Foreign other) { return other != 0 && ActiveXWindow() == other; }
    void PressArrow(HWND updown, int direction) {
        Arrow(windows_.Widget(updown), direction)->click();
    }

private:
    qv::qt::QtWindowSystem windows_;
    qv::qt::QtShell shell_;
    std::vector<std::unique_ptr<QProcess>> foreign_;
};

} // namespace

namespace qv::contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowSystemContract, QtDesktop);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ShellContract, QtDesktop);
} // namespace qv::contract
