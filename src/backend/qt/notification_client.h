// A client of the desktop's notification service
// (org.freedesktop.Notifications on the session bus).
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

namespace qv::qt {

class NotificationClient : public QObject {
    Q_OBJECT
public:
    explicit NotificationClient(QDBusConnection bus);

    // Whether a service answers GetServerInformation now.
    bool ServiceAnswers();
    // Shows a notification, replacing replacesId when that is not 0. The
    // body is plain text (escaped where the service reads markup). Returns
    // the service's id, or nothing when the call failed.
    std::optional<uint> Notify(uint replacesId, const QString& appName, const QString& icon,
                               const QString& summary, const QString& body, int timeoutMs);
    bool Close(uint id);

signals:
    // The service closed one (expired, dismissed, or on our request).
    void Closed(uint id);

private slots:
    void OnNotificationClosed(uint id, uint reason);

private:
    bool ReadsMarkup();

    QDBusConnection bus_;
    std::optional<bool> markup_;
};

} // namespace qv::qt
