#include "backend/qt/dialog_builder.h"

#include "backend/qt/icon_image.h"
#include "backend/qt/qt_window_system.h"
#include "backend/qt/top_window.h"
#include "backend/qt/up_down_widget.h"
#include "platform/text.h"
#include "platform/ui/winapi.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace qv::qt {

namespace {

using platform::ControlClass;
using platform::DialogControl;

bool IsUpDown(const DialogControl& control) {
    return text::EqualsIgnoreAsciiCase(control.windowClass.text, UPDOWN_CLASSA);
}

bool IsActiveX(const DialogControl& control) {
    return !control.windowClass.IsOrdinal() && control.windowClass.text.starts_with('{');
}

Qt::WindowFlags FlagsFor(const platform::DialogTemplate& dialog, bool owned) {
    Qt::WindowFlags flags = Qt::CustomizeWindowHint;
    // An owned window without WS_EX_APPWINDOW stays off the taskbar.
    flags |= owned ? Qt::Dialog : Qt::Window;
    if ((dialog.style & WS_CAPTION) == WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    else if (!(dialog.style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)))
        flags |= Qt::FramelessWindowHint;
    if (dialog.style & WS_SYSMENU) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (dialog.style & WS_MINIMIZEBOX)
            flags |= Qt::WindowMinimizeButtonHint;
        if (dialog.style & WS_MAXIMIZEBOX)
            flags |= Qt::WindowMaximizeButtonHint;
    }
    return flags;
}

Qt::Alignment StaticAlignment(DWORD style) {
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        return Qt::AlignTop | Qt::AlignHCenter;
    case SS_RIGHT:
        return Qt::AlignTop | Qt::AlignRight;
    default:
        return Qt::AlignTop | Qt::AlignLeft;
    }
}

// Widens the layout's units until the controls' texts fit; true when it did.
bool FitTexts(DialogLayout& layout, QSize maximum) {
    const BaseUnits units = layout.FittingUnits();
    if (units.x <= layout.Units().x)
        return false;
    layout.Apply(units, maximum);
    return true;
}

} // namespace

DialogBuilder::DialogBuilder(QtWindowSystem& system, const platform::DialogTemplate& dialog,
                             const std::vector<platform::DlgInitRecord>& init, HWND owner)
    : system_(system), dialog_(dialog), init_(init), owner_(owner) {}

HWND DialogBuilder::Build(platform::WindowProcedure proc) {
    const bool owned = owner_ && !(dialog_.exStyle & WS_EX_APPWINDOW);
    const QFont font = DialogFont(dialog_.font);
    const BaseUnits fontUnits = MeasureBaseUnits(font);

    top_ = new TopWindow(system_, FlagsFor(dialog_, owned));
    top_->setFont(font);
    top_->setWindowTitle(QString::fromStdString(text::SanitizeUtf8(dialog_.caption)));
    const bool resizable = (dialog_.style & WS_THICKFRAME) && !(dialog_.style & DS_MODALFRAME);
    layout_ =
        std::make_shared<DialogLayout>(top_, QSize(dialog_.cx, dialog_.cy), fontUnits, resizable);

    platform::WindowRecord record;
    record.parent = owner_;
    record.className = dialog_.windowClass.text.empty() ? WC_DIALOG : dialog_.windowClass.text;
    record.style = dialog_.style;
    record.exStyle = dialog_.exStyle;
    record.proc = std::move(proc);
    QtWindow window;
    window.kind = WindowKind::Dialog;
    window.widget = top_;
    window.resizable = resizable;
    window.enabled = !(dialog_.style & WS_DISABLED);
    window.reportedType = int(SIZE_RESTORED);
    hwnd_ = system_.Register(std::move(record), std::move(window));
    top_->SetHandle(hwnd_);

    for (const DialogControl& control : dialog_.controls)
        AddControl(control);
    for (std::size_t i = 0; i < made_.size(); ++i) {
        if (IsUpDown(*made_[i].control))
            BindUpDown(i);
    }
    SetLabelBuddies();
    // Placed at the font's units first: whether a static wraps depends on
    // its height. Then widened for the template's texts, and once more
    // before the first show for what the program put in meanwhile.
    layout_->Apply(fontUnits, system_.MaximumWindowSize());
    FitTexts(*layout_, system_.MaximumWindowSize());
    if (QtWindow* entry = system_.Entry(hwnd_))
        entry->reportedSize = top_->size();
    Place(top_);
    const bool centred = dialog_.style & DS_CENTER;
    top_->SetBeforeFirstShow(
        [layout = layout_, top = top_, maximum = system_.MaximumWindowSize(), centred] {
            const QRect before = top->geometry();
            if (!FitTexts(*layout, maximum) || !centred)
                return;
            QRect after(QPoint(), top->size());
            after.moveCenter(before.center());
            top->setGeometry(after);
        });
    return hwnd_;
}

