// CToolTipCtrl: a tooltip control window with its tools.
#pragma once

#include "framework/wnd.h"

class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() = default;
    ~CToolTipCtrl() override;

    BOOL Create(CWnd* parent, DWORD style = 0);
    // Longer tips wrap into several lines at this width (pixels).
    int SetMaxTipWidth(int width);
    // With no rectangle and tool id 0 the tool is the window itself,
    // registered with its parent; the control keeps a copy of the text.
    BOOL AddTool(CWnd* window, LPCSTR text, LPCRECT rect = nullptr, UINT_PTR toolId = 0);
    BOOL AddTool(CWnd* window, const std::string& text, LPCRECT rect = nullptr,
                 UINT_PTR toolId = 0) {
        return AddTool(window, text.c_str(), rect, toolId);
    }
    // Hands a message to the control so it can see the mouse.
    void RelayEvent(LPMSG msg);
    int GetToolCount() const;
};
