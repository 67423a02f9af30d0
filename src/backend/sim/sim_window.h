// What the simulated window manager knows of one window.
#pragma once

#include "platform/com/com_ptr.h"
#include "platform/ui/tool_tip_control.h"
#include "platform/ui/up_down_control.h"
#include "platform/ui/winuser.h"

#include <string>
#include <vector>

namespace qv::sim {

class SimBrowser;

struct SimWindow {
    std::string name; // "w1", "w2" ... in creation order, for the transcript
    std::string text;
    bool foreign = false; // another application's window
    bool enabled = true;
    bool visible = false;
    bool minimized = false;
    bool maximized = false;
    bool topmost = false;
    RECT rect; // top level: the normal (restored) outer rectangle; child: in the parent's client
    bool frame = false; // caption and border around the client area
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    int check = 0;
    bool edit = false;
    int selStart = 0, selEnd = 0; // an edit's selection; selEnd -1 is the end
    qv::platform::UpDownControl upDown;
    qv::platform::ToolTipControl toolTip;
    std::size_t initBytes = 0; // control-initialisation data handed to it
    qv::com::ComPtr<SimBrowser> browser;
};

} // namespace qv::sim
