// Menus of the platform's model shown as Qt popup menus.
#pragma once

#include "platform/module/menu.h"

#include <QMenu>

namespace qv::qt {

// Fills menu with the items of source: texts with their '&' mnemonics and
// "\t" accelerator texts, separators, sub-menus; greyed or disabled items
// cannot be chosen. Each item's data is its command id.
void FillMenu(QMenu& menu, HMENU source);

// A page's context menu, engineMenu, shown where the user asked for it
// (screen). Its window first hears WM_CONTEXTMENU; a menu it tracks then
// comes below the engine's items, in one menu. Takes engineMenu.
void ShowPageMenu(QWidget* page, QMenu* engineMenu, QPoint screen);

} // namespace qv::qt
