// The simulated window manager: state, z-order, activation, geometry.
#include "backend/sim/sim_window_system.h"

#include "backend/sim/sim_browser.h"
#include "backend/sim/sim_names.h"
#include "platform/ui/winapi.h"

#include <algorithm>
#include <stdexcept>

namespace qv::sim {

namespace {
// Enough for any real program; a wait loop that never gets anywhere is a bug.
constexpr int kMaxIdleWaits = 100000;
// A test that waits this long in virtual time is stuck in a loop that only a
// user would end (a dialog nobody answers, while a timer keeps it busy).
constexpr std::uint64_t kMaxWaitedMs = 6ull * 60 * 60 * 1000;
} // namespace

SimWindowSystem::SimWindowSystem(std::shared_ptr<Transcript> transcript)
    : transcript_(std::move(transcript)), queue_([this] { return clock_.Now(); }) {
    metrics_ = {{SM_CXSCREEN, 1920},       {SM_CYSCREEN, 1080}, {SM_CXICON, 32},
                {SM_CYICON, 32},           {SM_CXSMICON, 16},   {SM_CYSMICON, 16},
                {SM_CXMINTRACK, 136},      {SM_CYMINTRACK, 39}, {SM_CXVIRTUALSCREEN, 1920},
                {SM_CYVIRTUALSCREEN, 1080}};
}

SimWindowSystem::~SimWindowSystem() = default;

SimWindow* SimWindowSystem::Window(HWND hwnd) {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
}

const std::string& SimWindowSystem::Name(HWND hwnd) {
    static const std::string none = "null";
    SimWindow* window = Window(hwnd);
    return window ? window->name : none;
}

bool SimWindowSystem::IsTopLevel(HWND hwnd) const {
    const auto* record = tree_.Find(hwnd);
    return record && !record->IsChild();
}

HWND SimWindowSystem::AddWindow(qv::platform::WindowRecord record, SimWindow window) {
    const bool topLevel = !record.IsChild();
    HWND hwnd = tree_.Add(std::move(record));
    window.name = "w" + std::to_string(nextName_++);
    windows_[hwnd] = std::move(window);
    if (topLevel)
        zOrder_.push_back(hwnd); // behind everything until shown
    return hwnd;
}

HWND SimWindowSystem::CreateForeignWindow(const std::string& title) {
    qv::platform::WindowRecord record;
    record.className = "foreign";
    record.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    record.proc = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
    SimWindow window;
    window.text = title;
    window.foreign = true;
    window.visible = true;
    window.frame = true;
    window.rect = RECT{200, 200, 1000, 800};
    HWND hwnd = AddWindow(std::move(record), std::move(window));
    PlaceTop(hwnd);
    Activate(hwnd);
    return hwnd;
}

void SimWindowSystem::UserActivate(HWND hwnd) {
    PlaceTop(hwnd);
    Activate(hwnd);
}

bool SimWindowSystem::IsAbove(HWND a, HWND b) const {
    auto ia = std::find(zOrder_.begin(), zOrder_.end(), a);
    auto ib = std::find(zOrder_.begin(), zOrder_.end(), b);
    return ia != zOrder_.end() && ib != zOrder_.end() && ia < ib;
}

SimBrowser* SimWindowSystem::Browser(HWND control) {
    SimWindow* window = Window(control);
    return window ? window->browser.get() : nullptr;
}

const std::vector<qv::platform::ToolTipTool>& SimWindowSystem::Tools(HWND tooltip) {
    static const std::vector<qv::platform::ToolTipTool> none;
    SimWindow* window = Window(tooltip);
    return window ? window->toolTip.Tools() : none;
}

void SimWindowSystem::WaitForEvents(DWORD timeoutMs) {
    const auto next = clock_.NextActionTime();
    if (timeoutMs == INFINITE && !next)
        throw std::logic_error("sim: the program waits for ever and nothing is scheduled");
    const std::uint64_t before = clock_.Now();
    const std::uint64_t target = timeoutMs == INFINITE ? *next : before + timeoutMs;
    if (clock_.AdvanceTowards(target) || clock_.Now() != before)
        waitsWithoutWork_ = 0;
    if (clock_.Now() > before)
        waitedMs_ += clock_.Now() - before;
    if (waitedMs_ > kMaxWaitedMs)
        throw std::logic_error("sim: the program waited six hours; is a dialog left unanswered?");
    else if (++waitsWithoutWork_ > kMaxIdleWaits)
        throw std::logic_error("sim: the program keeps waiting without time passing");
}

qv::com::ComPtr<IUnknown> SimWindowSystem::ControlObject(HWND control) {
    SimWindow* window = Window(control);
    if (!window || !window->browser)
        return nullptr;
    return window->browser.As<IUnknown>();
}

void SimWindowSystem::WindowDestroyed(HWND hwnd) {
    std::erase(zOrder_, hwnd);
    if (foreground_ == hwnd)
        foreground_ = nullptr;
    if (focus_ == hwnd)
        focus_ = nullptr;
    Record("DestroyWindow(" + Name(hwnd) + ")");
    windows_.erase(hwnd);
}

LRESULT SimWindowSystem::DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return 0;
    switch (message) {
    case WM_SETTEXT:
        window->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        if (IsTopLevel(hwnd))
            Record("SetWindowText(" + window->name + ", \"" + window->text + "\")");
        return TRUE;
    case WM_GETTEXT:
        return qv::platform::CopyWindowText(window->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(window->text.size());
    case WM_SETICON: {
        HICON icon = reinterpret_cast<HICON>(lParam);
        HICON& slot = wParam == ICON_BIG ? window->bigIcon : window->smallIcon;
        Record("SetIcon(" + window->name + (wParam == ICON_BIG ? ", big)" : ", small)"));
        return reinterpret_cast<LRESULT>(std::exchange(slot, icon));
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? window->bigIcon : window->smallIcon);
    case WM_PAINT:
        return qv::platform::PaintNothing(*this, hwnd);
    default:
        return 0;
    }
}

void SimWindowSystem::PlaceTop(HWND hwnd) {
    SimWindow* window = Window(hwnd);
    if (!window || !IsTopLevel(hwnd))
        return;
    std::erase(zOrder_, hwnd);
    auto position = zOrder_.begin();
    if (!window->topmost) {
        position = std::find_if(zOrder_.begin(), zOrder_.end(),
                                [&](HWND h) { return !windows_.at(h).topmost; });
    }
    zOrder_.insert(position, hwnd);
}

void SimWindowSystem::PlaceBottom(HWND hwnd) {
    SimWindow* window = Window(hwnd);
    if (!window || !IsTopLevel(hwnd))
        return;
    window->topmost = false;
    std::erase(zOrder_, hwnd);
    zOrder_.push_back(hwnd);
}

void SimWindowSystem::Activate(HWND hwnd) {
    if (foreground_ == hwnd)
        return;
    HWND previous = std::exchange(foreground_, hwnd);
    if (previous && Window(previous)) {
        ::SendMessageA(previous, WM_NCACTIVATE, FALSE, 0);
        ::SendMessageA(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    }
    if (hwnd && Window(hwnd)) {
        ::SendMessageA(hwnd, WM_NCACTIVATE, TRUE, 0);
        ::SendMessageA(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
    }
}

void SimWindowSystem::ActivateNext(HWND leaving) {
    if (foreground_ != leaving)
        return;
    for (HWND h : zOrder_) {
        const SimWindow& w = windows_.at(h);
        if (h != leaving && w.visible && !w.minimized) {
            Activate(h);
            return;
        }
    }
    Activate(nullptr);
}

SIZE SimWindowSystem::ClientSize(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, client);
    return SIZE{client.right, client.bottom};
}

void SimWindowSystem::SendSize(HWND hwnd) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return;
    const WPARAM type = window->minimized   ? SIZE_MINIMIZED
                        : window->maximized ? SIZE_MAXIMIZED
                                            : SIZE_RESTORED;
    const SIZE size = ClientSize(hwnd);
    ::SendMessageA(hwnd, WM_SIZE, type, MAKELONG(WORD(size.cx), WORD(size.cy)));
}

BOOL SimWindowSystem::ShowWindow(HWND hwnd, int command) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return FALSE;
    Record("ShowWindow(" + window->name + ", " + ShowCommandName(command) + ")");
    const BOOL wasVisible = window->visible ? TRUE : FALSE;
    if (!IsTopLevel(hwnd)) {
        window->visible = command != SW_HIDE;
        return wasVisible;
    }
    switch (command) {
    case SW_HIDE:
        window->visible = false;
        ActivateNext(hwnd);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        window->visible = true;
        if (!window->minimized) {
            window->minimized = true;
            SendSize(hwnd);
        }
        ActivateNext(hwnd);
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWNOACTIVATE: {
        window->visible = true;
        const bool wasMinimized = std::exchange(window->minimized, false);
        if (!wasMinimized && window->maximized && command != SW_SHOWNOACTIVATE)
            window->maximized = false;
        if (wasMinimized || command != SW_SHOWNOACTIVATE)
            SendSize(hwnd);
        PlaceTop(hwnd);
        if (command != SW_SHOWNOACTIVATE)
            Activate(hwnd);
        break;
    }
    case SW_MAXIMIZE:
        window->visible = true;
        window->minimized = false;
        window->maximized = true;
        SendSize(hwnd);
        PlaceTop(hwnd);
        Activate(hwnd);
        break;
    case SW_SHOW:
        window->visible = true;
        PlaceTop(hwnd);
        Activate(hwnd);
        break;
    case SW_SHOWNA:
        window->visible = true;
        break;
    default:
        break;
    }
    return wasVisible;
}

