// Default processing and the control procedures: texts, icons, check
// states, up-down positions and tooltip tools.
#include "backend/qt/icon_image.h"
#include "backend/qt/mnemonics.h"
#include "backend/qt/qt_window_system.h"
#include "backend/qt/tooltip_text.h"
#include "platform/text.h"
#include "platform/ui/winapi.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolTip>

namespace qv::qt {

namespace {

constexpr LRESULT kDlgcWantAllKeys = 0x0004;

LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer) {
    if (size == 0 || !buffer)
        return 0;
    const std::string_view cut = text::CutUtf8(text, size - 1);
    auto* out = reinterpret_cast<char*>(buffer);
    cut.copy(out, cut.size());
    out[cut.size()] = '\0';
    return static_cast<LRESULT>(cut.size());
}

} // namespace

void QtWindowSystem::SetControlText(HWND hwnd, QtWindow& window, const std::string& text) {
    const QString value = QString::fromStdString(text::SanitizeUtf8(text));
    QWidget* widget = window.widget.data();
    if (!widget)
        return;
    switch (window.kind) {
    case WindowKind::Dialog:
        widget->setWindowTitle(value);
        break;
    case WindowKind::Label:
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            window.text = text;
            const DWORD style = tree_.Find(hwnd)->style;
            // With a buddy QLabel turns the mnemonic into a shortcut itself.
            if (label->buddy() || (style & SS_NOPREFIX))
                label->setText(value);
            else
                label->setText(WithoutMnemonics(value));
        }
        break;
    case WindowKind::Edit:
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            edit->setText(value);
        break;
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton:
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(value);
        break;
    case WindowKind::GroupBox:
        if (auto* group = qobject_cast<QGroupBox*>(widget))
            group->setTitle(value);
        break;
    default:
        window.text = text;
        break;
    }
}

std::string QtWindowSystem::ControlText(HWND, const QtWindow& window) const {
    const QWidget* widget = window.widget.data();
    if (!widget)
        return window.text;
    switch (window.kind) {
    case WindowKind::Dialog:
        return widget->windowTitle().toStdString();
    case WindowKind::Edit:
        return static_cast<const QLineEdit*>(widget)->text().toStdString();
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton:
        return static_cast<const QAbstractButton*>(widget)->text().toStdString();
    case WindowKind::GroupBox:
        return static_cast<const QGroupBox*>(widget)->title().toStdString();
    default:
        return window.text;
    }
}

LRESULT QtWindowSystem::DefaultProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    QtWindow* window = Entry(hwnd);
    if (!window)
        return 0;
    switch (message) {
    case WM_SETTEXT:
        SetControlText(hwnd, *window, lParam ? reinterpret_cast<const char*>(lParam) : "");
        return TRUE;
    case WM_GETTEXT:
        return CopyText(ControlText(hwnd, *window), wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(ControlText(hwnd, *window).size());
    case WM_SETICON: {
        HICON icon = reinterpret_cast<HICON>(lParam);
        HICON& slot = wParam == ICON_BIG ? window->bigIcon : window->smallIcon;
        HICON previous = std::exchange(slot, icon);
        if (window->widget) {
            // Qt copies the pixels: the program may destroy its icons later.
            QIcon combined;
            for (HICON each : {window->smallIcon, window->bigIcon}) {
                const QImage image = IconToImage(each);
                if (!image.isNull())
                    combined.addPixmap(QPixmap::fromImage(image));
            }
            window->widget->setWindowIcon(combined);
        }
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? window->bigIcon : window->smallIcon);
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, paint);
        EndPaint(hwnd, paint);
        return 0;
    }
    case WM_ERASEBKGND:
    case WM_ICONERASEBKGND:
        return TRUE; // Qt has painted the background already
    case WM_GETDLGCODE:
        if (window->kind == WindowKind::Edit)
            return DLGC_HASSETSEL;
        return window->kind == WindowKind::ActiveX ? kDlgcWantAllKeys : 0;
    default:
        return 0;
    }
}

LRESULT QtWindowSystem::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    QtWindow* window = Entry(hwnd);
    if (!window)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case BM_GETCHECK:
        if (auto* button = qobject_cast<QAbstractButton*>(window->widget.data()))
            return button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
        return 0;
    case BM_SETCHECK:
        if (auto* button = qobject_cast<QAbstractButton*>(window->widget.data()))
            button->setChecked(wParam == BST_CHECKED);
        return 0;
    case EM_SETSEL:
        if (auto* edit = qobject_cast<QLineEdit*>(window->widget.data())) {
            const int length = int(edit->text().size());
            const int start = int(LONG(wParam));
            const int end = int(LONG(lParam));
            if (start < 0)
                edit->deselect();
            else
                edit->setSelection(std::min(start, length),
                                   (end < 0 ? length : std::min(end, length)) -
                                       std::min(start, length));
        }
        return 0;
    case UDM_SETRANGE32:
        window->low = static_cast<int>(wParam);
        window->high = static_cast<int>(lParam);
        return 0;
    case UDM_GETRANGE32:
        if (wParam)
            *reinterpret_cast<int*>(wParam) = window->low;
        if (lParam)
            *reinterpret_cast<int*>(lParam) = window->high;
        return 0;
    case UDM_SETPOS32: {
        bool error = false;
        const int previous = UpDownPosition(hwnd, &error);
        SetUpDownPosition(hwnd, static_cast<int>(lParam));
        return previous;
    }
    case UDM_GETPOS32: {
        bool error = false;
        const int position = UpDownPosition(hwnd, &error);
        if (lParam)
            *reinterpret_cast<BOOL*>(lParam) = error ? TRUE : FALSE;
        return position;
    }
    default:
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

