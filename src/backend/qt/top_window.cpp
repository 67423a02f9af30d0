#include "backend/qt/top_window.h"

#include "backend/qt/qt_window_system.h"

#include <QCloseEvent>
#include <QPainter>
#include <QShortcut>
#include <utility>

namespace qv::qt {

TopWindow::TopWindow(QtWindowSystem& system, Qt::WindowFlags flags)
    : QWidget(nullptr, flags), system_(system) {
    // Window managers keep their window menu to themselves; ours opens here.
    auto* systemMenu = new QShortcut(QKeySequence(QStringLiteral("Alt+Space")), this);
    systemMenu->setContext(Qt::WindowShortcut);
    connect(systemMenu, &QShortcut::activated, this, [this] {
        if (hwnd_)
            system_.ShowSystemMenu(hwnd_);
    });
}

void TopWindow::closeEvent(QCloseEvent* event) {
    // The program decides (WM_SYSCOMMAND SC_CLOSE, then WM_CLOSE); Qt must not.
    event->ignore();
    if (hwnd_)
        system_.OnCloseRequested(hwnd_);
}

void TopWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (hwnd_)
        system_.OnGeometryChanged(hwnd_);
}

void TopWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (hwnd_)
        system_.OnGeometryChanged(hwnd_);
}

void TopWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (!hwnd_)
        return;
    if (event->type() == QEvent::WindowStateChange)
        system_.OnWindowStateChanged(hwnd_);
    else if (event->type() == QEvent::ActivationChange)
        system_.OnActivationChanged(hwnd_, isActiveWindow());
}

void TopWindow::showEvent(QShowEvent* event) {
    if (auto work = std::exchange(beforeFirstShow_, nullptr))
        work();
    QWidget::showEvent(event);
}

void TopWindow::paintEvent(QPaintEvent*) {
    if (!hwnd_)
        return;
    QPainter painter(this);
    system_.OnPaint(hwnd_, painter);
}

} // namespace qv::qt
