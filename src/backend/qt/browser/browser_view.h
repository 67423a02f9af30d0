// The control's widgets: a frame inside the control's container holding the
// page bridge's web view. The frame draws the sunken border the browser has
// unless its host turns it off; the engine's context menu is shown only when
// the host leaves it to the browser.
#pragma once

#include <QFrame>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

namespace qv::bridge {
class BridgeProfile;
class PageBridge;
class PageBridgeListener;
} // namespace qv::bridge

namespace qv::qt {

class BrowserView : public QObject {
    Q_OBJECT
public:
    BrowserView(std::shared_ptr<bridge::BridgeProfile> profile,
                bridge::PageBridgeListener* listener, QWidget* container);
    ~BrowserView() override;

    // Null once the container has gone with its dialog.
    bridge::PageBridge* Bridge() const { return bridge_.get(); }
    QWidget* Container() const { return container_.data(); }
    const std::shared_ptr<bridge::BridgeProfile>& Profile() const { return profile_; }
    QFrame* Holder() const { return holder_.data(); }

    void SetBorder(bool sunken);
    // Asked at a context menu request; true when the host showed its own.
    void SetContextMenuHost(std::function<bool(const QPoint& screen)> host) {
        menuHost_ = std::move(host);
    }
    // The container's rectangle in its window's client area.
    QRect Geometry() const;
    void Resize(int width, int height);
    // Called once the container is gone (the dialog was destroyed).
    void OnGone(std::function<void()> gone) { gone_ = std::move(gone); }

private:
    void ShowContextMenu(const QPoint& position);
    void ContainerDestroyed();

    std::shared_ptr<bridge::BridgeProfile> profile_;
    QPointer<QWidget> container_;
    QPointer<QFrame> holder_;
    std::unique_ptr<bridge::PageBridge> bridge_;
    std::function<bool(const QPoint&)> menuHost_;
    std::function<void()> gone_;
};

} // namespace qv::qt
