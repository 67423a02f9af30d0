#include "platform/ui/tool_tip_control.h"

#include "platform/ui/winapi.h"

#include <algorithm>
#include <utility>

namespace qv::platform {

std::optional<LRESULT> ToolTipControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case TTM_ADDTOOLA: {
        const auto* info = reinterpret_cast<const TOOLINFOA*>(lParam);
        if (!info)
            return FALSE;
        ToolTipTool tool{info->hwnd, info->uId, info->uFlags, info->lpszText ? info->lpszText : ""};
        if (!::IsWindow(tool.Target()))
            return FALSE;
        // Adding a tool again replaces it.
        Drop(tool.owner, tool.id);
        tools_.push_back(std::move(tool));
        return TRUE;
    }
    case TTM_DELTOOLA:
        if (const auto* info = reinterpret_cast<const TOOLINFOA*>(lParam))
            Drop(info->hwnd, info->uId);
        return 0;
    case TTM_SETMAXTIPWIDTH:
        return std::exchange(maxTipWidth_, static_cast<int>(lParam));
    case TTM_GETMAXTIPWIDTH:
        return maxTipWidth_;
    case TTM_ACTIVATE:
        active_ = wParam != 0;
        return 0;
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(tools_.size());
    case TTM_RELAYEVENT:
        // The backend watches the mouse itself; relayed messages are only counted.
        ++relayed_;
        return 0;
    default:
        return std::nullopt;
    }
}

void ToolTipControl::Drop(HWND owner, UINT_PTR id) {
    std::erase_if(tools_, [&](const ToolTipTool& tool) {
        if (tool.owner != owner || tool.id != id)
            return false;
        dropped_.push_back(tool.Target());
        return true;
    });
}

} // namespace qv::platform
