#include "backend/qt/notification_client.h"

#include "platform/debug_trace.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace qv::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// Blocking calls, kept short: a notification service answers in
// milliseconds, and a missing one must not hold up the user interface.
constexpr int kCallTimeoutMs = 1500;

QDBusMessage Call(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    return message;
}

} // namespace

NotificationClient::NotificationClient(QDBusConnection bus) : bus_(std::move(bus)) {
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(OnNotificationClosed(uint, uint)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(OnActionInvoked(uint, QString)));
}

bool NotificationClient::ServiceAnswers() {
    if (!bus_.isConnected())
        return false;
    const QDBusMessage reply =
        bus_.call(Call(QStringLiteral("GetServerInformation")), QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool NotificationClient::ReadsMarkup() {
    if (!markup_) {
        const QDBusReply<QStringList> reply =
            bus_.call(Call(QStringLiteral("GetCapabilities")), QDBus::Block, kCallTimeoutMs);
        if (!reply.isValid())
            return false;
        markup_ = reply.value().contains(QStringLiteral("body-markup"));
    }
    return *markup_;
}

std::optional<uint> NotificationClient::Notify(uint replacesId, const Notification& n) {
    if (!bus_.isConnected()) {
        QV_TRACE(Shell, "no notification: there is no session bus");
        return std::nullopt;
    }
    const QString text = ReadsMarkup() ? n.body.toHtmlEscaped() : n.body;
    QStringList actions;
    if (!n.defaultAction.isEmpty())
        actions << QStringLiteral("default") << n.defaultAction;
    QVariantMap hints;
    if (!n.desktopEntry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), n.desktopEntry);
    const QDBusReply<uint> reply =
        bus_.call(Call(QStringLiteral("Notify"), {n.appName, replacesId, n.icon, n.summary, text,
                                                  actions, hints, n.timeoutMs}),
                  QDBus::Block, kCallTimeoutMs);
    if (!reply.isValid()) {
        QV_TRACE(Shell, "the notification service refused the notification: %s",
                 qPrintable(reply.error().message()));
        return std::nullopt;
    }
    return reply.value();
}

bool NotificationClient::Close(uint id) {
    if (!bus_.isConnected() || id == 0)
        return false;
    const QDBusMessage reply =
        bus_.call(Call(QStringLiteral("CloseNotification"), {id}), QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void NotificationClient::OnNotificationClosed(uint id, uint) {
    emit Closed(id);
}

void NotificationClient::OnActionInvoked(uint id, const QString& action) {
    emit ActionInvoked(id, action);
}

} // namespace qv::qt
