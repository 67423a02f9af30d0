#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QToolButton>
#include <QWidget>

namespace qv::test {

std::string RunCommand(const std::string& command) {
    QProcess process;
    process.startCommand(QString::fromStdString(command));
    process.waitForFinished(30000);
    return process.readAllStandardOutput().toStdString();
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

HWND QtBackendTest::CreatePlainWindow(int width, int height) {
    platform::DialogTemplate dialog;
    dialog.style = WS_OVERLAPPEDWINDOW | DS_SETFONT;
    dialog.exStyle = WS_EX_APPWINDOW;
    dialog.font = platform::DialogFont{8, 0, false, 0, "MS Sans Serif"};
    dialog.caption = "Plain";
    HWND hwnd = CreateRecordingDialog(dialog);
    const QMargins m = ws_->FrameMargins(ws_->Widget(hwnd));
    ::MoveWindow(hwnd, 200, 150, width + m.left() + m.right(), height + m.top() + m.bottom(),
                 FALSE);
    return hwnd;
}

std::vector<Seen> QtBackendTest::SeenOf(HWND hwnd, UINT message) const {
    std::vector<Seen> out;
    for (const Seen& seen : seen_) {
        if (seen.hwnd == hwnd && seen.message == message)
            out.push_back(seen);
    }
    return out;
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
