#include "backend/qt/qt_window_system.h"

#include "backend/qt/dialog_builder.h"
#include "backend/qt/icon_image.h"
#include "backend/qt/system_events.h"
#include "backend/qt/top_window.h"
#include "backend/qt/x11_window.h"
#include "platform/ui/winapi.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <utility>

namespace qv::qt {

struct QtWindowSystem::PaintContext {
    HWND hwnd = nullptr;
    QPainter* painter = nullptr;
    QImage scratch; // for a paint outside a paint event; its drawing is not kept
    std::unique_ptr<QPainter> ownPainter;
};

namespace {

std::uint64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return std::uint64_t(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

const char* const kHandleProperty = "qv_hwnd";

bool IsInputEvent(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
        return true;
    default:
        return false;
    }
}

} // namespace

QtWindowSystem::QtWindowSystem() : queue_(&SteadyMilliseconds) {
    queue_.SetWakeHandler([this] { Wake(); });
    // The framework's loop decides when the program ends, not the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(this);
    events_ = std::make_unique<SystemEvents>(*this);
    // Looked at once Qt has handled the event too.
    focusWatch_ = std::make_unique<FocusInWatch>([this](WId window) {
        QMetaObject::invokeMethod(
            this, [this, window] { OnFocusIn(window); }, Qt::QueuedConnection);
    });
}

QtWindowSystem::~QtWindowSystem() {
    qApp->removeEventFilter(this);
    queue_.SetWakeHandler({});
    for (auto& [hwnd, window] : windows_) {
        window.object.reset();
        if (window.widget && window.widget->isWindow())
            delete window.widget.data();
    }
    while (waitCursor_-- > 0)
        QGuiApplication::restoreOverrideCursor();
}

QtWindow* QtWindowSystem::Entry(HWND hwnd) {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
}

const QtWindow* QtWindowSystem::Find(HWND hwnd) const {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
}

QWidget* QtWindowSystem::Widget(HWND hwnd) const {
    const QtWindow* window = Find(hwnd);
    return window ? window->widget.data() : nullptr;
}

HWND QtWindowSystem::HandleOf(const QWidget* widget) const {
    for (; widget; widget = widget->parentWidget()) {
        const QVariant value = widget->property(kHandleProperty);
        if (value.isValid()) {
            HWND hwnd = reinterpret_cast<HWND>(value.value<quintptr>());
            return Find(hwnd) ? hwnd : nullptr;
        }
        if (widget->isWindow())
            break;
    }
    return nullptr;
}

HWND QtWindowSystem::Register(platform::WindowRecord record, QtWindow window) {
    HWND hwnd = tree_.Add(std::move(record));
    if (window.widget)
        window.widget->setProperty(kHandleProperty, QVariant::fromValue(quintptr(hwnd)));
    windows_[hwnd] = std::move(window);
    return hwnd;
}

bool QtWindowSystem::IsTopLevel(HWND hwnd) const {
    const auto* record = tree_.Find(hwnd);
    return record && !record->IsChild();
}

void QtWindowSystem::Wake() {
    for (QEventLoop* loop : waits_)
        loop->quit();
}

void QtWindowSystem::WaitForEvents(DWORD timeoutMs) {
    if (timeoutMs == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    QEventLoop loop;
    QTimer timer;
    if (timeoutMs != INFINITE) {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(std::chrono::milliseconds(timeoutMs));
    }
    waits_.push_back(&loop);
    loop.exec();
    waits_.pop_back();
}

bool QtWindowSystem::RunWhile(const std::function<bool()>& busy) {
    while (busy()) {
        MSG msg;
        while (busy() && queue_.Peek(msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                queue_.PostQuit(static_cast<int>(msg.wParam));
                return false;
            }
            ::DispatchMessageA(&msg);
        }
        if (!busy())
            break;
        const auto next = queue_.TimeToNextTimer();
        WaitForEvents(next ? DWORD(std::max<std::uint64_t>(*next, 1)) : INFINITE);
    }
    return true;
}

LRESULT QtWindowSystem::Deliver(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!tree_.Contains(hwnd))
        return 0;
    const LRESULT result = ::SendMessageA(hwnd, message, wParam, lParam);
    if (tree_.Contains(hwnd))
        queue_.Post(hwnd, WM_NULL, 0, 0);
    return result;
}

void QtWindowSystem::BroadcastQueryEndSession() {
    for (HWND hwnd : tree_.TopLevel()) {
        const QtWindow* window = Find(hwnd);
        if (window && window->kind == WindowKind::Dialog)
            Deliver(hwnd, WM_QUERYENDSESSION, 0, 0);
    }
}

void QtWindowSystem::BroadcastPowerEvent(WPARAM event) {
    for (HWND hwnd : tree_.TopLevel()) {
        const QtWindow* window = Find(hwnd);
        if (window && window->kind == WindowKind::Dialog)
            Deliver(hwnd, WM_POWERBROADCAST, event, 0);
    }
}

HWND QtWindowSystem::CreateDialogWindow(const platform::DialogTemplate& dialog,
                                        const std::vector<platform::DlgInitRecord>& init,
                                        HWND owner, platform::WindowProcedure proc) {
    if (owner && !tree_.Contains(owner))
        return nullptr;
    DialogBuilder builder(*this, dialog, init, owner);
    return builder.Build(std::move(proc));
}

HWND QtWindowSystem::CreateToolTipWindow(HWND owner) {
    if (owner && !tree_.Contains(owner))
        return nullptr;
    platform::WindowRecord record;
    record.parent = owner;
    record.className = TOOLTIPS_CLASSA;
    record.style = WS_POPUP;
    record.proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) { return ToolTipProc(h, m, w, l); };
    QtWindow window;
    window.kind = WindowKind::ToolTip;
    return Register(std::move(record), std::move(window));
}

