// What Qt does not keep right about top-level windows on X11. Does
// nothing on other platforms.
#pragma once

class QWindow;

namespace qv::qt {

// A window minimised and then hidden keeps "iconic" as the initial state in
// its WM_HINTS, and Qt maps it again before it writes the new state, so the
// window manager may take a normal show for a minimise. Called before a
// hidden window is shown in any other state.
void ClearIconicInitialState(QWindow* window);

} // namespace qv::qt
