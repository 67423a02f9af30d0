#include "backend/qt/program_icon.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>

namespace qv::qt {

namespace {

// The folders a notification service looks in for named icons.
QStringList DesktopDataFolders() {
    QStringList folders = QString::fromLocal8Bit(qgetenv("XDG_DATA_DIRS"))
                              .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (folders.isEmpty())
        folders = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    folders << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return folders;
}

} // namespace

ThemeIcon LoadThemeIcon(const QString& id, const QString& prefix) {
    const QString share = QDir::cleanPath(prefix + QStringLiteral("/share"));
    const QString icons = share + QStringLiteral("/icons");
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(icons)) {
        paths.prepend(icons);
        QIcon::setThemeSearchPaths(paths);
    }
    ThemeIcon out;
    out.icon = QIcon::fromTheme(id);
    if (out.icon.isNull())
        return out;
    const QStringList desktop = DesktopDataFolders();
    const bool seen = std::any_of(desktop.begin(), desktop.end(), [&](const QString& folder) {
        return QDir::cleanPath(folder) == share;
    });
    const QString picture =
        icons + QStringLiteral("/hicolor/128x128/apps/") + id + QStringLiteral(".png");
    out.notification =
        !seen && QFile::exists(picture) ? QUrl::fromLocalFile(picture).toString() : id;
    return out;
}

} // namespace qv::qt
