// The program's icon from the desktop's icon theme, for the notification
// area and the notifications: the theme has it at every size they may want,
// so a HiDPI tray gets a sharp one where the resource's 16-pixel image would
// be scaled up. The windows keep the resource icon.
#pragma once

#include <QIcon>
#include <QString>

namespace qv::qt {

struct ThemeIcon {
    QIcon icon;           // null when no theme has it
    QString notification; // what a notification names: the icon's name where
                          // the desktop looks for it, else its file's URL
};

// The icon named id, from <prefix>/share/icons (the build tree, an install
// under any prefix) or the desktop's own icon folders.
ThemeIcon LoadThemeIcon(const QString& id, const QString& prefix);

} // namespace qv::qt
