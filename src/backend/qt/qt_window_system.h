// The window system on Qt Widgets. Windows and controls are widgets with a
// record in the shared window tree; what the user and the desktop do to
// them reaches the window procedures as the platform's messages. Waits
// block on Qt's event loop and return when a message is posted.
#pragma once

#include "platform/ui/tool_tip_control.h"
#include "platform/ui/up_down_control.h"
#include "platform/ui/window_system.h"

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QtGui/qwindowdefs.h>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QEventLoop;
class QPainter;
class QKeyEvent;
class QMenu;
class QWidget;
class QWindow;

namespace qv::qt {

class FocusInWatch;
class SystemEvents;
class TopWindow;

// Fills the container widget of an ActiveX control and returns the hosted
// object; init is the control's initialisation record, or null.
using ActiveXFactory = std::function<com::ComPtr<IUnknown>(
    QWidget* container, const std::string& classId, const platform::DlgInitRecord* init)>;

enum class WindowKind {
    Dialog,
    Label,
    Edit,
    PushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    UpDown,
    ActiveX,
    ToolTip,
    Other
};

// What the backend keeps per window besides the tree's record.
struct QtWindow {
    WindowKind kind = WindowKind::Other;
    QPointer<QWidget> widget; // none for a tooltip window
    std::string text;         // a label's raw text (with its '&')
    com::ComPtr<IUnknown> object;
    HWND buddy = nullptr; // an edit's up-down, whose arrows its arrow keys press
    platform::UpDownControl upDown;
    platform::ToolTipControl toolTip;
    // Top-level window.
    bool enabled = true;
    bool minimized = false;
    bool maximized = false;
    bool restoreMaximized = false;
    bool topmost = false;
    bool focusRefusedUntilExposed = false;
    bool resizable = true;
    QRect normalOuter; // frame rectangle while neither minimised nor maximised
    int reportedType = -1;
    QSize reportedSize;
    int active = -1;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
};

class QtWindowSystem : public QObject, public platform::IWindowSystem {
    Q_OBJECT
public:
    // Needs the QApplication. Watches session end and logind's sleep
    // signal, and takes the application's key events for dialog keys.
    QtWindowSystem();
    ~QtWindowSystem() override;

    void SetActiveXFactory(ActiveXFactory factory) { activeXFactory_ = std::move(factory); }

    // The widget of a window; null for none (or a tooltip window).
    QWidget* Widget(HWND hwnd) const;
    // The window of a widget or of its nearest ancestor that has one.
    HWND HandleOf(const QWidget* widget) const;
    bool FilterWindowKey(QWindow* window, QKeyEvent* key);
    bool HostsBrowser(HWND dialog) const;
    void AcceptFocusOnceExposed(QWindow* handle);
    const QtWindow* Find(HWND hwnd) const;
    SystemEvents& Events() { return *events_; }

    // Sent to every top-level window, as the platform broadcasts them. The
    // answers to the session end are not a veto (see system_events.h).
    void BroadcastQueryEndSession();
    void BroadcastPowerEvent(WPARAM event);

    // Runs Qt's loop and the queue's messages while busy() holds, as a
    // menu or message box loop does. FALSE when WM_QUIT came (re-posted).
    bool RunWhile(const std::function<bool()>& busy);
    // Ends the current waits early.
    void Wake();