BOOL SimWindowSystem::IsIconic(HWND hwnd) {
    SimWindow* window = Window(hwnd);
    return window && window->minimized ? TRUE : FALSE;
}

BOOL SimWindowSystem::IsZoomed(HWND hwnd) {
    SimWindow* window = Window(hwnd);
    return window && window->maximized && !window->minimized ? TRUE : FALSE;
}

BOOL SimWindowSystem::IsWindowVisible(HWND hwnd) {
    SimWindow* window = Window(hwnd);
    if (!window || !window->visible)
        return FALSE;
    const auto* record = tree_.Find(hwnd);
    // A child is seen only while its parent is.
    return record->IsChild() ? IsWindowVisible(record->parent) : TRUE;
}

BOOL SimWindowSystem::SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                                   UINT flags) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return FALSE;
    Record("SetWindowPos(" + window->name + ", " + InsertAfterName(insertAfter, Name(insertAfter)) +
           ", " + SwpFlagsName(flags) + ")");
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        RECT& r = window->rect;
        const LONG width = (flags & SWP_NOSIZE) ? r.right - r.left : cx;
        const LONG height = (flags & SWP_NOSIZE) ? r.bottom - r.top : cy;
        const LONG left = (flags & SWP_NOMOVE) ? r.left : x;
        const LONG top = (flags & SWP_NOMOVE) ? r.top : y;
        const bool resized = width != r.right - r.left || height != r.bottom - r.top;
        r = RECT{left, top, left + width, top + height};
        if (resized && !window->minimized)
            SendSize(hwnd);
    }
    if (!(flags & SWP_NOZORDER) && IsTopLevel(hwnd)) {
        if (insertAfter == HWND_TOPMOST) {
            window->topmost = true;
            PlaceTop(hwnd);
        } else if (insertAfter == HWND_NOTOPMOST) {
            // Only a topmost window moves: to the top of the others.
            if (window->topmost) {
                window->topmost = false;
                PlaceTop(hwnd);
            }
        } else if (insertAfter == HWND_TOP) {
            PlaceTop(hwnd);
        } else if (insertAfter == HWND_BOTTOM) {
            PlaceBottom(hwnd);
        } else if (Window(insertAfter)) {
            std::erase(zOrder_, hwnd);
            window->topmost = windows_.at(insertAfter).topmost;
            auto after = std::find(zOrder_.begin(), zOrder_.end(), insertAfter);
            zOrder_.insert(after == zOrder_.end() ? after : after + 1, hwnd);
        }
    }
    if (flags & SWP_SHOWWINDOW)
        window->visible = true;
    if (flags & SWP_HIDEWINDOW) {
        window->visible = false;
        ActivateNext(hwnd);
    }
    if (!(flags & SWP_NOACTIVATE) && IsTopLevel(hwnd) && window->visible)
        Activate(hwnd);
    return TRUE;
}

