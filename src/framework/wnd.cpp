#include "framework/wnd.h"

#include "framework/afx_state.h"
#include "framework/control_container.h"
#include "framework/control_site.h"
#include "framework/data_exchange.h"
#include "framework/menu.h"

using qv::framework::State;

namespace {
HWND SpecialHandle(std::intptr_t value) {
    return reinterpret_cast<HWND>(value);
}
} // namespace

// Built from literals: the HWND_* constants may not be set yet at this point
// of static initialisation.
const CWnd CWnd::wndTop(SpecialHandle(0));
const CWnd CWnd::wndBottom(SpecialHandle(1));
const CWnd CWnd::wndTopMost(SpecialHandle(-1));
const CWnd CWnd::wndNoTopMost(SpecialHandle(-2));

CWnd::CWnd() = default;

CWnd::CWnd(HWND special) : m_hWnd(special) {}

CWnd::~CWnd() {
    if (m_hWnd && m_bHooked) {
        // Nothing may reach this half-destroyed object any more.
        HWND hwnd = m_hWnd;
        if (auto* ws = qv::platform::GetWindowSystem()) {
            ws->Tree().SetProc(hwnd, m_superProc ? m_superProc
                                                 : qv::platform::WindowProcedure(DefWindowProcA));
        }
        const bool created = !m_superProc;
        Detach();
        if (created)
            ::DestroyWindow(hwnd);
    } else if (m_hWnd && m_bPermanent) {
        Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    auto& map = State().permanentWnds;
    auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hwnd))
        return wnd;
    auto& temps = State().tempWnds;
    auto& slot = temps[hwnd];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = hwnd;
    }
    return slot.get();
}

void CWnd::Bind(HWND hwnd, bool hooked) {
    m_hWnd = hwnd;
    m_bHooked = hooked;
    m_bPermanent = true;
    State().permanentWnds[hwnd] = this;
    State().tempWnds.erase(hwnd);
}

BOOL CWnd::Attach(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd))
        return FALSE;
    Bind(hwnd, false);
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (hwnd && m_bPermanent) {
        auto& map = State().permanentWnds;
        auto it = map.find(hwnd);
        if (it != map.end() && it->second == this)
            map.erase(it);
    }
    m_hWnd = nullptr;
    m_bPermanent = false;
    m_bHooked = false;
    m_superProc = nullptr;
    return hwnd;
}

qv::platform::WindowProcedure CWnd::MakeProcedure() {
    return [this](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        return AfxCallWndProc(this, hwnd, message, wParam, lParam);
    };
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    auto* ws = qv::platform::GetWindowSystem();
    if (!ws || !ws->Tree().Contains(hwnd) || !Attach(hwnd))
        return FALSE;
    m_superProc = ws->Tree().SetProc(hwnd, MakeProcedure());
    m_bHooked = true;
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& state = State();
    const MSG saved = state.lastSent;
    state.lastSent = MSG{hwnd, message, wParam, lParam, 0, {}};
    if (!wnd->m_hWnd)
        wnd->Bind(hwnd, true);
    LRESULT result = 0;
    if (message == WM_NCDESTROY) {
        result = wnd->DefWindowProc(message, wParam, lParam);
        // May delete the object: nothing of it is touched afterwards.
        wnd->OnNcDestroyInternal();
    } else {
        result = wnd->WindowProc(message, wParam, lParam);
    }
    state.lastSent = saved;
    return result;
}

void CWnd::OnNcDestroyInternal() {
    m_pCtrlCont.reset();
    m_pSysMenu.reset();
    Detach();
    PostNcDestroy();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    for (const auto& entry : m_messageMap) {
        if (entry.message == message) {
            *result = entry.handler(wParam, lParam);
            return TRUE;
        }
    }
    *result = 0;
    switch (message) {
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_NOTIFY:
        return OnNotify(wParam, lParam, result);
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return TRUE;
    case WM_NCACTIVATE:
        *result = OnNcActivate(wParam ? TRUE : FALSE);
        return TRUE;
    case WM_QUERYENDSESSION:
        *result = OnQueryEndSession();
        return TRUE;
    case WM_POWERBROADCAST:
        *result = OnPowerBroadcast(wParam, lParam);
        return TRUE;
    case WM_PARENTNOTIFY:
        OnParentNotify(LOWORD(wParam), lParam);
        return TRUE;
    case WM_KICKIDLE:
        *result = OnKickIdle(wParam, lParam);
        return TRUE;
    case WM_QUERYDRAGICON:
        *result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CWnd::Default() {
    const MSG& msg = State().lastSent;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_superProc)
        return m_superProc(m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    return OnCmdMsg(LOWORD(wParam), static_cast<int>(HIWORD(wParam)));
}
BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT* result) {
    *result = Default();
    return TRUE;
}
BOOL CWnd::OnCmdMsg(UINT, int) {
    return FALSE;
}
void CWnd::OnSize(UINT, int, int) {
    Default();
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}
void CWnd::OnClose() {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
BOOL CWnd::OnNcActivate(BOOL) {
    return static_cast<BOOL>(Default());
}
BOOL CWnd::OnQueryEndSession() {
    return static_cast<BOOL>(Default());
}
LRESULT CWnd::OnPowerBroadcast(WPARAM, LPARAM) {
    return Default();
}
void CWnd::OnParentNotify(UINT, LPARAM) {
    Default();
}
LRESULT CWnd::OnKickIdle(WPARAM, LPARAM) {
    return Default();
}
HCURSOR CWnd::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(Default());
}
void CWnd::OnDestroy() {
    Default();
}
void CWnd::PostNcDestroy() {}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}
void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

