#include "backend/sim/sim_names.h"

#include "platform/shell/notify_icon.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace qv::sim {

namespace {

std::string Flags(UINT flags, const std::vector<std::pair<UINT, const char*>>& names) {
    std::string out;
    for (const auto& [bit, name] : names) {
        if (flags & bit) {
            if (!out.empty())
                out += '|';
            out += name;
            flags &= ~bit;
        }
    }
    if (flags) {
        if (!out.empty())
            out += '|';
        out += std::to_string(flags);
    }
    return out.empty() ? "0" : out;
}

// The value's name, or its number for one without.
template <class Value>
std::string Named(Value value, std::initializer_list<std::pair<Value, const char*>> names) {
    for (const auto& [known, name] : names)
        if (value == known)
            return name;
    return std::to_string(value);
}

} // namespace

std::string ShowCommandName(int command) {
    return Named(command, {{SW_HIDE, "SW_HIDE"},
                           {SW_SHOWNORMAL, "SW_SHOWNORMAL"},
                           {SW_SHOWMINIMIZED, "SW_SHOWMINIMIZED"},
                           {SW_MAXIMIZE, "SW_MAXIMIZE"},
                           {SW_SHOWNOACTIVATE, "SW_SHOWNOACTIVATE"},
                           {SW_SHOW, "SW_SHOW"},
                           {SW_MINIMIZE, "SW_MINIMIZE"},
                           {SW_SHOWMINNOACTIVE, "SW_SHOWMINNOACTIVE"},
                           {SW_SHOWNA, "SW_SHOWNA"},
                           {SW_RESTORE, "SW_RESTORE"}});
}

std::string InsertAfterName(HWND insertAfter, const std::string& windowName) {
    if (insertAfter == HWND_TOP)
        return "HWND_TOP";
    if (insertAfter == HWND_BOTTOM)
        return "HWND_BOTTOM";
    if (insertAfter == HWND_TOPMOST)
        return "HWND_TOPMOST";
    if (insertAfter == HWND_NOTOPMOST)
        return "HWND_NOTOPMOST";
    return windowName;
}

std::string SwpFlagsName(UINT flags) {
    return Flags(flags, {{SWP_NOSIZE, "SWP_NOSIZE"},
                         {SWP_NOMOVE, "SWP_NOMOVE"},
                         {SWP_NOZORDER, "SWP_NOZORDER"},
                         {SWP_NOREDRAW, "SWP_NOREDRAW"},
                         {SWP_NOACTIVATE, "SWP_NOACTIVATE"},
                         {SWP_SHOWWINDOW, "SWP_SHOWWINDOW"},
                         {SWP_HIDEWINDOW, "SWP_HIDEWINDOW"}});
}

std::string NimName(DWORD message) {
    return Named(message,
                 {{NIM_ADD, "NIM_ADD"}, {NIM_MODIFY, "NIM_MODIFY"}, {NIM_DELETE, "NIM_DELETE"}});
}

std::string NifFlagsName(UINT flags) {
    return Flags(flags, {{NIF_MESSAGE, "NIF_MESSAGE"},
                         {NIF_ICON, "NIF_ICON"},
                         {NIF_TIP, "NIF_TIP"},
                         {NIF_STATE, "NIF_STATE"},
                         {NIF_INFO, "NIF_INFO"}});
}

} // namespace qv::sim
