// The thread's last error and readable texts for error codes.
#pragma once

#include "platform/types.h"

#include <string>

DWORD GetLastError();
void SetLastError(DWORD code);

inline constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x0100;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x0200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;

// With FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer is a char** that receives a
// buffer to be freed with LocalFree. Returns the text's length, 0 when the
// platform has no text for the code.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, void* arguments);
void* LocalFree(void* memory);

namespace qv::platform {
// Records a failed dlopen: the code becomes the last error and the dlerror
// text is what FormatMessageA answers for it until the next failure.
void SetLastErrorWithText(DWORD code, std::string text);
} // namespace qv::platform