bool QtWindowSystem::SetsBuddyInt(HWND updown) const {
    const auto* record = tree_.Find(updown);
    return record && (record->style & UDS_SETBUDDYINT);
}

int QtWindowSystem::UpDownPosition(HWND hwnd, bool* error) {
    QtWindow* updown = Entry(hwnd);
    if (!updown)
        return 0;
    // With UDS_SETBUDDYINT the buddy's text is the position, as the user may have typed.
    QtWindow* buddy = Entry(updown->buddy);
    if (buddy && SetsBuddyInt(hwnd)) {
        bool ok = false;
        const int value =
            QString::fromStdString(ControlText(updown->buddy, *buddy)).trimmed().toInt(&ok);
        const int lo = std::min(updown->low, updown->high);
        const int hi = std::max(updown->low, updown->high);
        if (ok && value >= lo && value <= hi)
            updown->position = value;
        else if (error)
            *error = true;
    }
    return updown->position;
}

void QtWindowSystem::SetUpDownPosition(HWND hwnd, int position) {
    QtWindow* updown = Entry(hwnd);
    if (!updown)
        return;
    const int lo = std::min(updown->low, updown->high);
    const int hi = std::max(updown->low, updown->high);
    updown->position = std::clamp(position, lo, hi);
    if (SetsBuddyInt(hwnd)) {
        if (QtWindow* buddy = Entry(updown->buddy))
            SetControlText(updown->buddy, *buddy, std::to_string(updown->position));
    }
}

void QtWindowSystem::StepUpDown(HWND hwnd, int direction) {
    QtWindow* updown = Entry(hwnd);
    const auto* record = tree_.Find(hwnd);
    if (!updown || !record)
        return;
    UpDownPosition(hwnd, nullptr);
    const int lo = std::min(updown->low, updown->high);
    const int hi = std::max(updown->low, updown->high);
    // The upper arrow moves towards the range's upper end, wherever that is.
    const int step = updown->high >= updown->low ? direction : -direction;
    int next = updown->position + step;
    if (next > hi)
        next = (record->style & UDS_WRAP) ? lo : hi;
    else if (next < lo)
        next = (record->style & UDS_WRAP) ? hi : lo;
    SetUpDownPosition(hwnd, next);
}

void QtWindowSystem::ApplyToolTips(QtWindow& tooltip) {
    for (const ToolTipTool& tool : tooltip.tools) {
        QWidget* target = Widget(tool.Target());
        if (!target)
            continue;
        const QString text = QString::fromStdString(text::SanitizeUtf8(tool.text));
        target->setToolTip(tooltip.tipsActive
                               ? WrapToolTip(text, QToolTip::font(), tooltip.maxTipWidth)
                               : QString());
    }
}

LRESULT QtWindowSystem::ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    QtWindow* tooltip = Entry(hwnd);
    if (!tooltip)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case TTM_ADDTOOLA: {
        const auto* info = reinterpret_cast<const TOOLINFOA*>(lParam);
        if (!info)
            return FALSE;
        ToolTipTool tool{info->hwnd, info->uId, info->uFlags, info->lpszText ? info->lpszText : ""};
        if (!tree_.Contains(tool.Target()))
            return FALSE;
        std::erase_if(tooltip->tools, [&](const ToolTipTool& t) {
            return t.owner == tool.owner && t.id == tool.id;
        });
        tooltip->tools.push_back(std::move(tool));
        ApplyToolTips(*tooltip);
        return TRUE;
    }
    case TTM_DELTOOLA: {
        const auto* info = reinterpret_cast<const TOOLINFOA*>(lParam);
        if (!info)
            return 0;
        for (const ToolTipTool& t : tooltip->tools) {
            if (t.owner == info->hwnd && t.id == info->uId)
                if (QWidget* target = Widget(t.Target()))
                    target->setToolTip(QString());
        }
        std::erase_if(tooltip->tools, [&](const ToolTipTool& t) {
            return t.owner == info->hwnd && t.id == info->uId;
        });
        return 0;
    }
    case TTM_SETMAXTIPWIDTH: {
        const int previous = tooltip->maxTipWidth;
        tooltip->maxTipWidth = static_cast<int>(lParam);
        ApplyToolTips(*tooltip);
        return previous;
    }
    case TTM_GETMAXTIPWIDTH:
        return tooltip->maxTipWidth;
    case TTM_ACTIVATE:
        tooltip->tipsActive = wParam != 0;
        ApplyToolTips(*tooltip);
        return 0;
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(tooltip->tools.size());
    case TTM_RELAYEVENT:
        // Qt watches the mouse over every widget itself and shows a tool's
        // tip after its usual delay; the relayed message adds nothing.
        ++tooltip->relayed;
        return 0;
    default:
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace qv::qt
