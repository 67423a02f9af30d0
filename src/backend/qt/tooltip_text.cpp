#include "backend/qt/tooltip_text.h"

#include <QFontMetrics>
#include <QTextLayout>

namespace qv::qt {

QString WrapToolTip(const QString& text, const QFont& font, int maxWidth) {
    if (maxWidth < 0 || text.isEmpty())
        return text;
    QStringList lines;
    // Line breaks of the text itself are kept; each paragraph wraps alone.
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(maxWidth);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        if (paragraph.isEmpty())
            lines << QString();
    }
    // Plain lines stay plain; anything that looks like markup is escaped.
    const QString joined = lines.join(QLatin1Char('\n'));
    if (!Qt::mightBeRichText(joined))
        return joined;
    return QStringLiteral("<p style='white-space:pre'>") + joined.toHtmlEscaped() +
           QStringLiteral("</p>");
}

} // namespace qv::qt
