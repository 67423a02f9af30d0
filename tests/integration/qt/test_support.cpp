#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QToolButton>
#include <QWidget>

namespace qv::test {

std::string RunCommand(const std::string& command) {
    QProcess process;
    process.startCommand(QString::fromStdString(command));
    process.waitForFinished(30000);
    return process.readAllStandardOutput().toStdString();
}

QtDesktop::QtDesktop() {
    platform::SetWindowSystem(&windows);
    platform::SetShell(&shell);
    // The tray host may still be starting, or restarting after a test.
    EXPECT_TRUE(QTest::qWaitFor([] { return qt::QtShell::HasNotificationArea(); }, 10000));
}

QtDesktop::~QtDesktop() {
    for (auto& process : foreign_) {
        process->kill();
        process->waitForFinished();
    }
    for (HWND hwnd : windows.Tree().TopLevel())
        ::DestroyWindow(hwnd);
    platform::SetShell(nullptr);
    platform::SetWindowSystem(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool QtDesktop::Settled(const std::function<bool()>& condition) {
    PumpUntil([] { return false; }, 300);
    return condition();
}

void QtDesktop::Shown(HWND hwnd) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(windows.Widget(hwnd)));
}

QtDesktop::Foreign QtDesktop::OpenForeign() {
    auto& process = *foreign_.emplace_back(std::make_unique<QProcess>());
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--foreign-window"), QStringLiteral("Other application")});
    if (!process.waitForReadyRead(10000))
        return 0;
    const Foreign window = process.readLine().trimmed().toULong();
    Eventually([&] { return ActiveXWindow() == window; });
    return window;
}

bool QtDesktop::Above(HWND ours, Foreign other) {
    const int index = StackIndex(static_cast<unsigned long>(windows.Widget(ours)->winId()));
    return index >= 0 && index > StackIndex(other);
}

void QtDesktop::PressArrow(HWND updown, int direction) {
    Arrow(windows.Widget(updown), direction)->click();
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        if (condition())
            return true;
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            return false;
        // Short slices: the condition may also change outside (X11).
        ::WaitMessageTimeout(DWORD(std::min<qint64>(left, 50)));
    }
}

std::optional<platform::DialogTemplate> LoadTemplate(WORD id, LANGID language) {
    HRSRC found =
        FindResourceExA(nullptr, MAKEINTRESOURCEA(RT_DIALOG_ID), MAKEINTRESOURCEA(id), language);
    if (!found)
        return std::nullopt;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    return platform::ParseDialogTemplate(data, SizeofResource(nullptr, found));
}

QToolButton* Arrow(QWidget* updown, int direction) {
    for (auto* button : updown->findChildren<QToolButton*>()) {
        if (button->arrowType() == (direction > 0 ? Qt::UpArrow : Qt::DownArrow))
            return button;
    }
    return nullptr;
}

unsigned long ActiveXWindow() {
    return QString::fromStdString(RunCommand("xdotool getactivewindow")).trimmed().toULong();
}

int StackIndex(unsigned long window) {
    const QString out = QString::fromStdString(RunCommand("xprop -root _NET_CLIENT_LIST_STACKING"));
    const QStringList order = out.section(QLatin1Char('#'), 1).split(QLatin1Char(','));
    for (int i = 0; i < order.size(); ++i) {
        if (order[i].trimmed().toULong(nullptr, 16) == window)
            return i;
    }
    return -1;
}

void SaveScreenshot(QWidget* widget, const QString& name) {
    QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
    widget->grab().save(QStringLiteral(QV_SCREENSHOT_DIR "/") + name);
}

} // namespace qv::test
