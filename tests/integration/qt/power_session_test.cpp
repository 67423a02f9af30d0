// logind's PrepareForSleep on the private system bus, and the session end,
// as the platform's broadcast messages.
#include "backend/qt/system_events.h"
#include "test_support.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace qv::test {
namespace {

class PowerSessionTest : public QtBackendTest {
protected:
    static void Emit(QDBusConnection& bus, bool starting) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << starting;
        ASSERT_TRUE(bus.send(signal));
    }
};

TEST_F(PowerSessionTest, SleepFromLogindOnlyAndTheSessionEndReachEveryWindow) {
    // A stand-in for logind owns its name; a stranger sends the same signal.
    QDBusConnection logind =
        QDBusConnection::connectToBus(QDBusConnection::SystemBus, "qv_fake_logind");
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
    QDBusConnection stranger =
        QDBusConnection::connectToBus(QDBusConnection::SystemBus, "qv_stranger");
    EXPECT_TRUE(ws_->Events().WatchesSleep());
    HWND first = CreateWindow();
    HWND second = CreateWindow();

    Emit(stranger, false);
    Emit(logind, true);
    ASSERT_TRUE(PumpUntil([&] { return !SeenOf(second, WM_POWERBROADCAST).empty(); }));
    ASSERT_EQ(SeenOf(first, WM_POWERBROADCAST).size(), 1u);
    EXPECT_EQ(SeenOf(first, WM_POWERBROADCAST)[0].wParam, PBT_APMSUSPEND);

    Emit(logind, false);
    ASSERT_TRUE(PumpUntil([&] { return SeenOf(first, WM_POWERBROADCAST).size() == 2; }));
    EXPECT_EQ(SeenOf(first, WM_POWERBROADCAST)[1].wParam, PBT_APMRESUMESUSPEND);
    EXPECT_EQ(SeenOf(second, WM_POWERBROADCAST).back().wParam, PBT_APMRESUMESUSPEND);

    // The session end asks every window at once and wakes the loop.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    ws_->BroadcastQueryEndSession();
    EXPECT_EQ(SeenOf(first, WM_QUERYENDSESSION).size(), 1u);
    EXPECT_EQ(SeenOf(second, WM_QUERYENDSESSION).size(), 1u);
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

} // namespace
} // namespace qv::test
