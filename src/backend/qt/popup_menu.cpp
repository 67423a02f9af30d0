#include "backend/qt/popup_menu.h"

#include "backend/qt/qt_window_system.h"
#include "backend/qt/top_window.h"
#include "platform/text.h"
#include "platform/ui/winapi.h"

#include <QAction>
#include <QPointer>
#include <QWindow>

namespace qv::qt {

void FillMenu(QMenu& menu, HMENU source) {
    if (!source)
        return;
    for (const MenuItem& item : source->items) {
        if (item.flags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        const QString text = QString::fromStdString(text::SanitizeUtf8(item.text));
        QAction* action = nullptr;
        if ((item.flags & MF_POPUP) && item.popup) {
            QMenu* sub = menu.addMenu(text);
            FillMenu(*sub, item.popup);
            action = sub->menuAction();
        } else {
            action = menu.addAction(text);
            action->setData(QVariant::fromValue(item.id));
        }
        action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
        if (item.flags & MF_CHECKED) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (item.flags & MF_DEFAULT)
            menu.setDefaultAction(action);
    }
}

void ShowPageMenu(QWidget* page, QMenu* engineMenu, QPoint screen) {
    engineMenu->setAttribute(Qt::WA_DeleteOnClose);
    auto* top = qobject_cast<TopWindow*>(page->window());
    if (top && top->Handle() &&
        top->System().OfferPageMenu(top->Handle(), page, engineMenu, screen))
        return;
    engineMenu->popup(screen);
}

bool QtWindowSystem::OfferPageMenu(HWND window, QWidget* page, QMenu* engineMenu, QPoint screen) {
    pageMenu_ = PageMenu{window, engineMenu};
    const LPARAM at = MAKELONG(static_cast<WORD>(screen.x()), static_cast<WORD>(screen.y()));
    ::SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(HandleOf(page)), at);
    // Still here: the window tracked no menu of its own.
    return !std::exchange(pageMenu_, std::nullopt);
}

UINT QtWindowSystem::TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    QPointer<QMenu> engine;
    if (pageMenu_ && pageMenu_->owner == owner)
        engine = std::exchange(pageMenu_, std::nullopt)->engine;
    if (!menu || menu->items.empty()) {
        if (engine)
            engine->popup(QPoint(x, y));
        return 0;
    }
    QMenu popup;
    FillMenu(popup, menu);
    const QList<QAction*> own = popup.findChildren<QAction*>();
    if (engine && !engine->actions().isEmpty()) {
        QAction* first = popup.actions().value(0);
        popup.insertActions(first, engine->actions());
        popup.insertSeparator(first);
    }
    UINT chosen = 0;
    connect(&popup, &QMenu::triggered, this, [&](QAction* action) {
        // The engine's items do their own work.
        if (own.contains(action) && action->isEnabled() && action->data().isValid())
            chosen = action->data().toUInt();
        Wake();
    });
    connect(&popup, &QMenu::aboutToHide, this, [this] { Wake(); });
    QPoint position(x, y);
    const int width = popup.sizeHint().width();
    if (flags & TPM_CENTERALIGN)
        position.rx() -= width / 2;
    else if (flags & TPM_RIGHTALIGN)
        position.rx() -= width;
    popup.popup(position);
    // The menu's own loop would hold back the program's timer and posted
    // messages; ours delivers them while the menu is open.
    if (!RunWhile([&] { return popup.isVisible(); }))
        popup.hide();
    if (engine)
        engine->deleteLater();
    return chosen;
}

void QtWindowSystem::ShowSystemMenu(HWND hwnd) {
    const auto* record = tree_.Find(hwnd);
    QtWindow* window = Entry(hwnd);
    if (!record || !window || !window->widget || !(record->style & WS_SYSMENU) || !window->enabled)
        return;
    HMENU menu = tree_.SystemMenu(hwnd, false);
    // The standard items follow the window's state, as the platform keeps them.
    const bool sizable = record->style & WS_THICKFRAME;
    const bool normal = !window->minimized && !window->maximized;
    auto enable = [&](UINT command, bool on) {
        EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(SC_RESTORE, !normal);
    enable(SC_MOVE, !window->maximized);
    enable(SC_SIZE, sizable && normal);
    enable(SC_MINIMIZE, (record->style & WS_MINIMIZEBOX) && !window->minimized);
    enable(SC_MAXIMIZE, (record->style & WS_MAXIMIZEBOX) && !window->maximized);
    const QPoint origin = window->widget->mapToGlobal(QPoint(0, 0));
    QPointer<QWidget> widget = window->widget;
    const UINT command = TrackPopupMenu(menu, TPM_RETURNCMD, origin.x(), origin.y(), hwnd);
    if (!command || !widget || !tree_.Contains(hwnd))
        return;
    const UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
    if (state == 0xFFFFFFFF || (state & (MF_GRAYED | MF_DISABLED)))
        return;
    // Moving and sizing belong to the window manager; it does them on request.
    if (command == SC_MOVE && widget->windowHandle()) {
        widget->windowHandle()->startSystemMove();
        return;
    }
    if (command == SC_SIZE && widget->windowHandle()) {
        widget->windowHandle()->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        return;
    }
    queue_.Post(hwnd, WM_SYSCOMMAND, command, 0);
}

} // namespace qv::qt
