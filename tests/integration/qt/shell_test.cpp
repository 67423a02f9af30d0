// The notification icon in trayer and balloon tips as dunst notifications.
#include "backend/qt/program_icon.h"
#include "backend/qt/qt_shell.h"
#include "platform/module/icon.h"
#include "test_support.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>
#include <QUrl>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace qv::test {
namespace {

constexpr UINT kCallback = WM_USER + 1;

// The embedded icon: the application's window that has a class, named
// after the application, somewhere inside trayer's panel.
bool TrayIconCentre(QPoint& centre) {
    std::istringstream tree(RunCommand("xwininfo -root -tree"));
    const std::string marker = "\"" + QCoreApplication::applicationName().toStdString() + "\": (\"";
    for (std::string line; std::getline(tree, line);) {
        if (line.find(marker) == std::string::npos)
            continue;
        int width = 0, height = 0, x = 0, y = 0, ax = 0, ay = 0;
        const auto close = line.rfind(')');
        if (std::sscanf(line.c_str() + close + 1, " %dx%d+%d+%d +%d+%d", &width, &height, &x, &y,
                        &ax, &ay) == 6 &&
            width >= 8 && height >= 8 && ay > 0) {
            centre = QPoint(ax + width / 2, ay + height / 2);
            return true;
        }
    }
    return false;
}

// The launcher's tray host, ended and started again from the same command
// line; the one started here is ended with the test.
class TrayHost {
public:
    void Stop() {
        const pid_t pid = std::atoi(qgetenv("QV_TRAY_HOST_PID").constData());
        ASSERT_GT(pid, 0) << "not run by the desktop launcher";
        std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
        for (std::string arg; std::getline(in, arg, '\0');)
            argv_.push_back(arg);
        ASSERT_FALSE(argv_.empty());
        ::kill(pid, SIGTERM);
    }
    void Start() {
        std::vector<char*> args;
        for (auto& arg : argv_)
            args.push_back(arg.data());
        args.push_back(nullptr);
        ASSERT_EQ(::posix_spawnp(&restarted_, args[0], nullptr, nullptr, args.data(), environ), 0);
    }
    ~TrayHost() {
        if (restarted_ > 0) {
            ::kill(restarted_, SIGTERM);
            ::waitpid(restarted_, nullptr, 0);
        }
    }

private:
    std::vector<std::string> argv_;
    pid_t restarted_ = 0;
};

class ShellTest : public QtBackendTest {
protected:
    void SetUp() override {
        QtBackendTest::SetUp();
        shell_ = std::make_unique<qt::QtShell>();
        platform::SetShell(shell_.get());
        hwnd_ = CreatePlainWindow(200, 100);
        icon_.width = icon_.height = 16;
        icon_.argb.assign(16 * 16, 0xFFD02020u);
    }
    void TearDown() override {
        platform::SetShell(nullptr);
        shell_.reset();
        QtBackendTest::TearDown();
    }
    NOTIFYICONDATAA Record(DWORD size = NOTIFYICONDATAA_V2_SIZE) {
        NOTIFYICONDATAA data;
        data.cbSize = size;
        data.hWnd = hwnd_;
        data.uID = 1;
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = kCallback;
        data.hIcon = &icon_;
        std::strcpy(data.szTip, "Quorvia - Logged out");
        return data;
    }
    static int Displayed() { return std::atoi(RunCommand("dunstctl count displayed").c_str()); }

    std::unique_ptr<qt::QtShell> shell_;
    HWND hwnd_ = nullptr;
    HICON__ icon_;
};

TEST_F(ShellTest, VersionFiveExactlyWhenTheNotificationServiceAnswers) {
    auto version = shell_->Version();
    ASSERT_TRUE(version);
    EXPECT_EQ(version->dwMajorVersion, 5u);
    DLLVERSIONINFO info;
    info.cbSize = sizeof info;
    EXPECT_EQ(::DllGetVersion(&info), S_OK);
    // The private system bus has no notification service.
    qt::QtShell lonely(QDBusConnection::connectToBus(SystemBusAddress(), "qv_no_service"));
    EXPECT_FALSE(lonely.Version());
}

TEST_F(ShellTest, IconDocksInTheTrayWithItsTipAndClicksReachTheWindow) {
    ASSERT_TRUE(QTest::qWaitFor([] { return qt::QtShell::HasNotificationArea(); }, 10000));
    NOTIFYICONDATAA data = Record();
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data));
    QSystemTrayIcon* tray = shell_->TrayIcon(hwnd_, 1);
    ASSERT_TRUE(tray);
    EXPECT_TRUE(tray->isVisible());
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Quorvia - Logged out"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray->geometry().width() > 0; }, 10000));

    data.uFlags = NIF_TIP;
    std::strcpy(data.szTip, "Quorvia - Logged in");
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Quorvia - Logged in"));

    // Qt does not learn where the tray put the icon; X does.
    QPoint centre;
    ASSERT_TRUE(PollUntil([&] { return TrayIconCentre(centre); }, 5000));
    // Under Xvfb the first presses after the icon docks may not reach it;
    // middle clicks (no message of ours) until one does.
    bool settled = false;
    QObject::connect(tray, &QSystemTrayIcon::activated, tray, [&](auto reason) {
        settled = settled || reason == QSystemTrayIcon::MiddleClick;
    });
    // Trayer may still be laying its panel out: the position is read anew.
    std::string at;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (!settled && TrayIconCentre(centre)) {
                at = std::to_string(centre.x()) + " " + std::to_string(centre.y());
                RunCommand("xdotool mousemove " + at + " click 2");
            }
            return settled;
        },
        10000));
    for (const auto& [button, expected] :
         {std::pair<int, LPARAM>{1, WM_LBUTTONDOWN}, {3, WM_RBUTTONDOWN}}) {
        ClearSeen();
        RunCommand("xdotool mousemove " + at + " click " + std::to_string(button));
        ASSERT_TRUE(PumpUntil([&] { return !SeenOf(hwnd_, kCallback).empty(); }));
        EXPECT_EQ(SeenOf(hwnd_, kCallback).front().lParam, expected);
        EXPECT_EQ(SeenOf(hwnd_, kCallback).front().wParam, WPARAM(1));
    }

    EXPECT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_EQ(shell_->TrayIcon(hwnd_, 1), nullptr);
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &data));
}

