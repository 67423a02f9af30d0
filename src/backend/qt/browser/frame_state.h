// What one frame of the page shows: its browser object as the program sees
// it, its live document and the document object of its last snapshot.
#pragma once

#include "backend/qt/bridge/bridge_types.h"
#include "backend/qt/browser/bridge_commands.h"
#include "platform/html/page_document.h"
#include "platform/html/web_browser.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::qt {

class QtFrameBrowser;

struct FrameState {
    IWebBrowser2* browser = nullptr;          // the object this state is part of
    FrameState* parent = nullptr;             // null for the top frame and for dropped frames
    std::string name;                         // window.name; frames are found again by it
    bridge::FrameId frame = bridge::kNoFrame; // its live document, if any
    std::shared_ptr<const bridge::FrameSnapshot> snapshot;
    com::ComPtr<html::PageDocument> document; // made on first ask
    std::vector<com::ComPtr<QtFrameBrowser>> children;
    std::shared_ptr<BridgeLink> link;

    // The document of the last snapshot; null before the first.
    HRESULT GetDocument(IDispatch** out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!snapshot)
            return S_OK;
        if (!document)
            document = com::MakeCom<html::PageDocument>(
                snapshot,
                std::make_shared<BridgeCommands>(link, snapshot->frame, snapshot->sequence));
        *out = document.get();
        (*out)->AddRef();
        return S_OK;
    }
};

} // namespace qv::qt
