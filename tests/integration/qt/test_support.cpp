#include "test_support.h"

#include "platform/module/resources.h"
#include "platform/ui/winapi.h"

#include <QDir>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace qv::test {

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status)
            *status = -1;
        return out;
    }
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof(buffer), pipe))
        out.append(buffer, n);
    const int rc = pclose(pipe);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

bool PollUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        // Another process's state: nothing to wait on but time.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

QString SystemBusAddress() {
    return qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
}

void QtBackendTest::SetUp() {
    ws_ = std::make_unique<qt::QtWindowSystem>();
    platform::SetWindowSystem(ws_.get());
}

void QtBackendTest::TearDown() {
    for (HWND hwnd : ws_->Tree().TopLevel())
        ::DestroyWindow(hwnd);
    platform::SetWindowSystem(nullptr);
    ws_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

HWND QtBackendTest::CreateRecordingDialog(const platform::DialogTemplate& dialog, HWND owner) {
    return ws_->CreateDialogWindow(dialog, {}, owner,
                                   [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                                       seen_.push_back({h, m, w, l});
                                       return ::DefWindowProcA(h, m, w, l);
                                   });
}

HWND QtBackendTest::CreatePlainWindow(int width, int height, DWORD exStyle) {
    platform::DialogTemplate dialog;
    dialog.style = WS_OVERLAPPEDWINDOW | DS_SETFONT;
    dialog.exStyle = exStyle;
    dialog.font = platform::DialogFont{8, 0, false, 0, "MS Sans Serif"};
    dialog.caption = "Plain";
    HWND hwnd = CreateRecordingDialog(dialog);
    RECT outer{};
    ::GetWindowRect(hwnd, &outer);
    const QMargins m = ws_->FrameMargins(ws_->Widget(hwnd));
    ::MoveWindow(hwnd, 200, 150, width + m.left() + m.right(), height + m.top() + m.bottom(),
                 FALSE);
    return hwnd;
}

bool QtBackendTest::PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        if (condition())
            return true;
        // Short slices: the condition may also change outside (X11).
        ::WaitMessageTimeout(DWORD(std::min<qint64>(left, 50)));
    }
    return true;
}

std::vector<Seen> QtBackendTest::SeenOf(HWND hwnd, UINT message) const {
    std::vector<Seen> out;
    for (const Seen& seen : seen_) {
        if (seen.hwnd == hwnd && seen.message == message)
            out.push_back(seen);
    }
    return out;
}

std::optional<platform::DialogTemplate> LoadTemplate(WORD id, LANGID language) {
    HRSRC found =
        FindResourceExA(nullptr, MAKEINTRESOURCEA(RT_DIALOG_ID), MAKEINTRESOURCEA(id), language);
    if (!found)
        return std::nullopt;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    return platform::ParseDialogTemplate(data, SizeofResource(nullptr, found));
}

unsigned long ActiveXWindow() {
    int status = -1;
    const std::string out = RunCommand("xdotool getactivewindow 2>/dev/null", &status);
    return status == 0 ? std::stoul(out) : 0;
}

std::vector<unsigned long> StackingOrder() {
    const std::string out = RunCommand("xprop -root _NET_CLIENT_LIST_STACKING");
    std::vector<unsigned long> windows;
    const auto hash = out.find('#');
    if (hash == std::string::npos)
        return windows;
    std::stringstream list(out.substr(hash + 1));
    std::string item;
    while (std::getline(list, item, ','))
        windows.push_back(std::stoul(item, nullptr, 16));
    return windows;
}

int StackIndex(unsigned long window) {
    const auto order = StackingOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == window)
            return int(i);
    }
    return -1;
}

QString SaveScreenshot(QWidget* widget, const QString& name) {
    QDir().mkpath(QStringLiteral(QV_SCREENSHOT_DIR));
    const QString path = QStringLiteral(QV_SCREENSHOT_DIR) + QLatin1Char('/') + name;
    widget->grab().save(path);
    return path;
}

} // namespace qv::test