BOOL SimWindowSystem::MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return FALSE;
    Record("MoveWindow(" + window->name + ", " + std::to_string(x) + ", " + std::to_string(y) +
           ", " + std::to_string(cx) + ", " + std::to_string(cy) +
           ", repaint=" + std::to_string(repaint) + ")");
    const SIZE before = ClientSize(hwnd);
    window->rect = RECT{x, y, x + cx, y + cy};
    const SIZE after = ClientSize(hwnd);
    if (before.cx != after.cx || before.cy != after.cy)
        SendSize(hwnd);
    return TRUE;
}

BOOL SimWindowSystem::SetForegroundWindow(HWND hwnd) {
    SimWindow* window = Window(hwnd);
    if (!window || !IsTopLevel(hwnd))
        return FALSE;
    Record("SetForegroundWindow(" + window->name + ")");
    PlaceTop(hwnd);
    Activate(hwnd);
    return TRUE;
}

BOOL SimWindowSystem::GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT& placement) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return FALSE;
    placement.rcNormalPosition = window->rect;
    placement.showCmd = window->minimized   ? SW_SHOWMINIMIZED
                        : window->maximized ? SW_SHOWMAXIMIZED
                        : window->visible   ? SW_SHOWNORMAL
                                            : SW_HIDE;
    return TRUE;
}

