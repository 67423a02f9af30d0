#include "backend/qt/dialog_units.h"

#include "platform/text.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace qv::qt {

namespace {

// Faces of the Windows dialog font family and of fonts metric-compatible
// with them; all map to the first installed candidate below.
constexpr const char* kWindowsSansFaces[] = {
    "ms sans serif", "ms shell dlg", "ms shell dlg 2", "microsoft sans serif", "tahoma", "segoe ui",
    "arial",         "helvetica",    "system"};
constexpr const char* kSansCandidates[] = {"Liberation Sans", "Arimo", "Nimbus Sans",
                                           "DejaVu Sans"};

QString InstalledSans() {
    const QStringList families = QFontDatabase::families();
    for (const char* candidate : kSansCandidates) {
        if (families.contains(QString::fromLatin1(candidate), Qt::CaseInsensitive))
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
    if (!requested.isEmpty() && QFontDatabase::families().contains(requested, Qt::CaseInsensitive))
        return requested;
    return InstalledSans();
}

double LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

int MulDivRound(int value, int numerator, int denominator) {
    return static_cast<int>(std::lround(double(value) * numerator / denominator));
}

} // namespace

QFont DialogFont(const std::optional<platform::DialogFont>& font) {
    // No DS_SETFONT: the platform's system font; 8 points reads the same here.
    const int points = font && font->pointSize > 0 ? font->pointSize : 8;
    const std::string face = font ? font->face : std::string("MS Sans Serif");
    QFont out(MapFace(face));
    // The old dialog face is a narrow one: a semi-condensed cut of the
    // metric-compatible sans has its widths, so the templates' texts fit as
    // they were laid out, and the base units come out at its 6 x 13.
    if (IsWindowsSans(face))
        out.setStretch(QFont::SemiCondensed);
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
    return BaseUnits{(width / 26 + 1) / 2, int(std::ceil(QFontMetricsF(font).height()))};
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
