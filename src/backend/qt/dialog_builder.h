// Builds a dialog window and its controls from a parsed template: widgets
// at the template's positions in the dialog font's units, each with its
// record in the window tree.
#pragma once

#include "backend/qt/dialog_layout.h"
#include "platform/ui/window_system.h"

#include <memory>
#include <vector>

class QWidget;

namespace qv::qt {

class QtWindowSystem;
class TopWindow;

class DialogBuilder {
public:
    DialogBuilder(QtWindowSystem& system, const platform::DialogTemplate& dialog,
                  const std::vector<platform::DlgInitRecord>& init, HWND owner);

    // The dialog's handle, hidden; its procedure is proc.
    HWND Build(platform::WindowProcedure proc);

private:
    struct Made {
        HWND hwnd;
        QWidget* widget;
        const platform::DialogControl* control;
    };

    void AddControl(const platform::DialogControl& control);
    QWidget* MakeWidget(const platform::DialogControl& control, struct QtWindow& window);
    void ConnectControl(HWND hwnd, QWidget* widget, const platform::DialogControl& control);
    void BindUpDown(std::size_t index);
    void SetLabelBuddies();
    void Place(TopWindow* top);

    QtWindowSystem& system_;
    const platform::DialogTemplate& dialog_;
    const std::vector<platform::DlgInitRecord>& init_;
    HWND owner_;
    std::shared_ptr<DialogLayout> layout_; // kept by the window until its first show
    HWND hwnd_ = nullptr;
    TopWindow* top_ = nullptr;
    std::vector<Made> made_;
};

} // namespace qv::qt
