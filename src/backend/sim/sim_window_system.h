// The simulated window system: a deterministic window manager (shown,
// minimised, hidden, maximised; a z-order with a topmost band; the
// foreground window with WM_NCACTIVATE on every change), a virtual clock,
// settable work area and metrics, popup menus and message boxes answered by
// test callbacks, and a transcript of every call.
#pragma once

#include "backend/sim/sim_clock.h"
#include "backend/sim/sim_window.h"
#include "backend/sim/transcript.h"
#include "platform/ui/window_system.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qv::sim {

struct SimMessageBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

class SimWindowSystem : public qv::platform::IWindowSystem {
public:
    explicit SimWindowSystem(std::shared_ptr<Transcript> transcript);
    ~SimWindowSystem() override;

    SimClock& Clock() { return clock_; }
    Transcript& Log() { return *transcript_; }

    // The test's view of the desktop.
    SimWindow* Window(HWND hwnd);
    const std::string& Name(HWND hwnd);
    // Another application's window, shown and in front.
    HWND CreateForeignWindow(const std::string& title);
    // The user clicks into a window: it comes to the front, activated.
    void UserActivate(HWND hwnd);
    // The user presses an up-down arrow: +1 the upper one, -1 the lower one.
    void UserPressArrow(HWND updown, int direction);
    std::vector<HWND> ZOrder() const { return zOrder_; } // front first
    bool IsAbove(HWND a, HWND b) const;
    SimBrowser* Browser(HWND control);
    // Tooltip tools registered with a tooltip window.
    const std::vector<qv::platform::ToolTipTool>& Tools(HWND tooltip);

    void SetWorkArea(RECT area) { workArea_ = area; }
    void SetMetric(int index, int value) { metrics_[index] = value; }
    void SetCursorPos(POINT point) { cursor_ = point; }
    // Chooses a command of a popup menu (0: the menu is dismissed).
    void SetMenuChooser(std::function<UINT(HMENU)> chooser) { menuChooser_ = std::move(chooser); }
    void SetMessageBoxAnswer(std::function<int(const SimMessageBox&)> answer) {
        messageBoxAnswer_ = std::move(answer);
    }
    const std::vector<SimMessageBox>& MessageBoxes() const { return messageBoxes_; }
    bool WaitCursor() const { return waitCursor_; }

    // IWindowSystem
    qv::platform::MessageQueue& Queue() override { return queue_; }
    qv::platform::WindowTree& Tree() override { return tree_; }
    void WaitForEvents(DWORD timeoutMs) override;
    HWND CreateDialogWindow(const qv::platform::DialogTemplate& dialog,
                            const std::vector<qv::platform::DlgInitRecord>& init, HWND owner,
                            qv::platform::WindowProcedure proc) override;
    HWND CreateToolTipWindow(HWND owner) override;
    qv::com::ComPtr<IUnknown> ControlObject(HWND control) override;
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
    HWND GetForegroundWindow() override { return foreground_; }
    BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT& placement) override;
    BOOL GetWindowRect(HWND hwnd, RECT& rect) override;
    BOOL GetClientRect(HWND hwnd, RECT& rect) override;
    BOOL ClientToScreen(HWND hwnd, POINT& point) override;
    BOOL EnableWindow(HWND hwnd, BOOL enable) override;
    BOOL IsWindowEnabled(HWND hwnd) override;
    HWND SetFocus(HWND hwnd) override;
    HWND GetFocus() override { return focus_; }
    UINT TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override;
    BOOL GetCursorPos(POINT& point) override;
    RECT WorkArea() override { return workArea_; }
    int GetSystemMetrics(int index) override;
    void SetWaitCursor(bool on) override;
    int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                   UINT type) override;
    HDC BeginPaint(HWND hwnd, PAINTSTRUCT& paint) override;
    void EndPaint(HWND hwnd, const PAINTSTRUCT& paint) override;
    BOOL DrawIcon(HDC dc, int x, int y, HICON icon) override;

    // Frame of a top-level window with a caption.
    static constexpr int kBorder = 4;
    static constexpr int kCaption = 20;

private:
    HWND AddWindow(qv::platform::WindowRecord record, SimWindow window);
    void CreateControl(HWND dialog, const qv::platform::DialogControl& control,
                       const std::vector<qv::platform::DlgInitRecord>& init);
    LRESULT ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    void Activate(HWND hwnd);
    void ActivateNext(HWND leaving);
    void PlaceTop(HWND hwnd);
    void PlaceBottom(HWND hwnd);
    void SendSize(HWND hwnd);
    SIZE ClientSize(HWND hwnd);
    bool IsTopLevel(HWND hwnd) const;
    void Record(const std::string& line) { transcript_->Add(line); }

    std::shared_ptr<Transcript> transcript_;
    SimClock clock_;
    qv::platform::MessageQueue queue_;
    qv::platform::WindowTree tree_;
    std::map<HWND, SimWindow> windows_;
    std::vector<HWND> zOrder_;
    HWND foreground_ = nullptr;
    HWND focus_ = nullptr;
    int nextName_ = 1;
    RECT workArea_{0, 0, 1920, 1040};
    std::map<int, int> metrics_;
    POINT cursor_{100, 100};
    std::function<UINT(HMENU)> menuChooser_;
    std::function<int(const SimMessageBox&)> messageBoxAnswer_;
    std::vector<SimMessageBox> messageBoxes_;
    bool waitCursor_ = false;
    int waitsWithoutWork_ = 0;
    std::uint64_t waitedMs_ = 0; // virtual time spent in WaitForEvents
};

} // namespace qv::sim
