// The notification icon in trayer and balloon tips as dunst notifications.
#include "backend/qt/program_icon.h"
#include "platform/module/icon.h"
#include "test_support.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>
#include <QUrl>
#include <csignal>

namespace qv::test {
namespace {

using contract::kIconMessage;

// The launcher's tray host, ended and started again from the same command
// line; the one started here is ended with the test.
class TrayHost {
public:
    void Stop() {
        const pid_t pid = qEnvironmentVariableIntValue("QV_TRAY_HOST_PID");
        ASSERT_GT(pid, 0) << "not run by the desktop launcher";
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
        for (const QByteArray& arg : cmdline.readAll().split('\0'))
            argv_ << QString::fromLocal8Bit(arg);
        argv_.removeLast(); // after the last NUL
        ::kill(pid, SIGTERM);
    }
    void Start() {
        restarted_.start(argv_.takeFirst(), argv_);
        ASSERT_TRUE(restarted_.waitForStarted());
    }

private:
    QStringList argv_;
    QProcess restarted_;
};

class ShellTest : public QtBackendTest {
protected:
    void SetUp() override {
        hwnd_ = CreateWindow();
        icon_.width = icon_.height = 16;
        icon_.argb.assign(16 * 16, 0xFFD02020u);
    }
    NOTIFYICONDATAA Record(DWORD size = NOTIFYICONDATAA_V2_SIZE) {
        NOTIFYICONDATAA data = QtBackendTest::Record(hwnd_, size);
        data.uFlags |= NIF_ICON;
        data.hIcon = &icon_;
        return data;
    }
    // Shows (or with no text withdraws) the icon's balloon; then waits
    // until dunst shows as many notifications.
    bool Balloon(NOTIFYICONDATAA& data, const char* text) {
        std::strcpy(data.szInfo, text);
        return ::Shell_NotifyIconA(NIM_MODIFY, &data) && Displayed(*text ? 1 : 0);
    }
    static bool Displayed(int count) {
        return QTest::qWaitFor(
            [count] { return std::atoi(RunCommand("dunstctl count displayed").c_str()) == count; },
            5000);
    }

    qt::QtShell* const shell_ = &desktop.shell;
    HWND hwnd_ = nullptr;
    HICON__ icon_;
};

TEST_F(ShellTest, VersionFiveExactlyWhenTheNotificationServiceAnswers) {
    ASSERT_TRUE(shell_->Version());
    EXPECT_EQ(shell_->Version()->dwMajorVersion, 5u);
    // The private system bus has no notification service.
    qt::QtShell lonely(QDBusConnection::connectToBus(QDBusConnection::SystemBus, "qv_no_service"));
    EXPECT_FALSE(lonely.Version());
}

TEST_F(ShellTest, IconDocksInTheTrayWithItsTipAndItsClicksReachTheWindow) {
    NOTIFYICONDATAA data = Record();
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data));
    QSystemTrayIcon* tray = shell_->TrayIcon(hwnd_, 1);
    ASSERT_TRUE(tray);
    EXPECT_TRUE(tray->isVisible());
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Quorvia - Logged out"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray->geometry().width() > 0; }, 10000));
    data.uFlags = NIF_TIP;
    std::strcpy(data.szTip, "Quorvia - Logged in");
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Quorvia - Logged in"));

    // Real clicks on the docked icon are the program tests'; here what each
    // kind of click becomes (a middle click nothing).
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                        QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Context})
        emit tray->activated(reason);
    ASSERT_TRUE(PumpUntil([&] { return SeenOf(hwnd_, kIconMessage).size() >= 3; }));
    std::vector<LPARAM> mouse;
    for (const Seen& callback : SeenOf(hwnd_, kIconMessage)) {
        EXPECT_EQ(callback.wParam, WPARAM(1));
        mouse.push_back(callback.lParam);
    }
    EXPECT_EQ(mouse, (std::vector<LPARAM>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN}));

    EXPECT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_EQ(shell_->TrayIcon(hwnd_, 1), nullptr);
}