com::ComPtr<IUnknown> QtWindowSystem::ControlObject(HWND control) {
    const QtWindow* window = Find(control);
    return window ? window->object : nullptr;
}

void QtWindowSystem::WindowDestroyed(HWND hwnd) {
    auto it = windows_.find(hwnd);
    if (it == windows_.end())
        return;
    QtWindow window = std::move(it->second);
    windows_.erase(it);
    if (window.kind == WindowKind::ToolTip) {
        // Its tips go with it.
        window.toolTip.Handle(TTM_ACTIVATE, FALSE, 0);
        ApplyToolTips(window);
    }
    // The hosted object lets go of its widgets before they go.
    window.object.reset();
    if (window.widget) {
        window.widget->setProperty(kHandleProperty, QVariant());
        window.widget->hide();
        // Later: this may run inside one of the widget's own event handlers.
        window.widget->deleteLater();
    }
}

BOOL QtWindowSystem::EnableWindow(HWND hwnd, BOOL enable) {
    QtWindow* window = Entry(hwnd);
    if (!window)
        return FALSE;
    if (IsTopLevel(hwnd)) {
        // A disabled top-level window takes no input but keeps its look; its
        // owned windows stay usable (Qt would disable child widgets).
        const BOOL wasDisabled = window->enabled ? FALSE : TRUE;
        window->enabled = enable != FALSE;
        return wasDisabled;
    }
    if (!window->widget)
        return FALSE;
    const BOOL wasDisabled = window->widget->isEnabled() ? FALSE : TRUE;
    window->widget->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL QtWindowSystem::IsWindowEnabled(HWND hwnd) {
    const QtWindow* window = Find(hwnd);
    if (!window)
        return FALSE;
    if (IsTopLevel(hwnd))
        return window->enabled ? TRUE : FALSE;
    return window->widget && window->widget->isEnabled() ? TRUE : FALSE;
}

HWND QtWindowSystem::SetFocus(HWND hwnd) {
    HWND previous = GetFocus();
    if (QWidget* widget = Widget(hwnd))
        widget->setFocus(Qt::OtherFocusReason);
    return previous;
}

HWND QtWindowSystem::GetFocus() {
    return HandleOf(QApplication::focusWidget());
}

BOOL QtWindowSystem::GetCursorPos(POINT& point) {
    const QPoint position = QCursor::pos();
    point = POINT{position.x(), position.y()};
    return TRUE;
}

RECT QtWindowSystem::WorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    return RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

int QtWindowSystem::GetSystemMetrics(int index) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QMargins frame = lastFrame_;
    switch (index) {
    case SM_CXSCREEN:
        return screen ? screen->geometry().width() : 0;
    case SM_CYSCREEN:
        return screen ? screen->geometry().height() : 0;
    case SM_CXVIRTUALSCREEN:
        return screen ? screen->virtualGeometry().width() : 0;
    case SM_CYVIRTUALSCREEN:
        return screen ? screen->virtualGeometry().height() : 0;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    // The smallest frame that stays usable: the platform's own 136 x 39, or
    // the window manager's borders and title bar with room for its buttons
    // and a sliver of client area, whichever is larger.
    case SM_CXMINTRACK:
        return std::max(136, frame.left() + frame.right() + 112);
    case SM_CYMINTRACK:
        return std::max(39, frame.top() + frame.bottom() + 8);
    default:
        return 0;
    }
}

