#include "backend/qt/browser/browser_view.h"

#include "backend/qt/bridge/bridge_profile.h"
#include "backend/qt/bridge/page_bridge.h"
#include "backend/qt/popup_menu.h"

#include <QFrame>
#include <QLayout>
#include <QMenu>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace qv::qt {

BrowserView::BrowserView(std::shared_ptr<bridge::BridgeProfile> profile,
                         bridge::PageBridgeListener* listener, QWidget* container)
    : profile_(std::move(profile)), container_(container) {
    holder_ = new QFrame(container);
    auto* inner = new QVBoxLayout(holder_);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);
    bridge_ = std::make_unique<bridge::PageBridge>(*profile_, listener, holder_);
    QWidget* view = bridge_->Widget();
    inner->addWidget(view);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, &BrowserView::ShowContextMenu);
    if (container) {
        if (QLayout* layout = container->layout())
            layout->addWidget(holder_);
        else
            holder_->setGeometry(container->rect());
        connect(container, &QObject::destroyed, this, &BrowserView::ContainerDestroyed);
    }
    SetBorder(true);
}

BrowserView::~BrowserView() {
    // The view goes with the bridge, before the frame that holds it.
    bridge_.reset();
    delete holder_.data();
}

void BrowserView::SetBorder(bool sunken) {
    if (!holder_)
        return;
    holder_->setFrameShape(sunken ? QFrame::StyledPanel : QFrame::NoFrame);
    holder_->setFrameShadow(sunken ? QFrame::Sunken : QFrame::Plain);
}

QRect BrowserView::Geometry() const {
    if (!container_)
        return {};
    const QWidget* window = container_->window();
    return QRect(container_->mapTo(window, QPoint(0, 0)), container_->size());
}

void BrowserView::Resize(int width, int height) {
    if (container_)
        container_->resize(std::max(width, 0), std::max(height, 0));
}

void BrowserView::ShowContextMenu(const QPoint& position) {
    if (!bridge_)
        return;
    auto* view = qobject_cast<QWebEngineView*>(bridge_->Widget());
    if (!view)
        return;
    const QPoint screen = view->mapToGlobal(position);
    if (menuHost_ && menuHost_(screen))
        return;
    // The engine's menu needs the engine's request; a bare signal has none.
    if (!view->lastContextMenuRequest())
        return;
    if (QMenu* menu = view->createStandardContextMenu())
        ShowPageMenu(view, menu, screen);
}

void BrowserView::ContainerDestroyed() {
    // The view went with its parents; the bridge finds it gone.
    if (gone_)
        gone_();
    bridge_.reset();
}

} // namespace qv::qt
