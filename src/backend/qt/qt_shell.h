// The notification-area icon over QSystemTrayIcon, and balloon tips as
// desktop notifications (Notify with replaces_id; an empty text withdraws
// one with CloseNotification). QSystemTrayIcon::showMessage can do neither.
#pragma once

#include "backend/qt/notification_client.h"
#include "platform/shell/shell.h"

#include <QIcon>
#include <QObject>
#include <map>
#include <memory>
#include <utility>

class QSystemTrayIcon;

namespace qv::qt {

class QtShell : public QObject, public platform::IShell {
    Q_OBJECT
public:
    // Notifications go over the given bus (the session bus by default).
    QtShell();
    explicit QtShell(QDBusConnection bus);
    ~QtShell() override;

    // Whether a notification area exists now. Without one a minimised
    // window has to stay on the taskbar.
    static bool HasNotificationArea();

    // platform::IShell
    BOOL NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) override;
    // Version 5 (balloon tips) exactly when a notification service answers.
    std::optional<DLLVERSIONINFO> Version() override;

    // The program's name, for its notifications (the application's name
    // until set), and its icon from the icon theme: the tray draws it at
    // its own size instead of a record's icon, and notifications name it.
    void SetProgram(QString name, QIcon icon, QString notificationIcon);

    // The icon of a record, and its shown notification's id (0: none).
    QSystemTrayIcon* TrayIcon(HWND hwnd, UINT id) const;
    uint NotificationId(HWND hwnd, UINT id) const;

private:
    struct Icon {
        std::unique_ptr<QSystemTrayIcon> tray;
        UINT callbackMessage = 0;
        uint notification = 0;
    };
    using Key = std::pair<HWND, UINT>;

    bool Apply(const Key& key, Icon& icon, const NOTIFYICONDATAA& data);
    // False when the notification service did not take the balloon.
    bool ShowBalloon(Icon& icon, const NOTIFYICONDATAA& data);

    std::map<Key, Icon> icons_;
    NotificationClient notifications_;
    QString programName_;
    QIcon programIcon_;
    QString programNotificationIcon_;
};

} // namespace qv::qt
