// What Qt does not keep right about top-level windows on X11. Both do
// nothing on other platforms.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QtGui/qwindowdefs.h>
#include <functional>

namespace qv::qt {

// A window minimised and then hidden keeps "iconic" as the initial state in
// its WM_HINTS, and Qt maps it again before it writes the new state, so the
// window manager may take a normal show for a minimise. Called before a
// hidden window is shown in any other state.
void ClearIconicInitialState(QWindow* window);

// Reports every keyboard focus the X server gives to a window of ours. Qt
// counts a hidden window as focused for a while and takes the focus coming
// back in that time for no change, so its widgets never hear of it.
class FocusInWatch : public QAbstractNativeEventFilter {
public:
    explicit FocusInWatch(std::function<void(WId)> focused);
    ~FocusInWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::function<void(WId)> focused_;
};

} // namespace qv::qt
