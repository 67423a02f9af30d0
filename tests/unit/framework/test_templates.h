// What the framework tests share: the simulated desktop with an application
// object, and dialog templates built in memory.
#pragma once

#include "backend/sim/sim_platform.h"
#include "framework/afxwin.h"
#include "platform/html/html_ids.h"
#include "platform/module/dialog_template.h"

#include <gtest/gtest.h>
#include <string>

namespace qv::test {

inline qv::platform::DialogControl Control(std::string className, DWORD id, DWORD style = 0,
                                           std::string text = {}) {
    qv::platform::DialogControl control;
    control.id = id;
    control.style = WS_CHILD | WS_VISIBLE | style;
    control.windowClass.text = std::move(className);
    control.title.text = std::move(text);
    control.cx = 50;
    control.cy = 14;
    return control;
}

inline qv::platform::DialogTemplate Dialog(std::string caption = "Test") {
    qv::platform::DialogTemplate dialog;
    dialog.style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
    dialog.caption = std::move(caption);
    dialog.x = 10;
    dialog.y = 10;
    dialog.cx = 200;
    dialog.cy = 100;
    return dialog;
}

inline qv::platform::DialogControl Browser(DWORD id) {
    auto control = Control(kWebBrowserClassName, id, WS_TABSTOP);
    control.cx = 200;
    control.cy = 100;
    return control;
}

class FrameworkTest : public ::testing::Test {
protected:
    qv::sim::SimPlatform sim;
    CWinApp app{"Test"};
};

} // namespace qv::test
