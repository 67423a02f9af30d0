// Window states, geometry, stacking and activation of the Qt window system.
#include "backend/qt/qt_window_system.h"
#include "backend/qt/top_window.h"
#include "backend/qt/x11_window.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

namespace qv::qt {

namespace {

RECT ToRect(const QRect& r) {
    return RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

void ShowActivating(QWidget* window, bool activate) {
    window->winId();
    // Read by the platform plugin when it maps the window.
    window->windowHandle()->setProperty("_q_showWithoutActivating", !activate);
    window->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
}

// A hidden window is shown in the state asked for now, not in the one it
// was hidden in.
void PrepareShow(QWidget* window, bool minimized) {
    if (!window->isVisible() && !minimized)
        ClearIconicInitialState(window->windowHandle());
}

} // namespace

QMargins QtWindowSystem::FrameMargins(const QWidget* window) const {
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    if (window->isVisible() && !window->isMinimized()) {
        const QRect frame = window->frameGeometry();
        const QRect client = window->geometry();
        const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                               frame.right() - client.right(), frame.bottom() - client.bottom());
        if (!margins.isNull())
            lastFrame_ = margins;
    }
    return lastFrame_;
}

QSize QtWindowSystem::MaximumWindowSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    // X11 cannot map a window wider than 32767, and a window beyond the
    // desktop shows nothing more; the desktop's extent it is.
    const QSize desktop = screen ? screen->virtualGeometry().size() : QSize(4096, 4096);
    return desktop.boundedTo(QSize(32767, 32767));
}

QRect QtWindowSystem::OuterRect(HWND hwnd) {
    QtWindow* window = Entry(hwnd);
    QWidget* widget = window ? window->widget.data() : nullptr;
    if (!widget)
        return {};
    if (!widget->isVisible() || window->minimized)
        return window->normalOuter;
    const QMargins m = FrameMargins(widget);
    const QRect client = widget->geometry();
    return QRect(client.x() - m.left(), client.y() - m.top(), client.width() + m.left() + m.right(),
                 client.height() + m.top() + m.bottom());
}

void QtWindowSystem::ApplyOuterRect(HWND hwnd, const QRect& outer) {
    QtWindow* window = Entry(hwnd);
    QWidget* widget = window ? window->widget.data() : nullptr;
    if (!widget)
        return;
    const QMargins m = FrameMargins(widget);
    const QSize client = QSize(std::max(0, outer.width() - m.left() - m.right()),
                               std::max(0, outer.height() - m.top() - m.bottom()))
                             .boundedTo(MaximumWindowSize());
    const QRect applied(outer.topLeft(), QSize(client.width() + m.left() + m.right(),
                                               client.height() + m.top() + m.bottom()));
    if (!window->minimized && !window->maximized)
        window->normalOuter = applied;
    if (window->minimized || window->maximized)
        return; // the restored rectangle takes effect when it is restored
    // Placed by its client area (static gravity): a frame-relative move
    // lands on the client when Qt does not know the frame yet.
    if (!window->resizable)
        widget->setFixedSize(client);
    widget->setGeometry(QRect(applied.topLeft() + QPoint(m.left(), m.top()), client));
    ReportSize(hwnd);
}

void QtWindowSystem::ReportSize(HWND hwnd) {
    QtWindow* window = Entry(hwnd);
    if (!window || !window->widget)
        return;
    const WPARAM type = window->minimized   ? SIZE_MINIMIZED
                        : window->maximized ? SIZE_MAXIMIZED
                                            : SIZE_RESTORED;
    const QSize size = window->minimized ? QSize(0, 0) : window->widget->size();
    if (int(type) == window->reportedType && size == window->reportedSize)
        return;
    window->reportedType = int(type);
    window->reportedSize = size;
    Deliver(hwnd, WM_SIZE, type, MAKELONG(WORD(size.width()), WORD(size.height())));
}

void QtWindowSystem::Activate(QWidget* window) {
    window->raise();
    window->activateWindow();
}

void QtWindowSystem::SetStaysOnTop(QWidget* window, bool on) {
    // On the window handle: QWidget::setWindowFlags would re-create and
    // re-show the window, which activates it.
    window->winId();
    QWindow* handle = window->windowHandle();
    const Qt::WindowFlags flags = handle->flags();
    handle->setFlags(on ? flags | Qt::WindowStaysOnTopHint : flags & ~Qt::WindowStaysOnTopHint);
}

