// The widget of a top-level window (a dialog). It hands what the window
// manager and the user do to it to the window system, which makes the
// platform's messages of them.
#pragma once

#include "platform/ui/winuser.h"

#include <QWidget>
#include <functional>

namespace qv::qt {

class QtWindowSystem;

class TopWindow : public QWidget {
    Q_OBJECT
public:
    TopWindow(QtWindowSystem& system, Qt::WindowFlags flags);

    void SetHandle(HWND hwnd) { hwnd_ = hwnd; }
    HWND Handle() const { return hwnd_; }
    QtWindowSystem& System() const { return system_; }
    // Runs once, as the window is first shown, before it is mapped.
    void SetBeforeFirstShow(std::function<void()> work) { beforeFirstShow_ = std::move(work); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QtWindowSystem& system_;
    HWND hwnd_ = nullptr;
    std::function<void()> beforeFirstShow_;
};

} // namespace qv::qt
