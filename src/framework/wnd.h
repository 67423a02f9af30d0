// CWnd: a window of the framework. Its WindowProc dispatches the messages
// the system's code handles to virtual handlers; whatever a handler leaves
// to Default() gets the platform's default processing. Extra messages (an
// application's WM_USER+n) and ActiveX events are mapped per object with
// MapMessage and MapEvent.
#pragma once

#include "framework/event_sink.h"
#include "platform/com/dispatch.h"
#include "platform/ui/winapi.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDataExchange;
class CMenu;
class COleControlContainer;
class COleControlSite;
class COccManager;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    // The site of the ActiveX control this window is, when bound by DDX_Control.
    COleControlSite* m_pCtrlSite = nullptr;

    // Stand-ins for SetWindowPos's insert-after handles.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    operator HWND() const { return m_hWnd; }

    // The object bound to the window, or a temporary wrapper that lives
    // until the next idle moment.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    BOOL Attach(HWND hwnd);
    HWND Detach();
    // Routes the window's messages through this object first; the previous
    // procedure does the default processing.
    BOOL SubclassWindow(HWND hwnd);
    virtual BOOL DestroyWindow();

    BOOL ShowWindow(int command);
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    BOOL IsWindowVisible() const;
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL SetForegroundWindow();
    static CWnd* GetForegroundWindow();
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void SetWindowText(const std::string& text);
    void GetWindowText(std::string& text) const;
    HICON SetIcon(HICON icon, BOOL big);
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    CWnd* SetFocus();
    static CWnd* GetFocus();
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc);
    BOOL KillTimer(UINT_PTR id);
    // A wrapper of the system menu kept by this object; null without one.
    CMenu* GetSystemMenu(BOOL revert) const;
    // The hosted ActiveX object when this window is a bound control.
    IUnknown* GetControlUnknown() const;

    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual void DoDataExchange(CDataExchange* dx);
    // An event of the ActiveX control with that id; FALSE when none is mapped.
    virtual BOOL OnEvent(UINT controlId, DISPID dispid, DISPPARAMS* params);
    // Runs the framework's modal loop until EndModalLoop.
    int RunModalLoop(DWORD flags = 0);
    virtual void EndModalLoop(int result);
    BOOL ContinueModal() const { return m_bContinueModal; }

    COleControlContainer* GetControlContainer() const { return m_pCtrlCont.get(); }
    // Made by the manager when the window's template has ActiveX controls.
    void SetControlContainer(std::unique_ptr<COleControlContainer> container);

protected:
    // The handlers. Each one's base version hands the message to Default().
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Command routing: TRUE when a handler took the command.
    virtual BOOL OnCmdMsg(UINT id, int code);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnClose();
    virtual void OnPaint();
    virtual void OnSysCommand(UINT id, LPARAM lParam);
    virtual BOOL OnNcActivate(BOOL active);
    virtual BOOL OnQueryEndSession();
    virtual LRESULT OnPowerBroadcast(WPARAM event, LPARAM data);
    virtual void OnParentNotify(UINT message, LPARAM lParam);
    // The modal loop went idle; 0 means no further WM_KICKIDLE until more messages came.
    virtual LRESULT OnKickIdle(WPARAM wParam, LPARAM count);
    virtual HCURSOR OnQueryDragIcon();
    virtual void OnDestroy();
    // After the window is gone; a self-deleting object deletes itself here.
    virtual void PostNcDestroy();

    // Default processing of the message being handled now.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Handles a message; FALSE leaves it to DefWindowProc.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    template <class T> void MapMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
        T* self = static_cast<T*>(this);
        m_messageMap.push_back(
            {message, [self, handler](WPARAM w, LPARAM l) { return (self->*handler)(w, l); }});
    }

    template <class T, class... Args>
    void MapEvent(UINT controlId, DISPID dispid, void (T::*handler)(Args...)) {
        T* self = static_cast<T*>(this);
        m_eventMap.push_back({controlId, dispid, [self, handler](DISPPARAMS* params) {
                                  return qv::framework::detail::InvokeEvent(
                                      self, handler, params, std::index_sequence_for<Args...>{});
                              }});
    }

    // Creates the platform window through the caller's factory with this
    // object's procedure, and binds it.
    qv::platform::WindowProcedure MakeProcedure();
    void Bind(HWND hwnd, bool hooked);

    bool m_bContinueModal = false;
    int m_nModalResult = -1;

private:
    friend LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    explicit CWnd(HWND special);
    void OnNcDestroyInternal();

    struct MessageEntry {
        UINT message;
        std::function<LRESULT(WPARAM, LPARAM)> handler;
    };
    struct EventEntry {
        UINT controlId;
        DISPID dispid;
        std::function<HRESULT(DISPPARAMS*)> handler;
    };

    std::vector<MessageEntry> m_messageMap;
    std::vector<EventEntry> m_eventMap;
    qv::platform::WindowProcedure m_superProc;
    std::unique_ptr<COleControlContainer> m_pCtrlCont;
    mutable std::unique_ptr<CMenu> m_pSysMenu;
    bool m_bPermanent = false; // in the handle map
    bool m_bHooked = false;    // its procedure routes through this object
};

// Dispatches one message to a window object, keeping the message that
// Default() answers.
LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Frees the temporary wrappers that FromHandle made.
void AfxDeleteTempMaps();
