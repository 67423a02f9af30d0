// The arrows of an up-down control: two auto-repeating buttons. The
// position, range and buddy live in the window system's record.
#pragma once

#include <QWidget>

namespace qv::qt {

class UpDownWidget : public QWidget {
    Q_OBJECT
public:
    explicit UpDownWidget(QWidget* parent);

signals:
    // +1 for the upper arrow, -1 for the lower one.
    void Stepped(int direction);
};

} // namespace qv::qt
