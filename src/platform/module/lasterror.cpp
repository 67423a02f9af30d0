#include "platform/module/lasterror.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

struct LastError {
    DWORD code = ERROR_SUCCESS;
    // The loader's own text for a failed load, kept with the code it went with.
    DWORD textCode = ERROR_SUCCESS;
    std::string text;
};

LastError& Current() {
    thread_local LastError error;
    return error;
}

// Sentences for the system codes the program can meet. Status codes of the
// address book have no text of their own; their names come from elsewhere.
const char* SystemText(DWORD code) {
    switch (code) {
    case ERROR_SUCCESS:
        return "The operation completed successfully.";
    case ERROR_INVALID_FUNCTION:
        return "Incorrect function.";
    case ERROR_FILE_NOT_FOUND:
        return "The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND:
        return "The system cannot find the path specified.";
    case ERROR_ACCESS_DENIED:
        return "Access is denied.";
    case ERROR_INVALID_HANDLE:
        return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "Not enough memory resources are available to process this command.";
    case ERROR_INVALID_DATA:
        return "The data is invalid.";
    case ERROR_OUTOFMEMORY:
        return "Not enough memory resources are available to complete this operation.";
    case ERROR_WRITE_FAULT:
        return "The system cannot write to the specified device.";
    case ERROR_READ_FAULT:
        return "The system cannot read from the specified device.";
    case ERROR_LOCK_VIOLATION:
        return "The process cannot access the file because another process has locked a "
               "portion of the file.";
    case ERROR_NOT_SUPPORTED:
        return "The request is not supported.";
    case ERROR_INVALID_PARAMETER:
        return "The parameter is incorrect.";
    case ERROR_INSUFFICIENT_BUFFER:
        return "The data area passed to a system call is too small.";
    case ERROR_MOD_NOT_FOUND:
        return "The specified module could not be found.";
    case ERROR_PROC_NOT_FOUND:
        return "The specified procedure could not be found.";
    case ERROR_BAD_EXE_FORMAT:
        return "The file is not a valid shared library.";
    case ERROR_BAD_FILE_TYPE:
        return "The file is not a regular file.";
    case ERROR_MORE_DATA:
        return "More data is available.";
    case ERROR_NO_MORE_ITEMS:
        return "No more data is available.";
    case ERROR_BADDB:
        return "The configuration registry database is corrupt.";
    case ERROR_BADKEY:
        return "The configuration registry key is invalid.";
    case ERROR_CANTOPEN:
        return "The configuration registry key could not be opened.";
    case ERROR_CANTREAD:
        return "The configuration registry key could not be read.";
    case ERROR_CANTWRITE:
        return "The configuration registry key could not be written.";
    case ERROR_KEY_DELETED:
        return "Illegal operation attempted on a registry key that has been marked for deletion.";
    case ERROR_RESOURCE_DATA_NOT_FOUND:
        return "The specified image file did not contain a resource section.";
    case ERROR_RESOURCE_TYPE_NOT_FOUND:
        return "The specified resource type cannot be found in the image file.";
    case ERROR_RESOURCE_NAME_NOT_FOUND:
        return "The specified resource name cannot be found in the image file.";
    case ERROR_RESOURCE_LANG_NOT_FOUND:
        return "The specified resource language ID cannot be found in the image file.";
    // Generic COM codes.
    case 0x80004001u:
        return "Not implemented.";
    case 0x80004002u:
        return "No such interface supported.";
    case 0x80004003u:
        return "Invalid pointer.";
    case 0x80004005u:
        return "Unspecified error.";
    default:
        break;
    }
    // Win32 codes wrapped as HRESULTs (0x8007xxxx) read as the code itself.
    if ((code & 0xFFFF0000u) == 0x80070000u && (code & 0xFFFFu) != 0)
        return SystemText(code & 0xFFFFu);
    return nullptr;
}

} // namespace

DWORD GetLastError() {
    return Current().code;
}

void SetLastError(DWORD code) {
    LastError& error = Current();
    error.code = code;
    error.textCode = ERROR_SUCCESS;
    error.text.clear();
}

namespace qv::platform {
void SetLastErrorWithText(DWORD code, std::string text) {
    LastError& error = Current();
    error.code = code;
    error.textCode = code;
    error.text = std::move(text);
}
} // namespace qv::platform

DWORD FormatMessageA(DWORD flags, LPCVOID /*source*/, DWORD messageId, DWORD /*languageId*/,
                     LPSTR buffer, DWORD size, void* /*arguments*/) {
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text;
    const LastError& error = Current();
    if (!error.text.empty() && error.textCode == messageId && messageId != ERROR_SUCCESS)
        text = error.text;
    else if (const char* sentence = SystemText(messageId))
        text = sentence;
    else {
        SetLastError(0x13D); // ERROR_MR_MID_NOT_FOUND
        return 0;
    }
    text += "\n"; // the platform's texts end with a line break
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
        if (copy == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        std::memcpy(copy, text.c_str(), text.size() + 1);
        *reinterpret_cast<char**>(buffer) = copy;
        return static_cast<DWORD>(text.size());
    }
    if (size <= text.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

void* LocalFree(void* memory) {
    std::free(memory);
    return nullptr;
}