void QtWindowSystem::SetWaitCursor(bool on) {
    if (on) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitCursor_;
    } else if (waitCursor_ > 0) {
        QGuiApplication::restoreOverrideCursor();
        --waitCursor_;
    }
}

int QtWindowSystem::MessageBox(HWND owner, const std::string& text, const std::string& caption,
                               UINT type) {
    static constexpr std::pair<UINT, QMessageBox::Icon> kIcons[] = {
        {MB_ICONERROR, QMessageBox::Critical},
        {MB_ICONQUESTION, QMessageBox::Question},
        {MB_ICONEXCLAMATION, QMessageBox::Warning},
        {MB_ICONINFORMATION, QMessageBox::Information}};
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    for (const auto& [style, shown] : kIcons)
        if ((type & 0xF0) == style)
            icon = shown;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if ((type & 0x0F) == MB_OKCANCEL)
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
    else if ((type & 0x0F) == MB_YESNO)
        buttons = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), buttons);
    if (QWidget* ownerWidget = Widget(owner)) {
        box.winId();
        if (box.windowHandle() && ownerWidget->window()->windowHandle())
            box.windowHandle()->setTransientParent(ownerWidget->window()->windowHandle());
    }
    int answer = 0;
    connect(&box, &QMessageBox::finished, this, [&](int) {
        switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Cancel:
            answer = IDCANCEL;
            break;
        case QMessageBox::Yes:
            answer = IDYES;
            break;
        case QMessageBox::No:
            answer = IDNO;
            break;
        default:
            answer = (buttons & QMessageBox::Cancel) ? IDCANCEL : IDOK;
            if (box.standardButton(box.clickedButton()) == QMessageBox::Ok)
                answer = IDOK;
            break;
        }
        Wake();
    });
    // Our own loop instead of exec(): the program's messages keep flowing.
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    if (!RunWhile([&] { return box.isVisible(); }))
        box.hide();
    return answer ? answer : IDCANCEL;
}

HDC QtWindowSystem::BeginPaint(HWND hwnd, PAINTSTRUCT& paint) {
    paint = PAINTSTRUCT{};
    GetClientRect(hwnd, paint.rcPaint);
    PaintContext* context = painting_ && painting_->hwnd == hwnd ? painting_ : nullptr;
    if (!context) {
        // Not inside a paint event: draw into a scratch image and ask Qt
        // for a real paint, which comes back as WM_PAINT.
        auto scratch = std::make_unique<PaintContext>();
        scratch->hwnd = hwnd;
        scratch->scratch =
            QImage(std::max<LONG>(1, paint.rcPaint.right), std::max<LONG>(1, paint.rcPaint.bottom),
                   QImage::Format_ARGB32_Premultiplied);
        scratch->ownPainter = std::make_unique<QPainter>(&scratch->scratch);
        scratch->painter = scratch->ownPainter.get();
        context = scratch.get();
        scratchPaints_.push_back(std::move(scratch));
        if (QWidget* widget = Widget(hwnd))
            widget->update();
    }
    paint.hdc = reinterpret_cast<HDC>(context);
    paint.fErase = FALSE;
    return paint.hdc;
}

void QtWindowSystem::EndPaint(HWND, const PAINTSTRUCT& paint) {
    auto* context = reinterpret_cast<PaintContext*>(paint.hdc);
    std::erase_if(scratchPaints_, [&](const auto& p) { return p.get() == context; });
}

