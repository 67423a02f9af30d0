// Tooltip texts wrapped to the tooltip control's maximum width. Qt wraps
// only rich text and picks its own width, so the lines are broken here.
#pragma once

#include <QFont>
#include <QString>

namespace qv::qt {

// Breaks text into lines of at most maxWidth pixels in the font, at spaces
// where possible; a negative width leaves it as it is. The result is a
// tooltip text Qt shows as plain lines.
QString WrapToolTip(const QString& text, const QFont& font, int maxWidth);

} // namespace qv::qt