BOOL CWnd::OnEvent(UINT controlId, DISPID dispid, DISPPARAMS* params) {
    for (const auto& entry : m_eventMap) {
        if (entry.controlId == controlId && entry.dispid == dispid) {
            entry.handler(params);
            return TRUE;
        }
    }
    return FALSE;
}

void CWnd::SetControlContainer(std::unique_ptr<COleControlContainer> container) {
    m_pCtrlCont = std::move(container);
}

IUnknown* CWnd::GetControlUnknown() const {
    return m_pCtrlSite ? m_pCtrlSite->m_pObject.get() : nullptr;
}

BOOL CWnd::ShowWindow(int command) {
    return ::ShowWindow(m_hWnd, command);
}
BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}
BOOL CWnd::IsZoomed() const {
    return ::IsZoomed(m_hWnd);
}
BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::MoveWindow(int x, int y, int cx, int cy, BOOL repaint) {
    ::MoveWindow(m_hWnd, x, y, cx, cy, repaint);
}
void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
    ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                 repaint);
}

BOOL CWnd::SetForegroundWindow() {
    return ::SetForegroundWindow(m_hWnd);
}
CWnd* CWnd::GetForegroundWindow() {
    return FromHandle(::GetForegroundWindow());
}
BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* placement) const {
    return ::GetWindowPlacement(m_hWnd, placement);
}
void CWnd::GetWindowRect(LPRECT rect) const {
    ::GetWindowRect(m_hWnd, rect);
}
void CWnd::GetClientRect(LPRECT rect) const {
    ::GetClientRect(m_hWnd, rect);
}
void CWnd::ClientToScreen(LPPOINT point) const {
    ::ClientToScreen(m_hWnd, point);
}

void CWnd::ClientToScreen(LPRECT rect) const {
    POINT topLeft{rect->left, rect->top};
    POINT bottomRight{rect->right, rect->bottom};
    ::ClientToScreen(m_hWnd, &topLeft);
    ::ClientToScreen(m_hWnd, &bottomRight);
    *rect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::SetWindowText(const std::string& text) {
    ::SetWindowTextA(m_hWnd, text.c_str());
}
void CWnd::GetWindowText(std::string& text) const {
    text = qv::platform::GetWindowTextString(m_hWnd);
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                                  reinterpret_cast<LPARAM>(icon)));
}

CWnd* CWnd::GetDlgItem(int id) const {
    return FromHandle(::GetDlgItem(m_hWnd, id));
}
int CWnd::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(m_hWnd);
}
CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}
BOOL CWnd::EnableWindow(BOOL enable) {
    return ::EnableWindow(m_hWnd, enable);
}
BOOL CWnd::IsWindowEnabled() const {
    return ::IsWindowEnabled(m_hWnd);
}
CWnd* CWnd::SetFocus() {
    return FromHandle(::SetFocus(m_hWnd));
}
CWnd* CWnd::GetFocus() {
    return FromHandle(::GetFocus());
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) {
    return ::SetTimer(m_hWnd, id, elapse, proc);
}
BOOL CWnd::KillTimer(UINT_PTR id) {
    return ::KillTimer(m_hWnd, id);
}

CMenu* CWnd::GetSystemMenu(BOOL revert) const {
    HMENU menu = ::GetSystemMenu(m_hWnd, revert);
    if (!menu)
        return nullptr;
    if (!m_pSysMenu)
        m_pSysMenu = std::make_unique<CMenu>();
    m_pSysMenu->Wrap(menu);
    return m_pSysMenu.get();
}

void AfxDeleteTempMaps() {
    State().tempWnds.clear();
    State().tempMenus.clear();
}
