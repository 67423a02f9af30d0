// A client of the desktop's notification service
// (org.freedesktop.Notifications on the session bus).
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

namespace qv::qt {

struct Notification {
    QString appName;
    QString icon;
    QString summary;
    QString body; // plain text (escaped where the service reads markup)
    int timeoutMs = -1;
    QString desktopEntry;  // the program's desktop id, for the service to name it
    QString defaultAction; // label of the "default" action, a click on it; empty: none
};

class NotificationClient : public QObject {
    Q_OBJECT
public:
    explicit NotificationClient(QDBusConnection bus);

    // Whether a service answers GetServerInformation now.
    bool ServiceAnswers();
    // Shows a notification, replacing replacesId when that is not 0.
    // Returns the service's id, or nothing when the call failed.
    std::optional<uint> Notify(uint replacesId, const Notification& notification);
    bool Close(uint id);

signals:
    // The service closed one (expired, dismissed, or on our request).
    void Closed(uint id);
    // The user took one of its actions ("default": clicked it).
    void ActionInvoked(uint id, const QString& action);

private slots:
    void OnNotificationClosed(uint id, uint reason);
    void OnActionInvoked(uint id, const QString& action);

private:
    bool ReadsMarkup();

    QDBusConnection bus_;
    std::optional<bool> markup_;
};

} // namespace qv::qt
