#include "backend/qt/up_down_widget.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace qv::qt {

namespace {
QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return button;
}
} // namespace

UpDownWidget::UpDownWidget(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QToolButton* up = MakeArrow(this, Qt::UpArrow);
    QToolButton* down = MakeArrow(this, Qt::DownArrow);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { emit Stepped(+1); });
    connect(down, &QToolButton::clicked, this, [this] { emit Stepped(-1); });
}

} // namespace qv::qt