TEST_F(ShellTest, BalloonIsANotificationThatIsReplacedAndWithdrawnAndShowsTheProgramsIcon) {
    NOTIFYICONDATAA data = Record();
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data));
    RunCommand("dunstctl close-all");
    QProcess monitor;
    monitor.start(QStringLiteral("dbus-monitor"),
                  {QStringLiteral("--session"),
                   QStringLiteral("interface='org.freedesktop.Notifications',member='Notify'")});
    ASSERT_TRUE(monitor.waitForStarted());
    ASSERT_TRUE(monitor.waitForReadyRead(5000)); // subscribed
    ASSERT_TRUE(Displayed(0));

    data.uFlags = NIF_INFO;
    std::strcpy(data.szInfoTitle, "Incoming call");
    data.uTimeout = 30000;
    data.dwInfoFlags = NIIF_INFO;
    EXPECT_TRUE(Balloon(data, "0301234567"));
    const uint id = shell_->NotificationId(hwnd_, 1);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(Balloon(data, "Jane Doe & Co"));
    EXPECT_EQ(shell_->NotificationId(hwnd_, 1), id);
    EXPECT_TRUE(Balloon(data, ""));
    EXPECT_EQ(shell_->NotificationId(hwnd_, 1), 0u);
    const std::string history = RunCommand("dunstctl history");
    EXPECT_NE(history.find("Jane Doe &amp; Co"), std::string::npos) << history;
    EXPECT_NE(history.find("Incoming call"), std::string::npos);
    EXPECT_NE(history.find(QCoreApplication::applicationName().toStdString()), std::string::npos);
    // The icon name is in the call itself (dunst keeps only a resolved path).
    QByteArray calls;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            calls += monitor.readAll();
            return calls.count("dialog-information") >= 2;
        },
        5000))
        << calls.toStdString();
    monitor.kill();
    monitor.waitForFinished();

    // The short record has no balloon fields.
    NOTIFYICONDATAA small = Record(NOTIFYICONDATAA_V1_SIZE);
    small.uID = 2;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &small));
    small.uFlags = NIF_INFO;
    std::strcpy(small.szInfo, "0301234567");
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &small));
    EXPECT_EQ(shell_->NotificationId(hwnd_, 2), 0u);

    // With the program's theme icon a large tray gets the picture at its
    // size, not the record's 16 pixels scaled up, and notifications name its file.
    const qt::ThemeIcon theme =
        qt::LoadThemeIcon(QStringLiteral(QV_APP_ID), QStringLiteral(QV_BUILD_DIR));
    ASSERT_FALSE(theme.icon.isNull());
    // The build tree is no folder the notification service looks in.
    const QString file =
        QStringLiteral(QV_BUILD_DIR "/share/icons/hicolor/128x128/apps/" QV_APP_ID ".png");
    EXPECT_EQ(theme.notification, QUrl::fromLocalFile(file).toString());
    shell_->SetProgram(QStringLiteral("Quorvia Browser"), theme.icon, theme.notification);
    data.uFlags = NIF_ICON | NIF_INFO;
    EXPECT_TRUE(Balloon(data, "0301234567"));
    EXPECT_EQ(shell_->TrayIcon(hwnd_, 1)->icon().pixmap(QSize(48, 48)).size(), QSize(48, 48));
    EXPECT_TRUE(Balloon(data, ""));
    const std::string themed = RunCommand("dunstctl history");
    EXPECT_NE(themed.find(file.toStdString()), std::string::npos) << themed;
}

TEST_F(ShellTest, LosingTheTrayHostFailsModifyUntilItIsBack) {
    NOTIFYICONDATAA data = Record();
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data));
    TrayHost host;
    host.Stop();
    ASSERT_TRUE(QTest::qWaitFor([] { return !qt::QtShell::HasNotificationArea(); }, 10000));
    data.uFlags = 0;
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_ADD, &data));

    host.Start();
    ASSERT_TRUE(QTest::qWaitFor([] { return qt::QtShell::HasNotificationArea(); }, 10000));
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data));
    QSystemTrayIcon* tray = shell_->TrayIcon(hwnd_, 1);
    ASSERT_TRUE(tray);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray->geometry().width() > 0; }, 10000));
    EXPECT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
}

} // namespace
} // namespace qv::test
