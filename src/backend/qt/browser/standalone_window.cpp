#include "backend/qt/browser/standalone_window.h"

#include "backend/qt/bridge/bridge_profile.h"
#include "backend/qt/bridge/page_bridge.h"

#include <QApplication>
#include <QVBoxLayout>

namespace qv::qt {

namespace {

// What a browser gives a window.open without a size it can read.
constexpr QSize kDefaultSize(800, 600);
constexpr QSize kDialogSize(600, 480);

} // namespace

StandaloneWindow::StandaloneWindow(bridge::BridgeProfile& profile) : QWidget(nullptr, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QApplication::windowIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    bridge::PageBridgeListener* listener = this;
    bridge_ = std::make_unique<bridge::PageBridge>(profile, listener, this);
    layout->addWidget(bridge_->Widget());
}

StandaloneWindow::~StandaloneWindow() {
    bridge_->SetListener(nullptr);
}

bridge::PageBridge* StandaloneWindow::Open(bridge::BridgeProfile& profile,
                                           const bridge::NewWindowRequest& request) {
    auto* window = new StandaloneWindow(profile);
    profile.Own(window);
    window->resize(request.dialog ? kDialogSize : kDefaultSize);
    window->show();
    return window->bridge_.get();
}

void StandaloneWindow::OnWindowCloseRequested() {
    // Closing from inside the page's own call: the delete waits for the loop.
    close();
}

void StandaloneWindow::OnTitleChanged(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
}

} // namespace qv::qt
