// Icons between the platform's decoded form and Qt.
#pragma once

#include "platform/module/icon.h"

#include <QIcon>
#include <QImage>

namespace qv::qt {

// A copy of the icon's pixels; null for a null or empty icon.
QImage IconToImage(HICON icon);
QIcon IconToQIcon(HICON icon);
// Icon resource `id` of the current resource module at size x size pixels,
// as the platform's loader makes it; null when there is none.
QImage LoadResourceIcon(WORD id, int size);

} // namespace qv::qt