BOOL QtWindowSystem::DrawIcon(HDC dc, int x, int y, HICON icon) {
    auto* context = reinterpret_cast<PaintContext*>(dc);
    const bool known =
        context == painting_ || std::any_of(scratchPaints_.begin(), scratchPaints_.end(),
                                            [&](const auto& p) { return p.get() == context; });
    const QImage image = IconToImage(icon);
    if (!known || !context->painter || image.isNull())
        return FALSE;
    // Drawn at the standard icon size, as the platform's DrawIcon does.
    context->painter->drawImage(QRect(x, y, 32, 32), image);
    return TRUE;
}

void QtWindowSystem::OnPaint(HWND hwnd, QPainter& painter) {
    PaintContext context;
    context.hwnd = hwnd;
    context.painter = &painter;
    PaintContext* outer = std::exchange(painting_, &context);
    ::SendMessageA(hwnd, WM_PAINT, 0, 0);
    painting_ = outer;
}

bool QtWindowSystem::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWindowType())
        return FilterWindowKey(static_cast<QWindow*>(watched), static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::Expose && watched->isWindowType())
        AcceptFocusOnceExposed(static_cast<QWindow*>(watched));
    if (!IsInputEvent(event->type()) || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    auto* top = qobject_cast<TopWindow*>(widget->window());
    if (!top)
        return false;
    const HWND dialog = HandleOf(top);
    const QtWindow* dialogWindow = Find(dialog);
    if (!dialogWindow)
        return false;
    // A disabled window (the owner of a modal dialog) takes no input.
    if (!dialogWindow->enabled)
        return true;
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // The focus may sit in a widget the engine made inside a control; the
    // control is the nearest ancestor the window tree knows.
    HWND target = nullptr;
    for (const QWidget* w = widget; w && !target; w = w->isWindow() ? nullptr : w->parentWidget())
        target = HandleOf(w);
    const QtWindow* targetWindow = Find(target);
    // UDS_ARROWKEYS: the arrow keys in the buddy step its up-down.
    if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && targetWindow &&
        targetWindow->kind == WindowKind::Edit && targetWindow->buddy) {
        const auto* updown = tree_.Find(targetWindow->buddy);
        if (updown && (updown->style & UDS_ARROWKEYS)) {
            StepUpDown(targetWindow->buddy, key->key() == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    WPARAM vk = 0;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && mods == Qt::NoModifier)
        vk = VK_RETURN;
    else if (key->key() == Qt::Key_Escape && mods == Qt::NoModifier)
        vk = VK_ESCAPE;
    if (!vk)
        return false;
    // A hosted browser keeps Enter for its page, as it asks for all keys; a
    // window that is all browser has no button that Enter could mean, so
    // Enter never ends it, wherever the focus is.
    if (vk == VK_RETURN && HostsBrowser(dialog))
        return false;
    // Into the queue, where the dialog's pre-translation turns it into
    // IDOK or IDCANCEL.
    queue_.Post(target ? target : dialog, WM_KEYDOWN, vk, 0);
    return true;
}

// The window manager has placed the window without the focus: from now on
// the user may click into it as into any other.
void QtWindowSystem::AcceptFocusOnceExposed(QWindow* handle) {
    if (!handle->isExposed())
        return;
    QWidget* widget = QWidget::find(handle->winId());
    QtWindow* window = widget ? Entry(HandleOf(widget)) : nullptr;
    if (!window || !window->focusRefusedUntilExposed)
        return;
    window->focusRefusedUntilExposed = false;
    handle->setFlags(handle->flags() & ~Qt::WindowDoesNotAcceptFocus);
}

bool QtWindowSystem::HostsBrowser(HWND dialog) const {
    for (HWND child : tree_.Descendants(dialog)) {
        const QtWindow* window = Find(child);
        if (window && window->kind == WindowKind::ActiveX)
            return true;
    }
    return false;
}

// Esc reaches the dialog before the focus widget sees it: a hosted browser
// takes every key it gets, and the user's Esc must still hide the window.
bool QtWindowSystem::FilterWindowKey(QWindow* window, QKeyEvent* key) {
    auto* top = qobject_cast<TopWindow*>(QWidget::find(window->winId()));
    if (!top || key->key() != Qt::Key_Escape ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const HWND dialog = HandleOf(top);
    const QtWindow* dialogWindow = Find(dialog);
    if (!dialogWindow || !dialogWindow->enabled)
        return false;
    queue_.Post(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    return true;
}

} // namespace qv::qt
