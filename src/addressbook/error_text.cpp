#include "addressbook/error_text.h"

#include "platform/module/lasterror.h"
#include "platform/wab/mapi_status.h"

#include <array>
#include <cstdio>
#include <utility>

namespace {

struct StatusEntry {
    HRESULT code;
    const char* name;
};

constexpr std::array kStatusNames = {
    StatusEntry{MAPI_E_CALL_FAILED, "CdoE_CALL_FAILED"},
    StatusEntry{MAPI_E_NOT_ENOUGH_MEMORY, "CdoE_NOT_ENOUGH_MEMORY"},
    StatusEntry{MAPI_E_INVALID_PARAMETER, "CdoE_INVALID_PARAMETER"},
    StatusEntry{MAPI_E_INTERFACE_NOT_SUPPORTED, "CdoE_INTERFACE_NOT_SUPPORTED"},
    StatusEntry{MAPI_E_NO_ACCESS, "CdoE_NO_ACCESS"},
    StatusEntry{MAPI_E_NO_SUPPORT, "CdoE_NO_SUPPORT"},
    StatusEntry{MAPI_E_BAD_CHARWIDTH, "CdoE_BAD_CHARWIDTH"},
    StatusEntry{MAPI_E_STRING_TOO_LONG, "CdoE_STRING_TOO_LONG"},
    StatusEntry{MAPI_E_UNKNOWN_FLAGS, "CdoE_UNKNOWN_FLAGS"},
    StatusEntry{MAPI_E_INVALID_ENTRYID, "CdoE_INVALID_ENTRYID"},
    StatusEntry{MAPI_E_INVALID_OBJECT, "CdoE_INVALID_OBJECT"},
    StatusEntry{MAPI_E_OBJECT_CHANGED, "CdoE_OBJECT_CHANGED"},
    StatusEntry{MAPI_E_OBJECT_DELETED, "CdoE_OBJECT_DELETED"},
    StatusEntry{MAPI_E_BUSY, "CdoE_BUSY"},
    StatusEntry{MAPI_E_NOT_ENOUGH_DISK, "CdoE_NOT_ENOUGH_DISK"},
    StatusEntry{MAPI_E_NOT_ENOUGH_RESOURCES, "CdoE_NOT_ENOUGH_RESOURCES"},
    StatusEntry{MAPI_E_NOT_FOUND, "CdoE_NOT_FOUND"},
    StatusEntry{MAPI_E_VERSION, "CdoE_VERSION"},
    StatusEntry{MAPI_E_LOGON_FAILED, "CdoE_LOGON_FAILED"},
    StatusEntry{MAPI_E_SESSION_LIMIT, "CdoE_SESSION_LIMIT"},
    StatusEntry{MAPI_E_USER_CANCEL, "CdoE_USER_CANCEL"},
    StatusEntry{MAPI_E_UNABLE_TO_ABORT, "CdoE_UNABLE_TO_ABORT"},
    StatusEntry{MAPI_E_NETWORK_ERROR, "CdoE_NETWORK_ERROR"},
    StatusEntry{MAPI_E_DISK_ERROR, "CdoE_DISK_ERROR"},
    StatusEntry{MAPI_E_TOO_COMPLEX, "CdoE_TOO_COMPLEX"},
    StatusEntry{MAPI_E_BAD_COLUMN, "CdoE_BAD_COLUMN"},
    StatusEntry{MAPI_E_EXTENDED_ERROR, "CdoE_EXTENDED_ERROR"},
    StatusEntry{MAPI_E_COMPUTED, "CdoE_COMPUTED"},
    StatusEntry{MAPI_E_CORRUPT_DATA, "CdoE_CORRUPT_DATA"},
    StatusEntry{MAPI_E_UNCONFIGURED, "CdoE_UNCONFIGURED"},
    StatusEntry{MAPI_E_FAILONEPROVIDER, "CdoE_FAILONEPROVIDER"},
    StatusEntry{MAPI_E_UNKNOWN_CPID, "CdoE_UNKNOWN_CPID"},
    StatusEntry{MAPI_E_UNKNOWN_LCID, "CdoE_UNKNOWN_LCID"},
    StatusEntry{MAPI_E_PASSWORD_CHANGE_REQUIRED, "CdoE_PASSWORD_CHANGE_REQUIRED"},
    StatusEntry{MAPI_E_PASSWORD_EXPIRED, "CdoE_PASSWORD_EXPIRED"},
    StatusEntry{MAPI_E_INVALID_WORKSTATION_ACCOUNT, "CdoE_INVALID_WORKSTATION_ACCOUNT"},
    StatusEntry{MAPI_E_INVALID_ACCESS_TIME, "CdoE_INVALID_ACCESS_TIME"},
    StatusEntry{MAPI_E_ACCOUNT_DISABLED, "CdoE_ACCOUNT_DISABLED"},
    StatusEntry{MAPI_E_END_OF_SESSION, "CdoE_END_OF_SESSION"},
    StatusEntry{MAPI_E_UNKNOWN_ENTRYID, "CdoE_UNKNOWN_ENTRYID"},
    StatusEntry{MAPI_E_MISSING_REQUIRED_COLUMN, "CdoE_MISSING_REQUIRED_COLUMN"},
    StatusEntry{MAPI_E_BAD_VALUE, "CdoE_BAD_VALUE"},
    StatusEntry{MAPI_E_INVALID_TYPE, "CdoE_INVALID_TYPE"},
    StatusEntry{MAPI_E_TYPE_NO_SUPPORT, "CdoE_TYPE_NO_SUPPORT"},
    StatusEntry{MAPI_E_UNEXPECTED_TYPE, "CdoE_UNEXPECTED_TYPE"},
    StatusEntry{MAPI_E_TOO_BIG, "CdoE_TOO_BIG"},
    StatusEntry{MAPI_E_DECLINE_COPY, "CdoE_DECLINE_COPY"},
    StatusEntry{MAPI_E_UNEXPECTED_ID, "CdoE_UNEXPECTED_ID"},
    StatusEntry{MAPI_E_UNABLE_TO_COMPLETE, "CdoE_UNABLE_TO_COMPLETE"},
    StatusEntry{MAPI_E_TIMEOUT, "CdoE_TIMEOUT"},
    StatusEntry{MAPI_E_TABLE_EMPTY, "CdoE_TABLE_EMPTY"},
    StatusEntry{MAPI_E_TABLE_TOO_BIG, "CdoE_TABLE_TOO_BIG"},
    StatusEntry{MAPI_E_INVALID_BOOKMARK, "CdoE_INVALID_BOOKMARK"},
    StatusEntry{MAPI_E_WAIT, "CdoE_WAIT"},
    StatusEntry{MAPI_E_CANCEL, "CdoE_CANCEL"},
    StatusEntry{MAPI_E_NOT_ME, "CdoE_NOT_ME"},
    StatusEntry{MAPI_E_CORRUPT_STORE, "CdoE_CORRUPT_STORE"},
    StatusEntry{MAPI_E_NOT_IN_QUEUE, "CdoE_NOT_IN_QUEUE"},
    StatusEntry{MAPI_E_NO_SUPPRESS, "CdoE_NO_SUPPRESS"},
    StatusEntry{MAPI_E_COLLISION, "CdoE_COLLISION"},
    StatusEntry{MAPI_E_NOT_INITIALIZED, "CdoE_NOT_INITIALIZED"},
    StatusEntry{MAPI_E_NON_STANDARD, "CdoE_NON_STANDARD"},
    StatusEntry{MAPI_E_NO_RECIPIENTS, "CdoE_NO_RECIPIENTS"},
    StatusEntry{MAPI_E_SUBMITTED, "CdoE_SUBMITTED"},
    StatusEntry{MAPI_E_HAS_FOLDERS, "CdoE_HAS_FOLDERS"},
    StatusEntry{MAPI_E_HAS_MESSAGES, "CdoE_HAS_MESSAGES"},
    StatusEntry{MAPI_E_FOLDER_CYCLE, "CdoE_FOLDER_CYCLE"},
    StatusEntry{MAPI_E_AMBIGUOUS_RECIP, "CdoE_AMBIGUOUS_RECIP"},
    StatusEntry{MAPI_W_NO_SERVICE, "CdoW_NO_SERVICE"},
    StatusEntry{MAPI_W_ERRORS_RETURNED, "CdoW_ERRORS_RETURNED"},
    StatusEntry{MAPI_W_POSITION_CHANGED, "CdoW_POSITION_CHANGED"},
    StatusEntry{MAPI_W_APPROX_COUNT, "CdoW_APPROX_COUNT"},
    StatusEntry{MAPI_W_CANCEL_MESSAGE, "CdoW_CANCEL_MESSAGE"},
    StatusEntry{MAPI_W_PARTIAL_COMPLETION, "CdoW_PARTIAL_COMPLETION"},
};
static_assert(kStatusNames.size() == 74);

} // namespace

namespace qv::addressbook {
const char* StatusName(DWORD code) {
    for (const auto& entry : kStatusNames)
        if (static_cast<DWORD>(entry.code) == code)
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
