// What the backend tests share: the real desktop as the contract tests
// drive it, windows whose procedure records their messages, templates from
// the real resources, and the X server's view of stacking and activation.
#pragma once

#include "../../contract/window_system_contract.h"
#include "backend/qt/qt_shell.h"
#include "backend/qt/qt_window_system.h"
#include "platform/module/resources.h"
#include "platform/shell/notify_icon.h"
#include "platform/ui/winapi.h"

#include <QProcess>
#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QToolButton;
class QWidget;

namespace qv::test {

using contract::Seen;

// Delivers what is queued, as the program's loop would, until the condition
// holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
// Template `id` of the program's resources in one language (0: neutral).
std::optional<platform::DialogTemplate> LoadTemplate(WORD id, LANGID language);
// The arrow button of an up-down control's widget.
QToolButton* Arrow(QWidget* updown, int direction);
// The client window X reports as active (0: none), and a window's index in
// the stacking order, bottom first (-1: absent).
unsigned long ActiveXWindow();
int StackIndex(unsigned long window);
// Runs a command (no shell); its standard output.
std::string RunCommand(const std::string& command);
// Saves a widget's picture under the build tree.
void SaveScreenshot(QWidget* widget, const QString& name);

// The Qt window system and shell installed for one test.
class QtDesktop {
public:
    // Another application's top-level window, by its X id.
    using Foreign = unsigned long;

    QtDesktop();
    ~QtDesktop();

    bool Eventually(const std::function<bool()>& condition) { return PumpUntil(condition); }
    // The condition still holds after the desktop had time to change it.
    bool Settled(const std::function<bool()>& condition);
    void Shown(HWND hwnd);
    Foreign OpenForeign();
    void UserActivates(Foreign window) {
        RunCommand("xdotool windowactivate " + std::to_string(window));
    }
    bool Above(HWND ours, Foreign other);
    bool Active(Foreign other) { return other != 0 && ActiveXWindow() == other; }
    void PressArrow(HWND updown, int direction);

    qt::QtWindowSystem windows;
    qt::QtShell shell;

private:
    std::vector<std::unique_ptr<QProcess>> foreign_;
};

class QtBackendTest : public contract::WindowSystemContract<QtDesktop> {
protected:
    qt::QtWindowSystem* const ws_ = &desktop.windows;
};

} // namespace qv::test