void DialogBuilder::Place(TopWindow* top) {
    top->winId();
    QWidget* ownerWidget = system_.Widget(owner_);
    if (ownerWidget && !(dialog_.exStyle & WS_EX_APPWINDOW) &&
        ownerWidget->window()->windowHandle())
        top->windowHandle()->setTransientParent(ownerWidget->window()->windowHandle());
    const QMargins m = system_.FrameMargins(top);
    const QSize outer(top->width() + m.left() + m.right(), top->height() + m.top() + m.bottom());
    QPoint position;
    if (dialog_.style & DS_CENTER) {
        const QScreen* screen = ownerWidget && ownerWidget->isVisible()
                                    ? ownerWidget->screen()
                                    : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        position = QPoint(area.x() + (area.width() - outer.width()) / 2,
                          area.y() + (area.height() - outer.height()) / 2);
    } else {
        // Relative to the owner's client area, else to the screen.
        const QPoint origin = ownerWidget ? ownerWidget->mapToGlobal(QPoint(0, 0)) : QPoint();
        position = origin + QPoint(DialogUnitsToPixelsX(dialog_.x, layout_->Units()),
                                   DialogUnitsToPixelsY(dialog_.y, layout_->Units()));
    }
    top->setGeometry(QRect(position + QPoint(m.left(), m.top()), top->size()));
    if (QtWindow* window = system_.Entry(hwnd_))
        window->normalOuter = QRect(position, outer);
}

