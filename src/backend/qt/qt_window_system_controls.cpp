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
        return platform::CopyWindowText(ControlText(hwnd, *window), wParam, lParam);
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
    case WM_PAINT:
        return platform::PaintNothing(*this, hwnd);
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
    if (window->kind == WindowKind::UpDown) {
        if (auto answer = window->upDown.Handle(tree_.Find(hwnd)->style, message, wParam, lParam))
            return *answer;
    }
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
    default:
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void QtWindowSystem::StepUpDown(HWND hwnd, int direction) {
    QtWindow* updown = Entry(hwnd);
    const auto* record = tree_.Find(hwnd);
    if (updown && record)
        updown->upDown.Step(record->style, direction);
}

void QtWindowSystem::ApplyToolTips(QtWindow& tooltip) {
    for (HWND target : tooltip.toolTip.TakeDropped()) {
        if (QWidget* widget = Widget(target))
            widget->setToolTip(QString());
    }
    for (const platform::ToolTipTool& tool : tooltip.toolTip.Tools()) {
        QWidget* target = Widget(tool.Target());
        if (!target)
            continue;
        const QString text = QString::fromStdString(text::SanitizeUtf8(tool.text));
        target->setToolTip(tooltip.toolTip.Active()
                               ? WrapToolTip(text, QToolTip::font(), tooltip.toolTip.MaxTipWidth())
                               : QString());
    }
}

LRESULT QtWindowSystem::ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    QtWindow* tooltip = Entry(hwnd);
    if (!tooltip)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    const auto answer = tooltip->toolTip.Handle(message, wParam, lParam);
    if (!answer)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    // Qt watches the mouse over every widget itself and shows a tool's tip
    // after its usual delay; only changes to the tools need drawing.
    if (message != TTM_RELAYEVENT && message != TTM_GETTOOLCOUNT && message != TTM_GETMAXTIPWIDTH)
        ApplyToolTips(*tooltip);
    return *answer;
}

} // namespace qv::qt
