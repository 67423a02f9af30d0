// Dialogs and controls of the simulation, built from parsed templates.
#include "backend/sim/sim_browser.h"
#include "backend/sim/sim_window_system.h"
#include "platform/html/html_ids.h"
#include "platform/text.h"
#include "platform/ui/winapi.h"

#include <algorithm>

namespace qv::sim {

namespace {

// Dialog units to pixels for the sim's fixed dialog font (6 x 13 base units).
LONG DluX(int dlu) {
    return dlu * 6 / 4;
}
LONG DluY(int dlu) {
    return dlu * 13 / 8;
}

constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr WORD kLoadStateFromStream = 0x0376;

} // namespace

HWND SimWindowSystem::CreateDialogWindow(const qv::platform::DialogTemplate& dialog,
                                         const std::vector<qv::platform::DlgInitRecord>& init,
                                         HWND owner, qv::platform::WindowProcedure proc) {
    qv::platform::WindowRecord record;
    record.parent = owner;
    record.className = WC_DIALOG;
    // Shown by the caller once it is initialised.
    record.style = (dialog.style & ~WS_VISIBLE) & ~WS_CHILD;
    record.exStyle = dialog.exStyle;
    record.proc = std::move(proc);

    SimWindow window;
    window.text = dialog.caption;
    window.frame = (dialog.style & WS_CAPTION) == WS_CAPTION;
    const LONG border = window.frame ? kBorder : 0;
    const LONG caption = window.frame ? kCaption : 0;
    const LONG width = DluX(dialog.cx) + 2 * border;
    const LONG height = DluY(dialog.cy) + 2 * border + caption;
    POINT origin{DluX(dialog.x), DluY(dialog.y)};
    if (dialog.style & DS_CENTER) {
        origin.x = workArea_.left + (workArea_.right - workArea_.left - width) / 2;
        origin.y = workArea_.top + (workArea_.bottom - workArea_.top - height) / 2;
    } else if (owner && Window(owner)) {
        ClientToScreen(owner, origin);
    }
    window.rect = RECT{origin.x, origin.y, origin.x + width, origin.y + height};

    HWND hwnd = AddWindow(std::move(record), std::move(window));
    Record("CreateDialog(" + Name(hwnd) + ", \"" + dialog.caption + "\", owner=" + Name(owner) +
           ")");
    for (const auto& control : dialog.controls)
        CreateControl(hwnd, control, init);
    return hwnd;
}

void SimWindowSystem::CreateControl(HWND dialog, const qv::platform::DialogControl& control,
                                    const std::vector<qv::platform::DlgInitRecord>& init) {
    qv::platform::WindowRecord record;
    record.parent = dialog;
    record.id = static_cast<int>(control.id & 0xFFFF);
    record.className = control.ClassName();
    record.style = control.style | WS_CHILD;
    record.exStyle = control.exStyle;

    SimWindow window;
    window.text = control.title.IsOrdinal() ? std::string() : control.title.text;
    window.visible = (control.style & WS_VISIBLE) != 0;
    window.enabled = (control.style & WS_DISABLED) == 0;
    window.edit = control.Class() == qv::platform::ControlClass::Edit;
    window.rect = RECT{DluX(control.x), DluY(control.y), DluX(control.x + control.cx),
                       DluY(control.y + control.cy)};
    for (const auto& entry : init) {
        if (entry.controlId == record.id && entry.message == kLoadStateFromStream)
            window.initBytes += entry.data.size();
    }
    const bool browser = qv::text::EqualsIgnoreAsciiCase(record.className, kWebBrowserClassName);
    if (browser) {
        window.browser = SimBrowser::Create(transcript_, "top");
        const RECT& r = window.rect;
        window.browser->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    const bool autoBuddy = qv::text::EqualsIgnoreAsciiCase(record.className, UPDOWN_CLASSA) &&
                           (record.style & UDS_AUTOBUDDY);
    HWND hwnd = AddWindow(std::move(record), std::move(window));
    tree_.Find(hwnd)->proc = [this](HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
        return ControlProc(h, message, wParam, lParam);
    };
    if (autoBuddy)
        Window(hwnd)->upDown.buddy = qv::platform::AutoBuddy(tree_, hwnd);
}

LRESULT SimWindowSystem::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return 0;
    const auto* record = tree_.Find(hwnd);
    if (qv::text::EqualsIgnoreAsciiCase(record->className, UPDOWN_CLASSA)) {
        if (auto answer = window->upDown.Handle(record->style, message, wParam, lParam))
            return *answer;
    }
    switch (message) {
    case BM_GETCHECK:
        return window->check;
    case BM_SETCHECK:
        window->check = static_cast<int>(wParam);
        return 0;
    case EM_SETSEL:
        window->selStart = static_cast<int>(LONG(wParam));
        window->selEnd = static_cast<int>(LONG(lParam));
        return 0;
    case WM_GETDLGCODE:
        // A web page takes every key itself.
        if (window->browser)
            return DLGC_WANTALLKEYS;
        return window->edit ? DLGC_HASSETSEL : 0;
    default:
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void SimWindowSystem::UserPressArrow(HWND updown, int direction) {
    if (SimWindow* window = Window(updown))
        window->upDown.Step(tree_.Find(updown)->style, direction);
}

HWND SimWindowSystem::CreateToolTipWindow(HWND owner) {
    qv::platform::WindowRecord record;
    record.parent = owner;
    record.className = TOOLTIPS_CLASSA;
    record.style = WS_POPUP;
    record.exStyle = WS_EX_TOPMOST;
    SimWindow window;
    HWND hwnd = AddWindow(std::move(record), std::move(window));
    tree_.Find(hwnd)->proc = [this](HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
        return ToolTipProc(h, message, wParam, lParam);
    };
    Record("CreateToolTip(" + Name(hwnd) + ", owner=" + Name(owner) + ")");
    return hwnd;
}

LRESULT SimWindowSystem::ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    SimWindow* window = Window(hwnd);
    if (!window)
        return 0;
    if (auto answer = window->toolTip.Handle(message, wParam, lParam)) {
        // Nothing is drawn here, so nothing to take down.
        window->toolTip.TakeDropped();
        return *answer;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace qv::sim
