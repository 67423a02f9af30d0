// The commands of one document's model, sent to its page through the bridge,
// addressed to the snapshot the document was read from. Stale addresses fail.
#pragma once

#include "backend/qt/bridge/bridge_types.h"
#include "backend/qt/browser/bridge_link.h"
#include "platform/html/page_commands.h"

#include <memory>

namespace qv::qt {

class BridgeCommands final : public html::IPageCommands {
public:
    BridgeCommands(std::shared_ptr<BridgeLink> link, bridge::FrameId frame, std::uint32_t sequence)
        : link_(std::move(link)), frame_(frame), sequence_(sequence) {}

    bool SetValue(std::size_t index, const std::string& value) override;
    bool SetScriptText(std::size_t index, const std::string& text) override;
    // Waits for the page's answer; events may arrive meanwhile.
    bool Click(std::size_t index) override;

private:
    bridge::PageBridge* Bridge() const { return link_ ? link_->bridge : nullptr; }

    std::shared_ptr<BridgeLink> link_;
    bridge::FrameId frame_;
    std::uint32_t sequence_;
};

} // namespace qv::qt
