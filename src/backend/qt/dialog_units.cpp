#include "backend/qt/dialog_units.h"

#include "platform/text.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace qv::qt {

namespace {

// Faces of the Windows dialog font family and of fonts metric-compatible
// with them; all map to the first installed candidate below. Liberation
// Sans comes first: its widths are the closest to the faces the templates
// were drawn in, so the dialogs keep nearly their own size (the package
// depends on it). Any other face works too: the layout widens a dialog
// until its texts fit.
constexpr const char* kWindowsSansFaces[] = {
    "ms sans serif", "ms shell dlg", "ms shell dlg 2", "microsoft sans serif", "tahoma", "segoe ui",
    "arial",         "helvetica",    "system"};
constexpr const char* kSansCandidates[] = {"Liberation Sans", "Arimo", "Nimbus Sans",
                                           "DejaVu Sans"};

// Qt names a family that two foundries have "Family [foundry]".
bool HasFamily(const QStringList& families, const QString& family) {
    const QString withFoundry = family + QStringLiteral(" [");
    return std::any_of(families.begin(), families.end(), [&](const QString& each) {
        return each.compare(family, Qt::CaseInsensitive) == 0 ||
               each.startsWith(withFoundry, Qt::CaseInsensitive);
    });
}

QString InstalledSans() {
    const QStringList families = QFontDatabase::families();
    for (const char* candidate : kSansCandidates) {
        if (HasFamily(families, QString::fromLatin1(candidate)))
            return QString::fromLatin1(candidate);
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

bool IsWindowsSans(const std::string& face) {
    const std::string lower = text::AsciiLower(face);
    for (const char* windowsFace : kWindowsSansFaces) {
        if (lower == windowsFace)
            return true;
    }
    return false;
}

QString MapFace(const std::string& face) {
    if (IsWindowsSans(face))
        return InstalledSans();
    const QString requested = QString::fromStdString(face);
    if (!requested.isEmpty() && HasFamily(QFontDatabase::families(), requested))
        return requested;
    return InstalledSans();
}

double LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

int MulDivRound(double value, double numerator, double denominator) {
    return static_cast<int>(std::lround(value * numerator / denominator));
}

} // namespace

QFont DialogFont(const std::optional<platform::DialogFont>& font) {
    // No DS_SETFONT: the platform's system font; 8 points reads the same here.
    const int points = font && font->pointSize > 0 ? font->pointSize : 8;
    const std::string face = font ? font->face : std::string("MS Sans Serif");
    QFont out(MapFace(face));
    // Pixel size as the platform derives it: points * dpi / 72, rounded.
    out.setPixelSize(std::max(1, MulDivRound(points, int(std::lround(LogicalDpi())), 72)));
    if (font && font->weight >= 600)
        out.setWeight(QFont::Bold);
    if (font && font->italic)
        out.setItalic(true);
    out.setStyleStrategy(QFont::PreferAntialias);
    return out;
}

BaseUnits MeasureBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The height a line of text takes, rounded up, as the platform's cell height.
    return BaseUnits{double((width / 26 + 1) / 2), std::ceil(QFontMetricsF(font).height())};
}

int DialogUnitsToPixelsX(int units, const BaseUnits& base) {
    return MulDivRound(units, base.x, 4);
}
int DialogUnitsToPixelsY(int units, const BaseUnits& base) {
    return MulDivRound(units, base.y, 8);
}

QRect DialogRectToPixels(int x, int y, int cx, int cy, const BaseUnits& base) {
    return QRect(DialogUnitsToPixelsX(x, base), DialogUnitsToPixelsY(y, base),
                 DialogUnitsToPixelsX(cx, base), DialogUnitsToPixelsY(cy, base));
}

} // namespace qv::qt
