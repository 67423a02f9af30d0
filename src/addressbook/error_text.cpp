#include "addressbook/error_text.h"

#include "platform/module/lasterror.h"

#include <array>
#include <cstdio>
#include <utility>

namespace {

struct StatusEntry {
    DWORD code;
    const char* name;
};

constexpr DWORD E(DWORD n) {
    return 0x80040000u + n;
}
constexpr DWORD W(DWORD n) {
    return 0x00040000u + n;
}

constexpr std::array kStatusNames = {
    StatusEntry{0x80004005u, "CdoE_CALL_FAILED"},
    StatusEntry{0x8007000Eu, "CdoE_NOT_ENOUGH_MEMORY"},
    StatusEntry{0x80070057u, "CdoE_INVALID_PARAMETER"},
    StatusEntry{0x80004002u, "CdoE_INTERFACE_NOT_SUPPORTED"},
    StatusEntry{0x80070005u, "CdoE_NO_ACCESS"},
    StatusEntry{E(0x102), "CdoE_NO_SUPPORT"},
    StatusEntry{E(0x103), "CdoE_BAD_CHARWIDTH"},
    StatusEntry{E(0x105), "CdoE_STRING_TOO_LONG"},
    StatusEntry{E(0x106), "CdoE_UNKNOWN_FLAGS"},
    StatusEntry{E(0x107), "CdoE_INVALID_ENTRYID"},
    StatusEntry{E(0x108), "CdoE_INVALID_OBJECT"},
    StatusEntry{E(0x109), "CdoE_OBJECT_CHANGED"},
    StatusEntry{E(0x10A), "CdoE_OBJECT_DELETED"},
    StatusEntry{E(0x10B), "CdoE_BUSY"},
    StatusEntry{E(0x10D), "CdoE_NOT_ENOUGH_DISK"},
    StatusEntry{E(0x10E), "CdoE_NOT_ENOUGH_RESOURCES"},
    StatusEntry{E(0x10F), "CdoE_NOT_FOUND"},
    StatusEntry{E(0x110), "CdoE_VERSION"},
    StatusEntry{E(0x111), "CdoE_LOGON_FAILED"},
    StatusEntry{E(0x112), "CdoE_SESSION_LIMIT"},
    StatusEntry{E(0x113), "CdoE_USER_CANCEL"},
    StatusEntry{E(0x114), "CdoE_UNABLE_TO_ABORT"},
    StatusEntry{E(0x115), "CdoE_NETWORK_ERROR"},
    StatusEntry{E(0x116), "CdoE_DISK_ERROR"},
    StatusEntry{E(0x117), "CdoE_TOO_COMPLEX"},
    StatusEntry{E(0x118), "CdoE_BAD_COLUMN"},
    StatusEntry{E(0x119), "CdoE_EXTENDED_ERROR"},
    StatusEntry{E(0x11A), "CdoE_COMPUTED"},
    StatusEntry{E(0x11B), "CdoE_CORRUPT_DATA"},
    StatusEntry{E(0x11C), "CdoE_UNCONFIGURED"},
    StatusEntry{E(0x11D), "CdoE_FAILONEPROVIDER"},
    StatusEntry{E(0x11E), "CdoE_UNKNOWN_CPID"},
    StatusEntry{E(0x11F), "CdoE_UNKNOWN_LCID"},
    StatusEntry{E(0x120), "CdoE_PASSWORD_CHANGE_REQUIRED"},
    StatusEntry{E(0x121), "CdoE_PASSWORD_EXPIRED"},
    StatusEntry{E(0x122), "CdoE_INVALID_WORKSTATION_ACCOUNT"},
    StatusEntry{E(0x123), "CdoE_INVALID_ACCESS_TIME"},
    StatusEntry{E(0x124), "CdoE_ACCOUNT_DISABLED"},
    StatusEntry{E(0x200), "CdoE_END_OF_SESSION"},
    StatusEntry{E(0x201), "CdoE_UNKNOWN_ENTRYID"},
    StatusEntry{E(0x202), "CdoE_MISSING_REQUIRED_COLUMN"},
    StatusEntry{E(0x301), "CdoE_BAD_VALUE"},
    StatusEntry{E(0x302), "CdoE_INVALID_TYPE"},
    StatusEntry{E(0x303), "CdoE_TYPE_NO_SUPPORT"},
    StatusEntry{E(0x304), "CdoE_UNEXPECTED_TYPE"},
    StatusEntry{E(0x305), "CdoE_TOO_BIG"},
    StatusEntry{E(0x306), "CdoE_DECLINE_COPY"},
    StatusEntry{E(0x307), "CdoE_UNEXPECTED_ID"},
    StatusEntry{E(0x400), "CdoE_UNABLE_TO_COMPLETE"},
    StatusEntry{E(0x401), "CdoE_TIMEOUT"},
    StatusEntry{E(0x402), "CdoE_TABLE_EMPTY"},
    StatusEntry{E(0x403), "CdoE_TABLE_TOO_BIG"},
    StatusEntry{E(0x405), "CdoE_INVALID_BOOKMARK"},
    StatusEntry{E(0x500), "CdoE_WAIT"},
    StatusEntry{E(0x501), "CdoE_CANCEL"},
    StatusEntry{E(0x502), "CdoE_NOT_ME"},
    StatusEntry{E(0x600), "CdoE_CORRUPT_STORE"},
    StatusEntry{E(0x601), "CdoE_NOT_IN_QUEUE"},
    StatusEntry{E(0x602), "CdoE_NO_SUPPRESS"},
    StatusEntry{E(0x604), "CdoE_COLLISION"},
    StatusEntry{E(0x605), "CdoE_NOT_INITIALIZED"},
    StatusEntry{E(0x606), "CdoE_NON_STANDARD"},
    StatusEntry{E(0x607), "CdoE_NO_RECIPIENTS"},
    StatusEntry{E(0x608), "CdoE_SUBMITTED"},
    StatusEntry{E(0x609), "CdoE_HAS_FOLDERS"},
    StatusEntry{E(0x60A), "CdoE_HAS_MESSAGES"},
    StatusEntry{E(0x60B), "CdoE_FOLDER_CYCLE"},
    StatusEntry{E(0x700), "CdoE_AMBIGUOUS_RECIP"},
    StatusEntry{W(0x203), "CdoW_NO_SERVICE"},
    StatusEntry{W(0x380), "CdoW_ERRORS_RETURNED"},
    StatusEntry{W(0x481), "CdoW_POSITION_CHANGED"},
    StatusEntry{W(0x482), "CdoW_APPROX_COUNT"},
    StatusEntry{W(0x580), "CdoW_CANCEL_MESSAGE"},
    StatusEntry{W(0x680), "CdoW_PARTIAL_COMPLETION"},
};
static_assert(kStatusNames.size() == 74);

} // namespace

namespace qv::addressbook {
const char* StatusName(DWORD code) {
    for (const auto& entry : kStatusNames)
        if (entry.code == code)
            return entry.name;
    return nullptr;
}
} // namespace qv::addressbook

std::string GetErrorText(DWORD code) {
    const DWORD described = code != 0 ? code : GetLastError();
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, described, 0x0400, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) {
        text.assign(buffer, length);
    } else if (code != 0) {
        char number[32];
        std::snprintf(number, sizeof number, "Error #%x", static_cast<unsigned>(code));
        text = number;
        if (const char* name = qv::addressbook::StatusName(code)) {
            text += " (";
            text += name;
            text += ")";
        }
    }
    LocalFree(buffer);
    return text;
}
