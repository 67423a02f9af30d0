#include "backend/sim/sim_names.h"

#include "platform/shell/notify_icon.h"

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

} // namespace

std::string ShowCommandName(int command) {
    switch (command) {
    case SW_HIDE:
        return "SW_HIDE";
    case SW_SHOWNORMAL:
        return "SW_SHOWNORMAL";
    case SW_SHOWMINIMIZED:
        return "SW_SHOWMINIMIZED";
    case SW_MAXIMIZE:
        return "SW_MAXIMIZE";
    case SW_SHOWNOACTIVATE:
        return "SW_SHOWNOACTIVATE";
    case SW_SHOW:
        return "SW_SHOW";
    case SW_MINIMIZE:
        return "SW_MINIMIZE";
    case SW_SHOWMINNOACTIVE:
        return "SW_SHOWMINNOACTIVE";
    case SW_SHOWNA:
        return "SW_SHOWNA";
    case SW_RESTORE:
        return "SW_RESTORE";
    default:
        return std::to_string(command);
    }
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
    switch (message) {
    case NIM_ADD:
        return "NIM_ADD";
    case NIM_MODIFY:
        return "NIM_MODIFY";
    case NIM_DELETE:
        return "NIM_DELETE";
    default:
        return std::to_string(message);
    }
}

std::string NifFlagsName(UINT flags) {
    return Flags(flags, {{NIF_MESSAGE, "NIF_MESSAGE"},
                         {NIF_ICON, "NIF_ICON"},
                         {NIF_TIP, "NIF_TIP"},
                         {NIF_STATE, "NIF_STATE"},
                         {NIF_INFO, "NIF_INFO"}});
}

} // namespace qv::sim