TEST_F(ShellTest, BalloonIsANotificationThatIsReplacedAndWithdrawn) {
    ASSERT_TRUE(QTest::qWaitFor([] { return qt::QtShell::HasNotificationArea(); }, 10000));
    NOTIFYICONDATAA data = Record();
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data));
    RunCommand("dunstctl close-all");
    QProcess monitor;
    monitor.start(QStringLiteral("dbus-monitor"),
                  {QStringLiteral("--session"),
                   QStringLiteral("interface='org.freedesktop.Notifications',member='Notify'")});
    ASSERT_TRUE(monitor.waitForStarted());
    ASSERT_TRUE(monitor.waitForReadyRead(5000)); // subscribed
    ASSERT_TRUE(PollUntil([] { return Displayed() == 0; }, 5000));

    data.uFlags = NIF_INFO;
    std::strcpy(data.szInfo, "0301234567");
    std::strcpy(data.szInfoTitle, "Incoming call");
    data.uTimeout = 30000;
    data.dwInfoFlags = NIIF_INFO;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    const uint id = shell_->NotificationId(hwnd_, 1);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(PollUntil([] { return Displayed() == 1; }, 5000));

    std::strcpy(data.szInfo, "Jane Doe & Co");
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_EQ(shell_->NotificationId(hwnd_, 1), id);
    EXPECT_TRUE(PollUntil([] { return Displayed() == 1; }, 5000));

    data.szInfo[0] = '\0';
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_EQ(shell_->NotificationId(hwnd_, 1), 0u);
    EXPECT_TRUE(PollUntil([] { return Displayed() == 0; }, 5000));
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
}

TEST_F(ShellTest, TheProgramsThemeIconServesTheTrayAndTheNotifications) {
    ASSERT_TRUE(QTest::qWaitFor([] { return qt::QtShell::HasNotificationArea(); }, 10000));
    const qt::ThemeIcon theme =
        qt::LoadThemeIcon(QStringLiteral(QV_APP_ID), QStringLiteral(QV_BUILD_DIR));
    ASSERT_FALSE(theme.icon.isNull());
    // The build tree is no folder the notification service looks in.
    const QString file =
        QStringLiteral(QV_BUILD_DIR "/share/icons/hicolor/128x128/apps/" QV_APP_ID ".png");
    EXPECT_EQ(theme.notification, QUrl::fromLocalFile(file).toString());
    shell_->SetProgram(QStringLiteral("Quorvia Browser"), theme.icon, theme.notification);

    NOTIFYICONDATAA data = Record();
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data));
    // A large tray gets the picture at its size, not the record's 16 pixels scaled up.
    QSystemTrayIcon* tray = shell_->TrayIcon(hwnd_, 1);
    ASSERT_TRUE(tray);
    EXPECT_EQ(tray->icon().pixmap(QSize(48, 48)).size(), QSize(48, 48));

    ASSERT_TRUE(PollUntil([] { return Displayed() == 0; }, 5000));
    data.uFlags = NIF_INFO;
    std::strcpy(data.szInfo, "0301234567");
    std::strcpy(data.szInfoTitle, "Incoming call");
    data.dwInfoFlags = NIIF_INFO;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_TRUE(PollUntil([] { return Displayed() == 1; }, 5000));
    data.szInfo[0] = '\0';
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_TRUE(PollUntil([] { return Displayed() == 0; }, 5000));
    const std::string history = RunCommand("dunstctl history");
    EXPECT_NE(history.find(file.toStdString()), std::string::npos) << history;
}

TEST_F(ShellTest, ShortRecordHasNoBalloons) {
    ASSERT_TRUE(QTest::qWaitFor([] { return qt::QtShell::HasNotificationArea(); }, 10000));
    NOTIFYICONDATAA data = Record(NOTIFYICONDATAA_V1_SIZE);
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &data));
    data.uFlags = NIF_INFO;
    std::strcpy(data.szInfo, "0301234567");
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_EQ(shell_->NotificationId(hwnd_, 1), 0u);
}

TEST_F(ShellTest, LosingTheTrayHostFailsModifyUntilItIsBack) {
    ASSERT_TRUE(QTest::qWaitFor([] { return qt::QtShell::HasNotificationArea(); }, 10000));
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
