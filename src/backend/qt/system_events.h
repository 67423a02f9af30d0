// Session end and sleep, as the platform's broadcast messages.
//
// Session end: Qt's commitDataRequest asks every top-level window
// WM_QUERYENDSESSION. The answer is never a veto here: the program's
// handler answers as default processing does, logs out within its bounded
// wait while Qt's session manager waits for us, and lets the session go.
//
// Sleep: logind's PrepareForSleep(true) on the system bus is
// WM_POWERBROADCAST PBT_APMSUSPEND, PrepareForSleep(false) is
// PBT_APMRESUMESUSPEND. A delay inhibitor lock, when logind grants one,
// holds the suspend until the windows have handled it.
#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

class QSessionManager;

namespace qv::qt {

class QtWindowSystem;

class SystemEvents : public QObject {
    Q_OBJECT
public:
    // The system bus is DBUS_SYSTEM_BUS_ADDRESS when set, else the default.
    explicit SystemEvents(QtWindowSystem& system);

    bool WatchesSleep() const { return watching_; }

public slots:
    void OnCommitDataRequest(QSessionManager& manager);
    void OnPrepareForSleep(bool starting);

private:
    void TakeSleepDelay();

    QtWindowSystem& system_;
    QDBusConnection bus_;
    QDBusUnixFileDescriptor inhibitor_;
    bool watching_ = false;
};

} // namespace qv::qt
