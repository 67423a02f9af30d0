#include "backend/qt/x11_window.h"

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <xcb/xcb.h>

namespace qv::qt {

namespace {

// WM_HINTS as ICCCM lays it out: flags, input, initial_state, then icon
// and group fields this code leaves alone.
constexpr std::uint32_t kHintFields = 9;
constexpr std::uint32_t kStateHint = 1u << 1;
constexpr std::uint32_t kNormalState = 1;
constexpr std::uint32_t kIconicState = 3;

xcb_connection_t* Connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

void ClearIconicInitialState(QWindow* window) {
    xcb_connection_t* connection = Connection();
    if (!window || !connection)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, kHintFields);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->format != 32)
        return;
    const auto length = std::min<std::uint32_t>(
        static_cast<std::uint32_t>(xcb_get_property_value_length(reply.get()) / 4), kHintFields);
    if (length < 3)
        return;
    std::uint32_t hints[kHintFields] = {};
    std::copy_n(static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get())), length,
                hints);
    if (!(hints[0] & kStateHint) || hints[2] != kIconicState)
        return;
    hints[2] = kNormalState;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                        32, length, hints);
    // Ahead of the map that follows on Qt's own requests.
    xcb_flush(connection);
}

FocusInWatch::FocusInWatch(std::function<void(WId)> focused) : focused_(std::move(focused)) {
    if (Connection())
        qApp->installNativeEventFilter(this);
}

FocusInWatch::~FocusInWatch() {
    if (qApp)
        qApp->removeNativeEventFilter(this);
}

bool FocusInWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_FOCUS_IN)
        return false;
    const auto* focus = static_cast<const xcb_focus_in_event_t*>(message);
    // Not the pointer's window while the focus is elsewhere.
    if (focus->detail >= XCB_NOTIFY_DETAIL_POINTER)
        return false;
    focused_(WId(focus->event));
    return false;
}

} // namespace qv::qt
