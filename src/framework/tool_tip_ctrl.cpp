#include "framework/tool_tip_ctrl.h"

CToolTipCtrl::~CToolTipCtrl() = default;

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD) {
    auto* ws = qv::platform::GetWindowSystem();
    if (!ws || m_hWnd)
        return FALSE;
    HWND hwnd = ws->CreateToolTipWindow(parent ? parent->m_hWnd : nullptr);
    return hwnd && SubclassWindow(hwnd) ? TRUE : FALSE;
}

int CToolTipCtrl::SetMaxTipWidth(int width) {
    return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width));
}

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCSTR text, LPCRECT rect, UINT_PTR toolId) {
    if (!window || !m_hWnd)
        return FALSE;
    TOOLINFOA info;
    if (toolId == 0) {
        info.uFlags = TTF_IDISHWND;
        info.hwnd = ::GetParent(window->m_hWnd);
        info.uId = reinterpret_cast<UINT_PTR>(window->m_hWnd);
    } else {
        info.hwnd = window->m_hWnd;
        info.uId = toolId;
    }
    if (rect)
        info.rect = *rect;
    info.lpszText = const_cast<LPSTR>(text ? text : "");
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::RelayEvent(LPMSG msg) {
    if (m_hWnd && msg)
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}

int CToolTipCtrl::GetToolCount() const {
    return static_cast<int>(::SendMessageA(m_hWnd, TTM_GETTOOLCOUNT, 0, 0));
}
