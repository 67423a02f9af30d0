#include "backend/qt/system_events.h"

#include "backend/qt/qt_window_system.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QSessionManager>
#include <cstdlib>

namespace qv::qt {

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kLoginManager = QStringLiteral("org.freedesktop.login1.Manager");

QDBusConnection SystemBus() {
    if (const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"); address && *address)
        return QDBusConnection::connectToBus(QString::fromLocal8Bit(address),
                                             QStringLiteral("qv_system_bus"));
    return QDBusConnection::systemBus();
}

} // namespace

SystemEvents::SystemEvents(QtWindowSystem& system) : system_(system), bus_(SystemBus()) {
    connect(qApp, &QGuiApplication::commitDataRequest, this, &SystemEvents::OnCommitDataRequest,
            Qt::DirectConnection);
    if (bus_.isConnected()) {
        watching_ =
            bus_.connect(kLogin, kLoginPath, kLoginManager, QStringLiteral("PrepareForSleep"), this,
                         SLOT(OnPrepareForSleep(bool)));
        TakeSleepDelay();
    }
}

void SystemEvents::OnCommitDataRequest(QSessionManager&) {
    // No cancel(): the session is never held back from here.
    system_.BroadcastQueryEndSession();
}

void SystemEvents::OnPrepareForSleep(bool starting) {
    system_.BroadcastPowerEvent(starting ? PBT_APMSUSPEND : PBT_APMRESUMESUSPEND);
    if (starting)
        inhibitor_ = QDBusUnixFileDescriptor(); // closing it lets the suspend go on
    else
        TakeSleepDelay();
}

void SystemEvents::TakeSleepDelay() {
    if (inhibitor_.isValid())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin, kLoginPath, kLoginManager,
                                                       QStringLiteral("Inhibit"));
    const QString who = QCoreApplication::applicationName();
    call << QStringLiteral("sleep") << who << QStringLiteral("Logging out of the console")
         << QStringLiteral("delay");
    // Asynchronous: without logind (a container, a test bus) nobody answers soon.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
                if (reply.isValid())
                    inhibitor_ = reply.value();
                finished->deleteLater();
            });
}

} // namespace qv::qt
