#include "backend/qt/dialog_layout.h"

#include "backend/qt/mnemonics.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>

namespace qv::qt {

namespace {

constexpr int kIconSize = 32;

int TextWidth(const QWidget* widget, const QString& text) {
    return int(std::ceil(QFontMetricsF(widget->font()).horizontalAdvance(text)));
}

// Pixels the control needs across to show its whole text; 0 for none.
int NeededWidth(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (!label->pixmap().isNull() || label->text().isEmpty())
            return 0;
        // With a buddy the label shows the '&' as a mnemonic; without one it
        // was given the shown text already.
        const QString text = label->buddy() ? WithoutMnemonics(label->text()) : label->text();
        const int lineHeight = int(std::ceil(QFontMetricsF(label->font()).height()));
        int needed = TextWidth(label, text);
        // A static of several lines may wrap; then its longest word counts.
        if (label->wordWrap() && label->contentsRect().height() >= 2 * lineHeight) {
            needed = 0;
            for (const QString& word : text.split(QLatin1Char(' ')))
                needed = std::max(needed, TextWidth(label, word));
        }
        return needed + label->width() - label->contentsRect().width() + 2 * label->margin();
    }
    if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget))
        return widget->sizeHint().width();
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        if (button->text().isEmpty())
            return 0;
        // The style's frame and margins around the text stay as they are.
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (button->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        const QRect contents =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        return TextWidth(button, WithoutMnemonics(button->text())) + button->width() -
               contents.width();
    }
    return 0;
}

} // namespace

DialogLayout::DialogLayout(QWidget* window, QSize clientUnits, BaseUnits fontUnits, bool resizable)
    : window_(window), clientUnits_(clientUnits), fontUnits_(fontUnits), units_(fontUnits),
      resizable_(resizable) {}

std::size_t DialogLayout::Add(QWidget* widget, QRect units, bool iconSize) {
    controls_.push_back(Control{widget, units, iconSize});
    return controls_.size() - 1;
}

void DialogLayout::AlignUpDown(std::size_t updown, std::size_t buddy, bool left) {
    controls_[updown].buddy = int(buddy);
    controls_[updown].alignLeft = left;
}

BaseUnits DialogLayout::FittingUnits() const {
    BaseUnits units = fontUnits_;
    for (const Control& control : controls_) {
        if (!control.widget || control.units.width() <= 0)
            continue;
        // Edits scroll their text; labels, check boxes and buttons cannot.
        const int needed = NeededWidth(control.widget);
        if (needed > 0)
            units.x = std::max(units.x, 4.0 * needed / control.units.width());
    }
    return units;
}

void DialogLayout::Apply(const BaseUnits& units, QSize maximum) {
    units_ = units;
    if (window_) {
        const QSize client = QSize(DialogUnitsToPixelsX(clientUnits_.width(), units),
                                   DialogUnitsToPixelsY(clientUnits_.height(), units))
                                 .boundedTo(maximum);
        if (resizable_)
            window_->resize(client);
        else
            window_->setFixedSize(client);
    }
    std::vector<QRect> placed;
    placed.reserve(controls_.size());
    for (const Control& control : controls_) {
        const QRect& u = control.units;
        QRect rect = DialogRectToPixels(u.x(), u.y(), u.width(), u.height(), units);
        if (control.iconSize)
            rect.setSize(QSize(kIconSize, kIconSize));
        placed.push_back(rect);
    }
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const Control& control = controls_[i];
        if (control.buddy < 0)
            continue;
        QRect& edit = placed[std::size_t(control.buddy)];
        QRect& arrows = placed[i];
        const int width = arrows.width();
        arrows = QRect(0, edit.y(), width, edit.height());
        edit.setWidth(std::max(0, edit.width() - width));
        if (control.alignLeft) {
            arrows.moveLeft(edit.x());
            edit.moveLeft(edit.x() + width);
        } else {
            arrows.moveLeft(edit.x() + edit.width());
        }
    }
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].widget)
            controls_[i].widget->setGeometry(placed[i]);
    }
}

} // namespace qv::qt
