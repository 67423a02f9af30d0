#include "platform/ui/up_down_control.h"

#include "platform/ui/winapi.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace qv::platform {

std::optional<LRESULT> UpDownControl::Handle(DWORD style, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    switch (message) {
    case UDM_SETRANGE32:
        low_ = static_cast<int>(wParam);
        high_ = static_cast<int>(lParam);
        return 0;
    case UDM_GETRANGE32:
        if (wParam)
            *reinterpret_cast<int*>(wParam) = low_;
        if (lParam)
            *reinterpret_cast<int*>(lParam) = high_;
        return 0;
    case UDM_SETPOS32: {
        const int previous = Position(style);
        SetPosition(style, static_cast<int>(lParam));
        return previous;
    }
    case UDM_GETPOS32: {
        bool error = false;
        const int position = Position(style, &error);
        if (lParam)
            *reinterpret_cast<BOOL*>(lParam) = error ? TRUE : FALSE;
        return position;
    }
    default:
        return std::nullopt;
    }
}

int UpDownControl::Position(DWORD style, bool* error) {
    // With UDS_SETBUDDYINT the buddy's text is the position, as the user may have typed.
    if (buddy && (style & UDS_SETBUDDYINT) && ::IsWindow(buddy)) {
        const std::optional<int> typed = ParseBuddyInt(GetWindowTextString(buddy));
        if (typed && *typed >= Min() && *typed <= Max())
            position_ = *typed;
        else if (error)
            *error = true;
    }
    return position_;
}

void UpDownControl::SetPosition(DWORD style, int position) {
    position_ = std::clamp(position, Min(), Max());
    if (buddy && (style & UDS_SETBUDDYINT) && ::IsWindow(buddy))
        ::SetWindowTextA(buddy, std::to_string(position_).c_str());
}

void UpDownControl::Step(DWORD style, int direction) {
    Position(style);
    const bool wrap = (style & UDS_WRAP) != 0;
    // 64 bits: a step past INT_MAX must not wrap round by itself.
    const long long next =
        static_cast<long long>(position_) + (high_ >= low_ ? direction : -direction);
    if (next > Max())
        SetPosition(style, wrap ? Min() : Max());
    else if (next < Min())
        SetPosition(style, wrap ? Max() : Min());
    else
        SetPosition(style, static_cast<int>(next));
}

std::optional<int> ParseBuddyInt(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

HWND AutoBuddy(const WindowTree& tree, HWND updown) {
    const WindowRecord* record = tree.Find(updown);
    if (!record)
        return nullptr;
    HWND previous = nullptr;
    for (HWND sibling : tree.Children(record->parent)) {
        if (sibling == updown)
            return previous;
        previous = sibling;
    }
    return nullptr;
}

} // namespace qv::platform