BOOL QtWindowSystem::ShowWindow(HWND hwnd, int command) {
    QtWindow* window = Entry(hwnd);
    QWidget* widget = window ? window->widget.data() : nullptr;
    if (!widget)
        return FALSE;
    const BOOL wasVisible = widget->isVisible() ? TRUE : FALSE;
    if (!IsTopLevel(hwnd)) {
        widget->setVisible(command != SW_HIDE);
        return wasVisible;
    }
    switch (command) {
    case SW_HIDE:
        // A minimised window stays iconic while hidden, as on the platform.
        widget->hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        if (!window->minimized) {
            window->restoreMaximized = window->maximized;
            window->minimized = true;
        }
        ShowActivating(widget, false);
        widget->showMinimized();
        ReportSize(hwnd);
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWNOACTIVATE: {
        const bool wasMinimized = std::exchange(window->minimized, false);
        const bool activate = command != SW_SHOWNOACTIVATE;
        ShowActivating(widget, activate);
        PrepareShow(widget, false);
        // Mapped again from the notification area, the window is a new one
        // to the window manager, which may give it the focus whatever its
        // user time says. Refusing focus until it is on screen settles it;
        // the first expose takes the refusal back.
        if (!activate && !widget->isVisible()) {
            QWindow* handle = widget->windowHandle();
            handle->setFlags(handle->flags() | Qt::WindowDoesNotAcceptFocus);
            window->focusRefusedUntilExposed = true;
        }
        if (wasMinimized && window->restoreMaximized) {
            window->maximized = true;
            widget->showMaximized();
        } else {
            window->maximized = false;
            widget->showNormal();
            if (window->normalOuter.isValid())
                ApplyOuterRect(hwnd, window->normalOuter);
        }
        ReportSize(hwnd);
        if (activate)
            Activate(widget);
        break;
    }
    case SW_MAXIMIZE:
        window->minimized = false;
        window->maximized = true;
        ShowActivating(widget, true);
        PrepareShow(widget, false);
        widget->showMaximized();
        ReportSize(hwnd);
        Activate(widget);
        break;
    case SW_SHOW:
    case SW_SHOWNA:
        ShowActivating(widget, command == SW_SHOW);
        PrepareShow(widget, window->minimized);
        widget->show();
        if (command == SW_SHOW)
            Activate(widget);
        break;
    default:
        break;
    }
    return wasVisible;
}

BOOL QtWindowSystem::IsIconic(HWND hwnd) {
    const QtWindow* window = Find(hwnd);
    return window && IsTopLevel(hwnd) && window->minimized ? TRUE : FALSE;
}

BOOL QtWindowSystem::IsZoomed(HWND hwnd) {
    const QtWindow* window = Find(hwnd);
    return window && window->maximized && !window->minimized ? TRUE : FALSE;
}

BOOL QtWindowSystem::IsWindowVisible(HWND hwnd) {
    QWidget* widget = Widget(hwnd);
    return widget && widget->isVisible() ? TRUE : FALSE;
}

BOOL QtWindowSystem::SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                                  UINT flags) {
    QtWindow* window = Entry(hwnd);
    QWidget* widget = window ? window->widget.data() : nullptr;
    if (!widget)
        return FALSE;
    if (!IsTopLevel(hwnd)) {
        QRect r = widget->geometry();
        if (!(flags & SWP_NOMOVE))
            r.moveTo(x, y);
        if (!(flags & SWP_NOSIZE))
            r.setSize(QSize(std::max(cx, 0), std::max(cy, 0)).boundedTo(MaximumWindowSize()));
        widget->setGeometry(r);
        if (flags & SWP_SHOWWINDOW)
            widget->show();
        if (flags & SWP_HIDEWINDOW)
            widget->hide();
        return TRUE;
    }
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        QRect outer = OuterRect(hwnd);
        if (!(flags & SWP_NOMOVE))
            outer.moveTo(x, y);
        if (!(flags & SWP_NOSIZE))
            outer.setSize(QSize(cx, cy));
        ApplyOuterRect(hwnd, outer);
    }
    if (flags & SWP_SHOWWINDOW) {
        ShowActivating(widget, !(flags & SWP_NOACTIVATE));
        PrepareShow(widget, window->minimized);
        widget->show();
    }
    if (flags & SWP_HIDEWINDOW)
        widget->hide();
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST) {
            window->topmost = true;
            SetStaysOnTop(widget, true);
            widget->raise();
        } else if (insertAfter == HWND_NOTOPMOST) {
            // Leaves the band and stays on top of the ordinary windows.
            if (window->topmost) {
                window->topmost = false;
                SetStaysOnTop(widget, false);
                widget->raise();
            }
        } else if (insertAfter == HWND_BOTTOM) {
            if (window->topmost) {
                window->topmost = false;
                SetStaysOnTop(widget, false);
            }
            widget->lower();
        } else if (insertAfter == HWND_TOP) {
            widget->raise();
        }
        // Behind a given window: X11 stacks only siblings; left as it is.
    }
    if (!(flags & SWP_NOACTIVATE) && widget->isVisible())
        widget->activateWindow();
    return TRUE;
}