    // IWindowSystem
    platform::MessageQueue& Queue() override { return queue_; }
    platform::WindowTree& Tree() override { return tree_; }
    void WaitForEvents(DWORD timeoutMs) override;
    HWND CreateDialogWindow(const platform::DialogTemplate& dialog,
                            const std::vector<platform::DlgInitRecord>& init, HWND owner,
                            platform::WindowProcedure proc) override;
    HWND CreateToolTipWindow(HWND owner) override;
    com::ComPtr<IUnknown> ControlObject(HWND control) override;
    void WindowDestroyed(HWND hwnd) override;
    LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL ShowWindow(HWND hwnd, int command) override;
    BOOL IsIconic(HWND hwnd) override;
    BOOL IsZoomed(HWND hwnd) override;
    BOOL IsWindowVisible(HWND hwnd) override;
    BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                      UINT flags) override;
    BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint) override;
    BOOL SetForegroundWindow(HWND hwnd) override;
    HWND GetForegroundWindow() override;
    BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT& placement) override;
    BOOL GetWindowRect(HWND hwnd, RECT& rect) override;
    BOOL GetClientRect(HWND hwnd, RECT& rect) override;
    BOOL ClientToScreen(HWND hwnd, POINT& point) override;
    BOOL EnableWindow(HWND hwnd, BOOL enable) override;
    BOOL IsWindowEnabled(HWND hwnd) override;
    HWND SetFocus(HWND hwnd) override;
    HWND GetFocus() override;
    UINT TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override;
    BOOL GetCursorPos(POINT& point) override;
    RECT WorkArea() override;
    int GetSystemMetrics(int index) override;
    void SetWaitCursor(bool on) override;
    int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                   UINT type) override;
    HDC BeginPaint(HWND hwnd, PAINTSTRUCT& paint) override;
    void EndPaint(HWND hwnd, const PAINTSTRUCT& paint) override;
    BOOL DrawIcon(HDC dc, int x, int y, HICON icon) override;

    // From the top-level widgets (top_window.cpp).
    void OnCloseRequested(HWND hwnd);
    void OnGeometryChanged(HWND hwnd);
    void OnWindowStateChanged(HWND hwnd);
    void OnActivationChanged(HWND hwnd, bool active);
    // The window system gave the keyboard focus to a window of ours.
    void OnFocusIn(WId window);
    void OnPaint(HWND hwnd, QPainter& painter);
    void ShowSystemMenu(HWND hwnd);

    // A page's context menu: its window hears WM_CONTEXTMENU, and a menu it
    // tracks meanwhile shows the engine's items too. False when it tracked
    // none; the engine's menu is then still the caller's.
    bool OfferPageMenu(HWND window, QWidget* page, QMenu* engineMenu, QPoint screen);

    // Frame sizes the window manager puts around a client area, as last seen.
    QMargins FrameMargins(const QWidget* window) const;
    // Largest client size a window gets: what the desktop can show.
    QSize MaximumWindowSize() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class DialogBuilder;

    QtWindow* Entry(HWND hwnd);
    HWND Register(platform::WindowRecord record, QtWindow window);
    bool IsTopLevel(HWND hwnd) const;
    // Sends a message made by a desktop event, then wakes the modal loop so
    // it sees the change (its idle work runs after messages only).
    LRESULT Deliver(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void ReportSize(HWND hwnd);
    void Activate(QWidget* window);
    void SetStaysOnTop(QWidget* window, bool on);
    QRect OuterRect(HWND hwnd);
    void ApplyOuterRect(HWND hwnd, const QRect& outer);

    LRESULT ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void StepUpDown(HWND hwnd, int direction);
    void ApplyToolTips(QtWindow& tooltip);
    void SetControlText(HWND hwnd, QtWindow& window, const std::string& text);
    std::string ControlText(HWND hwnd, const QtWindow& window) const;

    platform::MessageQueue queue_;
    platform::WindowTree tree_;
    std::map<HWND, QtWindow> windows_;
    std::vector<QEventLoop*> waits_;
    ActiveXFactory activeXFactory_;
    std::unique_ptr<SystemEvents> events_;
    std::unique_ptr<FocusInWatch> focusWatch_;
    mutable QMargins lastFrame_{1, 24, 1, 1}; // until a shown window tells
    int waitCursor_ = 0;
    struct PaintContext;
    PaintContext* painting_ = nullptr;
    std::vector<std::unique_ptr<PaintContext>> scratchPaints_;
    struct PageMenu {
        HWND owner = nullptr;
        QPointer<QMenu> engine;
    };
    std::optional<PageMenu> pageMenu_;
};

} // namespace qv::qt
