// A dialog's geometry: the window's client area and its controls at their
// template rectangles. Dialog units become pixels through the dialog font's
// base units, widened across where a control's text needs more room than
// the template gave it: the installed font is seldom as narrow as the one
// the templates were drawn with, and the proportions must stay.
#pragma once

#include "backend/qt/dialog_units.h"

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <cstddef>
#include <vector>

namespace qv::qt {

class DialogLayout {
public:
    DialogLayout(QWidget* window, QSize clientUnits, BaseUnits fontUnits, bool resizable);

    // A control at its template rectangle, in dialog units. A static icon
    // keeps the icon's size. Returns the control's index.
    std::size_t Add(QWidget* widget, QRect units, bool iconSize = false);
    // An up-down control aligned to its buddy takes the buddy's edge; the
    // buddy gives up the arrows' width.
    void AlignUpDown(std::size_t updown, std::size_t buddy, bool left);

    // The font's units, widened until every control's text fits as it is now.
    BaseUnits FittingUnits() const;
    // Sizes the client area (at most maximum) and places every control.
    void Apply(const BaseUnits& units, QSize maximum);
    const BaseUnits& Units() const { return units_; }

private:
    struct Control {
        QPointer<QWidget> widget;
        QRect units;
        bool iconSize = false;
        int buddy = -1; // an aligned up-down's buddy
        bool alignLeft = false;
    };

    QPointer<QWidget> window_;
    QSize clientUnits_;
    BaseUnits fontUnits_;
    BaseUnits units_;
    bool resizable_;
    std::vector<Control> controls_;
};

} // namespace qv::qt