BOOL QtWindowSystem::MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL) {
    QWidget* widget = Widget(hwnd);
    if (!widget)
        return FALSE;
    if (!IsTopLevel(hwnd)) {
        widget->setGeometry(QRect(
            QPoint(x, y), QSize(std::max(cx, 0), std::max(cy, 0)).boundedTo(MaximumWindowSize())));
        return TRUE;
    }
    ApplyOuterRect(hwnd, QRect(x, y, cx, cy));
    return TRUE;
}

BOOL QtWindowSystem::SetForegroundWindow(HWND hwnd) {
    QWidget* widget = Widget(hwnd);
    if (!widget || !IsTopLevel(hwnd))
        return FALSE;
    Activate(widget);
    return TRUE;
}

HWND QtWindowSystem::GetForegroundWindow() {
    auto* active = qobject_cast<TopWindow*>(QApplication::activeWindow());
    return active ? HandleOf(active) : nullptr;
}

BOOL QtWindowSystem::GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT& placement) {
    QtWindow* window = Entry(hwnd);
    if (!window || !window->widget || !IsTopLevel(hwnd))
        return FALSE;
    if (window->widget->isVisible() && !window->minimized && !window->maximized)
        window->normalOuter = OuterRect(hwnd);
    placement.flags = 0;
    placement.showCmd = window->minimized             ? SW_SHOWMINIMIZED
                        : window->maximized           ? SW_SHOWMAXIMIZED
                        : window->widget->isVisible() ? SW_SHOWNORMAL
                                                      : SW_HIDE;
    placement.ptMinPosition = POINT{-1, -1};
    placement.ptMaxPosition = POINT{-1, -1};
    placement.rcNormalPosition = ToRect(window->normalOuter);
    return TRUE;
}

BOOL QtWindowSystem::GetWindowRect(HWND hwnd, RECT& rect) {
    QWidget* widget = Widget(hwnd);
    if (!widget)
        return FALSE;
    if (IsTopLevel(hwnd)) {
        rect = ToRect(OuterRect(hwnd));
    } else {
        rect = ToRect(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
    }
    return TRUE;
}

BOOL QtWindowSystem::GetClientRect(HWND hwnd, RECT& rect) {
    const QtWindow* window = Find(hwnd);
    if (!window || !window->widget)
        return FALSE;
    if (window->minimized && IsTopLevel(hwnd)) {
        rect = RECT{};
        return TRUE;
    }
    rect = RECT{0, 0, window->widget->width(), window->widget->height()};
    return TRUE;
}

BOOL QtWindowSystem::ClientToScreen(HWND hwnd, POINT& point) {
    QWidget* widget = Widget(hwnd);
    if (!widget)
        return FALSE;
    const QPoint global = widget->mapToGlobal(QPoint(point.x, point.y));
    point = POINT{global.x(), global.y()};
    return TRUE;
}

void QtWindowSystem::OnCloseRequested(HWND hwnd) {
    const QtWindow* window = Find(hwnd);
    // A disabled window (the owner of a modal dialog) cannot be closed.
    if (window && window->enabled)
        queue_.Post(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void QtWindowSystem::OnGeometryChanged(HWND hwnd) {
    QtWindow* window = Entry(hwnd);
    if (!window || !window->widget)
        return;
    if (window->widget->isVisible() && !window->minimized && !window->maximized &&
        !window->widget->isMinimized() && !window->widget->isMaximized())
        window->normalOuter = OuterRect(hwnd);
    if (window->widget->isVisible())
        ReportSize(hwnd);
}

void QtWindowSystem::OnWindowStateChanged(HWND hwnd) {
    QtWindow* window = Entry(hwnd);
    QWidget* widget = window ? window->widget.data() : nullptr;
    // A hidden window keeps the state the program gave it.
    if (!widget || !widget->isVisible())
        return;
    const bool minimized = widget->isMinimized();
    if (minimized && !window->minimized)
        window->restoreMaximized = window->maximized;
    window->minimized = minimized;
    if (!minimized)
        window->maximized = widget->isMaximized();
    ReportSize(hwnd);
}

void QtWindowSystem::OnActivationChanged(HWND hwnd, bool active) {
    QtWindow* window = Entry(hwnd);
    if (!window || window->active == int(active))
        return;
    window->active = int(active);
    Deliver(hwnd, WM_NCACTIVATE, active ? TRUE : FALSE, 0);
    Deliver(hwnd, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

void QtWindowSystem::OnFocusIn(WId id) {
    auto* top = qobject_cast<TopWindow*>(QWidget::find(id));
    if (!top || !top->isVisible() || top->isActiveWindow() || QApplication::activePopupWidget())
        return;
    // Qt still counted the window as focused from before it was hidden and
    // took the focus coming back for no change: its widget stayed inactive.
    if (QGuiApplication::focusWindow() == top->windowHandle())
        QApplication::setActiveWindow(top);
}

} // namespace qv::qt