BOOL SimWindowSystem::GetWindowRect(HWND hwnd, RECT& rect) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return FALSE;
    if (!IsTopLevel(hwnd)) {
        POINT origin{window->rect.left, window->rect.top};
        ClientToScreen(tree_.Find(hwnd)->parent, origin);
        rect = RECT{origin.x, origin.y, origin.x + window->rect.right - window->rect.left,
                    origin.y + window->rect.bottom - window->rect.top};
    } else if (window->minimized) {
        rect = RECT{-32000, -32000, -32000 + 160, -32000 + 28};
    } else if (window->maximized) {
        rect = RECT{workArea_.left - kBorder, workArea_.top - kBorder, workArea_.right + kBorder,
                    workArea_.bottom + kBorder};
    } else {
        rect = window->rect;
    }
    return TRUE;
}

BOOL SimWindowSystem::GetClientRect(HWND hwnd, RECT& rect) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return FALSE;
    if (window->minimized) {
        rect = RECT{};
        return TRUE;
    }
    RECT outer;
    GetWindowRect(hwnd, outer);
    LONG width = outer.right - outer.left;
    LONG height = outer.bottom - outer.top;
    if (window->frame) {
        width -= 2 * kBorder;
        height -= 2 * kBorder + kCaption;
    }
    rect = RECT{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
    return TRUE;
}

BOOL SimWindowSystem::ClientToScreen(HWND hwnd, POINT& point) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return FALSE;
    RECT outer;
    GetWindowRect(hwnd, outer);
    point.x += outer.left + (window->frame ? kBorder : 0);
    point.y += outer.top + (window->frame ? kBorder + kCaption : 0);
    return TRUE;
}

BOOL SimWindowSystem::EnableWindow(HWND hwnd, BOOL enable) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return FALSE;
    Record("EnableWindow(" + window->name + ", " + std::to_string(enable) + ")");
    const BOOL wasDisabled = window->enabled ? FALSE : TRUE;
    window->enabled = enable != FALSE;
    return wasDisabled;
}

BOOL SimWindowSystem::IsWindowEnabled(HWND hwnd) {
    SimWindow* window = Window(hwnd);
    return window && window->enabled ? TRUE : FALSE;
}

HWND SimWindowSystem::SetFocus(HWND hwnd) {
    return std::exchange(focus_, hwnd);
}

UINT SimWindowSystem::TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    Record("TrackPopupMenu(" + Name(owner) + ", " + std::to_string(x) + ", " + std::to_string(y) +
           ", flags=" + std::to_string(flags) + ")");
    return menuChooser_ ? menuChooser_(menu) : 0;
}

BOOL SimWindowSystem::GetCursorPos(POINT& point) {
    point = cursor_;
    return TRUE;
}

int SimWindowSystem::GetSystemMetrics(int index) {
    auto it = metrics_.find(index);
    return it == metrics_.end() ? 0 : it->second;
}

void SimWindowSystem::SetWaitCursor(bool on) {
    waitCursor_ = on;
    Record(on ? "WaitCursor(on)" : "WaitCursor(off)");
}

int SimWindowSystem::MessageBox(HWND owner, const std::string& text, const std::string& caption,
                                UINT type) {
    Record("MessageBox(\"" + text + "\")");
    messageBoxes_.push_back({owner, text, caption, type});
    return messageBoxAnswer_ ? messageBoxAnswer_(messageBoxes_.back()) : IDOK;
}

HDC SimWindowSystem::BeginPaint(HWND hwnd, PAINTSTRUCT& paint) {
    paint = PAINTSTRUCT{};
    paint.hdc = reinterpret_cast<HDC>(hwnd);
    GetClientRect(hwnd, paint.rcPaint);
    return paint.hdc;
}

void SimWindowSystem::EndPaint(HWND, const PAINTSTRUCT&) {}

BOOL SimWindowSystem::DrawIcon(HDC dc, int x, int y, HICON) {
    HWND hwnd = reinterpret_cast<HWND>(dc);
    if (!Window(hwnd))
        return FALSE;
    Record("DrawIcon(" + Name(hwnd) + ", " + std::to_string(x) + ", " + std::to_string(y) + ")");
    return TRUE;
}

} // namespace qv::sim
