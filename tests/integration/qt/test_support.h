// What the backend tests share: a window system per test, windows whose
// procedure records their messages, templates from the real resources, and
// the X server's view of stacking and activation.
#pragma once

#include "backend/qt/qt_window_system.h"
#include "platform/module/resources.h"
#include "platform/shell/notify_icon.h"
#include "platform/ui/winapi.h"

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

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class QtBackendTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A dialog from a template whose procedure records every message and
    // gives the rest default processing.
    HWND CreateRecordingDialog(const platform::DialogTemplate& dialog, HWND owner = nullptr);
    // A plain resizable top-level window of the given client size.
    HWND CreatePlainWindow(int width, int height);
    std::vector<Seen> SeenOf(HWND hwnd, UINT message) const;
    void ClearSeen() { seen_.clear(); }

    std::unique_ptr<qt::QtWindowSystem> ws_;
    std::vector<Seen> seen_;
};

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

} // namespace qv::test
