#include "backend/qt/browser/bridge_commands.h"

#include "backend/qt/bridge/page_bridge.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <optional>

namespace qv::qt {

namespace {
// A page busy for longer than this in its own scripts counts as not clicked.
constexpr int kClickAnswerMs = 5000;
} // namespace

bool BridgeCommands::SetValue(std::size_t index, const std::string& value) {
    bridge::PageBridge* page = Bridge();
    return page && page->SetValue(frame_, sequence_, index, value);
}

bool BridgeCommands::SetScriptText(std::size_t index, const std::string& text) {
    bridge::PageBridge* page = Bridge();
    return page && page->SetScriptText(frame_, sequence_, index, text);
}

// The click has happened in the page when this returns, so the caller knows
// whether it pressed anything: it fails when the document or the element has
// gone, whether the bridge knew that already or the page found it.
bool BridgeCommands::Click(std::size_t index) {
    bridge::PageBridge* page = Bridge();
    if (!page)
        return false;
    auto answer = std::make_shared<std::optional<bool>>();
    QEventLoop wait;
    QPointer<QEventLoop> waiting(&wait);
    const bool sent = page->Click(frame_, sequence_, index, [answer, waiting](bool applied) {
        *answer = applied;
        if (waiting)
            waiting->quit();
    });
    if (!sent)
        return false;
    if (!answer->has_value()) {
        QTimer::singleShot(kClickAnswerMs, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return answer->value_or(false);
}

} // namespace qv::qt
