// What a tooltip control is, whichever backend shows its tips: the tools
// with their texts, the maximum width and whether tips show at all. The
// backends keep one per tooltip window, hand it the control's messages and
// show what it holds.
#pragma once

#include "platform/ui/winuser.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qv::platform {

struct ToolTipTool {
    HWND owner = nullptr;
    UINT_PTR id = 0;
    UINT flags = 0;
    std::string text; // the control's own copy
    // The window the tip belongs to.
    HWND Target() const { return (flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(id) : owner; }
};

class ToolTipControl {
public:
    // Answers TTM_*; nullopt for every other message.
    std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam);

    const std::vector<ToolTipTool>& Tools() const { return tools_; }
    int MaxTipWidth() const { return maxTipWidth_; } // -1: no limit
    bool Active() const { return active_; }
    int Relayed() const { return relayed_; }
    // Windows whose tool went since the last call; their tips must go too.
    std::vector<HWND> TakeDropped() { return std::exchange(dropped_, {}); }

private:
    void Drop(HWND owner, UINT_PTR id);

    std::vector<ToolTipTool> tools_;
    std::vector<HWND> dropped_;
    int maxTipWidth_ = -1;
    bool active_ = true;
    int relayed_ = 0;
};

} // namespace qv::platform
