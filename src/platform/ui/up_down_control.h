// What an up-down control is, whichever backend draws its arrows: a range,
// a position and a buddy window whose text may carry the position. The
// backends keep one per up-down and hand it the control's messages.
#pragma once

#include "platform/ui/window_tree.h"
#include "platform/ui/winuser.h"

#include <optional>
#include <string_view>

namespace qv::platform {

class UpDownControl {
public:
    // Answers UDM_*; nullopt for every other message. style is the control's.
    std::optional<LRESULT> Handle(DWORD style, UINT message, WPARAM wParam, LPARAM lParam);
    // One arrow press: +1 the upper arrow, -1 the lower one. The upper arrow
    // moves towards the range's upper end, wherever that is.
    void Step(DWORD style, int direction);

    int Low() const { return low_; }
    int High() const { return high_; }
    // The position, read back from the buddy when the buddy shows it.
    int Position(DWORD style, bool* error = nullptr);
    // Clamped into the range, whichever way round it runs.
    void SetPosition(DWORD style, int position);

    // The edit whose text is the position (UDS_SETBUDDYINT); null for none.
    HWND buddy = nullptr;

private:
    int Min() const { return low_ < high_ ? low_ : high_; }
    int Max() const { return low_ < high_ ? high_ : low_; }

    // The platform's default range runs backwards: the upper arrow counts down.
    int low_ = 100, high_ = 0, position_ = 0;
};

// A buddy's text as a position: optional sign and digits, blanks around
// them allowed; nullopt for anything else or what does not fit an int.
std::optional<int> ParseBuddyInt(std::string_view text);

// UDS_AUTOBUDDY: the sibling made just before the up-down; null for none.
HWND AutoBuddy(const WindowTree& tree, HWND updown);

} // namespace qv::platform