QWidget* DialogBuilder::MakeWidget(const DialogControl& control, QtWindow& window) {
    const DWORD style = control.style;
    const QString title = QString::fromStdString(text::SanitizeUtf8(control.title.text));
    const bool tabStop = style & WS_TABSTOP;
    switch (control.Class()) {
    case ControlClass::Static: {
        window.kind = WindowKind::Label;
        auto* label = new QLabel(top_);
        label->setFocusPolicy(Qt::NoFocus);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            // The icon is the title's resource id; the control takes the icon's size.
            const QImage icon =
                control.title.ordinal ? LoadResourceIcon(*control.title.ordinal, 32) : QImage();
            if (!icon.isNull())
                label->setPixmap(QPixmap::fromImage(icon));
            return label;
        }
        label->setAlignment(StaticAlignment(style));
        const DWORD type = style & SS_TYPEMASK;
        label->setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlClass::Edit: {
        window.kind = WindowKind::Edit;
        auto* edit = new QLineEdit(top_);
        if (style & ES_PASSWORD)
            edit->setEchoMode(QLineEdit::Password);
        if (style & ES_NUMBER) {
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
        }
        edit->setReadOnly(style & ES_READONLY);
        if (style & ES_CENTER)
            edit->setAlignment(Qt::AlignCenter);
        else if (style & ES_RIGHT)
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        return edit;
    }
    case ControlClass::Button: {
        QAbstractButton* button = nullptr;
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: {
            window.kind = WindowKind::CheckBox;
            auto* check = new QCheckBox(title, top_);
            const DWORD type = style & BS_TYPEMASK;
            check->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
            button = check;
            break;
        }
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            window.kind = WindowKind::RadioButton;
            button = new QRadioButton(title, top_);
            break;
        case BS_GROUPBOX: {
            window.kind = WindowKind::GroupBox;
            auto* group = new QGroupBox(title, top_);
            group->setFocusPolicy(Qt::NoFocus);
            return group;
        }
        default: {
            window.kind = WindowKind::PushButton;
            auto* push = new QPushButton(title, top_);
            push->setAutoDefault(false);
            push->setDefault((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
            button = push;
            break;
        }
        }
        button->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        return button;
    }
    default:
        break;
    }
    if (IsUpDown(control)) {
        window.kind = WindowKind::UpDown;
        return new UpDownWidget(top_);
    }
    if (IsActiveX(control)) {
        window.kind = WindowKind::ActiveX;
        auto* container = new QWidget(top_);
        // The hosted widget goes into this layout and so fills the control.
        auto* layout = new QVBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        container->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
        return container;
    }
    // List boxes, combo boxes and unknown classes: an empty frame, so the
    // layout stays right and the control's window exists.
    window.kind = WindowKind::Other;
    auto* frame = new QFrame(top_);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

void DialogBuilder::AddControl(const DialogControl& control) {
    QtWindow window;
    QWidget* widget = MakeWidget(control, window);
    layout_->Add(widget, QRect(control.x, control.y, control.cx, control.cy),
                 window.kind == WindowKind::Label && (control.style & SS_TYPEMASK) == SS_ICON);
    widget->setVisible(control.style & WS_VISIBLE);
    widget->setEnabled(!(control.style & WS_DISABLED));
    window.widget = widget;

    platform::WindowRecord record;
    record.parent = hwnd_;
    record.id = static_cast<int>(control.id);
    record.className = control.ClassName();
    record.style = control.style | WS_CHILD;
    record.exStyle = control.exStyle;
    record.proc = [this, system = &system_](HWND h, UINT m, WPARAM w, LPARAM l) {
        return system->ControlProc(h, m, w, l);
    };
    const HWND hwnd = system_.Register(std::move(record), std::move(window));
    if (!control.title.IsOrdinal() && !control.title.text.empty())
        system_.SetControlText(hwnd, *system_.Entry(hwnd), control.title.text);
    ConnectControl(hwnd, widget, control);
    made_.push_back(Made{hwnd, widget, &control});
}

void DialogBuilder::ConnectControl(HWND hwnd, QWidget* widget, const DialogControl& control) {
    QtWindowSystem* system = &system_;
    const HWND dialog = hwnd_;
    const WORD id = WORD(control.id);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        const DWORD type = control.style & BS_TYPEMASK;
        // Only the automatic kinds change their own state on a click.
        const bool manual = type == BS_CHECKBOX || type == BS_3STATE || type == BS_RADIOBUTTON;
        QObject::connect(button, &QAbstractButton::clicked, button, [=] {
            if (manual && button->isCheckable())
                button->setChecked(!button->isChecked());
            system->Queue().Post(dialog, WM_COMMAND, MAKELONG(id, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(hwnd));
        });
    }
    if (auto* updown = qobject_cast<UpDownWidget*>(widget)) {
        QObject::connect(updown, &UpDownWidget::Stepped, updown,
                         [=](int direction) { system->StepUpDown(hwnd, direction); });
    }
    QtWindow* window = system_.Entry(hwnd);
    if (window && window->kind == WindowKind::ActiveX && system_.activeXFactory_) {
        const platform::DlgInitRecord* record = nullptr;
        for (const auto& each : init_) {
            if (each.controlId == id)
                record = &each;
        }
        window->object = system_.activeXFactory_(widget, control.windowClass.text, record);
    }
}

void DialogBuilder::BindUpDown(std::size_t index) {
    const Made& updown = made_[index];
    QtWindow* window = system_.Entry(updown.hwnd);
    const DWORD style = updown.control->style;
    // UDS_AUTOBUDDY: the control just before it in the template.
    if (!(style & UDS_AUTOBUDDY) || index == 0 || !window)
        return;
    const Made& buddy = made_[index - 1];
    window->upDown.buddy = platform::AutoBuddy(system_.Tree(), updown.hwnd);
    if (QtWindow* buddyWindow = system_.Entry(buddy.hwnd))
        buddyWindow->buddy = updown.hwnd; // an edit's arrow keys step its up-down
    if (style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))
        layout_->AlignUpDown(index, index - 1, !(style & UDS_ALIGNRIGHT));
}

void DialogBuilder::SetLabelBuddies() {
    // A static's mnemonic moves the focus to the next control that takes it,
    // from the static on in tab order, wrapping round.
    for (std::size_t i = 0; i < made_.size(); ++i) {
        auto* label = qobject_cast<QLabel*>(made_[i].widget);
        if (!label || (made_[i].control->style & SS_NOPREFIX))
            continue;
        for (std::size_t step = 1; step < made_.size(); ++step) {
            const Made& next = made_[(i + step) % made_.size()];
            if (next.widget->focusPolicy() & Qt::TabFocus) {
                label->setBuddy(next.widget);
                break;
            }
        }
        if (QtWindow* window = system_.Entry(made_[i].hwnd))
            system_.SetControlText(made_[i].hwnd, *window, window->text);
    }
}

} // namespace qv::qt
