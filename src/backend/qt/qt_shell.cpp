#include "backend/qt/qt_shell.h"

#include "backend/qt/icon_image.h"
#include "platform/text.h"
#include "platform/ui/winapi.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <cstring>

namespace qv::qt {

namespace {

// A field of the record, up to its terminator or its end.
QString Field(const char* field, std::size_t capacity) {
    const std::size_t length = strnlen(field, capacity);
    return QString::fromStdString(text::SanitizeUtf8(std::string_view(field, length)));
}

QString IconName(DWORD infoFlags) {
    switch (infoFlags & 0x0F) {
    case NIIF_INFO:
        return QStringLiteral("dialog-information");
    case NIIF_WARNING:
        return QStringLiteral("dialog-warning");
    case NIIF_ERROR:
        return QStringLiteral("dialog-error");
    default:
        return {};
    }
}

QIcon BlankIcon() {
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

} // namespace

QtShell::QtShell() : QtShell(QDBusConnection::sessionBus()) {}

QtShell::QtShell(QDBusConnection bus) : notifications_(std::move(bus)) {
    // One the service closed by itself is not replaced or withdrawn again.
    connect(&notifications_, &NotificationClient::Closed, this, [this](uint id) {
        for (auto& [key, icon] : icons_) {
            if (icon.notification == id)
                icon.notification = 0;
        }
    });
    // A click on a balloon: the icon's window hears of it as the platform
    // tells it, and shows itself.
    connect(&notifications_, &NotificationClient::ActionInvoked, this,
            [this](uint id, const QString& action) {
                if (action != QLatin1String("default"))
                    return;
                for (const auto& [key, icon] : icons_) {
                    if (icon.notification == id && icon.callbackMessage)
                        ::PostMessageA(key.first, icon.callbackMessage, key.second,
                                       NIN_BALLOONUSERCLICK);
                }
            });
}

QtShell::~QtShell() {
    for (auto& [key, icon] : icons_) {
        if (icon.notification)
            notifications_.Close(icon.notification);
    }
}

bool QtShell::HasNotificationArea() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

std::optional<DLLVERSIONINFO> QtShell::Version() {
    if (!notifications_.ServiceAnswers())
        return std::nullopt;
    DLLVERSIONINFO info;
    info.cbSize = sizeof(DLLVERSIONINFO);
    info.dwMajorVersion = 5;
    info.dwMinorVersion = 0;
    info.dwPlatformID = DLLVER_PLATFORM_WINDOWS;
    return info;
}

QSystemTrayIcon* QtShell::TrayIcon(HWND hwnd, UINT id) const {
    auto it = icons_.find(Key{hwnd, id});
    return it == icons_.end() ? nullptr : it->second.tray.get();
}

uint QtShell::NotificationId(HWND hwnd, UINT id) const {
    auto it = icons_.find(Key{hwnd, id});
    return it == icons_.end() ? 0 : it->second.notification;
}

void QtShell::SetProgram(QString name, QIcon icon, QString notificationIcon) {
    programName_ = std::move(name);
    programIcon_ = std::move(icon);
    programNotificationIcon_ = std::move(notificationIcon);
}

BOOL QtShell::NotifyIcon(DWORD message, const NOTIFYICONDATAA& data) {
    const Key key{data.hWnd, data.uID};
    auto it = icons_.find(key);
    switch (message) {
    case NIM_ADD: {
        // No notification area: fail, so the keep-alive tries again later.
        if (!HasNotificationArea())
            return FALSE;
        if (it == icons_.end()) {
            Icon icon;
            icon.tray = std::make_unique<QSystemTrayIcon>();
            icon.tray->setIcon(BlankIcon());
            const HWND hwnd = data.hWnd;
            const UINT id = data.uID;
            connect(icon.tray.get(), &QSystemTrayIcon::activated, this,
                    [this, key, hwnd, id](QSystemTrayIcon::ActivationReason reason) {
                        auto found = icons_.find(key);
                        if (found == icons_.end() || !found->second.callbackMessage)
                            return;
                        LPARAM mouse = 0;
                        if (reason == QSystemTrayIcon::Trigger)
                            mouse = WM_LBUTTONDOWN;
                        else if (reason == QSystemTrayIcon::DoubleClick)
                            mouse = WM_LBUTTONDBLCLK;
                        else if (reason == QSystemTrayIcon::Context)
                            mouse = WM_RBUTTONDOWN;
                        if (mouse)
                            ::PostMessageA(hwnd, found->second.callbackMessage, id, mouse);
                    });
            it = icons_.emplace(key, std::move(icon)).first;
        }
        Apply(key, it->second, data);
        // Shown again also when it was there: after the tray host came
        // back, an add is what brings the icon back.
        it->second.tray->hide();
        it->second.tray->show();
        return TRUE;
    }
    case NIM_MODIFY:
        // Without a tray host the icon is lost: the caller re-adds it.
        if (it == icons_.end() || !HasNotificationArea())
            return FALSE;
        // A balloon the notification service did not take fails the call,
        // so the caller can announce the call another way.
        return Apply(key, it->second, data) ? TRUE : FALSE;
    case NIM_DELETE:
        if (it == icons_.end())
            return FALSE;
        if (it->second.notification)
            notifications_.Close(it->second.notification);
        icons_.erase(it);
        return TRUE;
    default:
        return FALSE;
    }
}

bool QtShell::Apply(const Key&, Icon& icon, const NOTIFYICONDATAA& data) {
    if (data.uFlags & NIF_MESSAGE)
        icon.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON) {
        const QIcon image =
            data.hIcon && !programIcon_.isNull() ? programIcon_ : IconToQIcon(data.hIcon);
        icon.tray->setIcon(image.isNull() ? BlankIcon() : image);
    }
    if (data.uFlags & NIF_TIP)
        icon.tray->setToolTip(Field(data.szTip, sizeof(data.szTip)));
    // Balloon fields exist in the larger record only.
    if ((data.uFlags & NIF_INFO) && data.cbSize >= NOTIFYICONDATAA_V2_SIZE)
        return ShowBalloon(icon, data);
    return true;
}

bool QtShell::ShowBalloon(Icon& icon, const NOTIFYICONDATAA& data) {
    const QString body = Field(data.szInfo, sizeof(data.szInfo));
    if (body.isEmpty()) {
        if (icon.notification)
            notifications_.Close(std::exchange(icon.notification, 0));
        return true;
    }
    Notification notification;
    notification.appName =
        programName_.isEmpty() ? QCoreApplication::applicationName() : programName_;
    notification.icon =
        programNotificationIcon_.isEmpty() ? IconName(data.dwInfoFlags) : programNotificationIcon_;
    notification.summary = Field(data.szInfoTitle, sizeof(data.szInfoTitle));
    notification.body = body;
    notification.timeoutMs = int(data.uTimeout);
    notification.desktopEntry = QGuiApplication::desktopFileName();
    notification.defaultAction = notification.appName;
    const auto id = notifications_.Notify(icon.notification, notification);
    if (id)
        icon.notification = *id;
    return id.has_value();
}

} // namespace qv::qt
