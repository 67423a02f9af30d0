#include "backend/qt/bridge/page_bridge.h"

#include "backend/qt/bridge/bridge_core.h"

namespace qv::bridge {

PageBridge::PageBridge(BridgeProfile& profile, PageBridgeListener* listener, QWidget* parent)
    : m_core(std::make_unique<BridgeCore>(profile, listener, parent)) {}

PageBridge::~PageBridge() = default;

void PageBridge::SetListener(PageBridgeListener* listener) {
    m_core->SetListener(listener);
}

void PageBridge::SetExternal(IExternalDispatch* external, std::vector<std::string> names) {
    m_core->SetExternal(external, std::move(names));
}

void PageBridge::Navigate(const std::string& url, unsigned flags) {
    m_core->Navigate(url, flags);
}

bool PageBridge::Refresh(FrameId frame, Done done) {
    return m_core->Refresh(frame, std::move(done));
}

bool PageBridge::SetValue(FrameId frame, std::uint32_t snapshot, std::size_t index,
                          const std::string& text, Done done) {
    return m_core->ElementCommand("value", frame, snapshot, index, &text, std::move(done));
}

bool PageBridge::Click(FrameId frame, std::uint32_t snapshot, std::size_t index, Done done) {
    return m_core->ElementCommand("click", frame, snapshot, index, nullptr, std::move(done));
}

bool PageBridge::SetScriptText(FrameId frame, std::uint32_t snapshot, std::size_t index,
                               const std::string& text, Done done) {
    return m_core->ElementCommand("scriptText", frame, snapshot, index, &text, std::move(done));
}

void PageBridge::Flush(std::function<void()> done) {
    m_core->Flush(std::move(done));
}

const FrameSnapshot* PageBridge::LastSnapshot(FrameId frame) const {
    return m_core->LastSnapshot(frame);
}

FrameId PageBridge::TopFrame() const {
    return m_core->TopFrame();
}

std::string PageBridge::Title() const {
    return m_core->Title();
}

QWidget* PageBridge::Widget() const {
    return m_core->Widget();
}

QWebEnginePage* PageBridge::Page() const {
    return m_core->Page();
}

BridgeProfile& PageBridge::Profile() const {
    return m_core->Profile();
}

} // namespace qv::bridge
