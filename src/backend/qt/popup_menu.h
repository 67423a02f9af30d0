// Menus of the platform's model shown as Qt popup menus.
#pragma once

#include "platform/module/menu.h"

#include <QMenu>

namespace qv::qt {

// Fills menu with the items of source: texts with their '&' mnemonics and
// "\t" accelerator texts, separators, sub-menus; greyed or disabled items
// cannot be chosen. Each item's data is its command id.
void FillMenu(QMenu& menu, HMENU source);

} // namespace qv::qt
