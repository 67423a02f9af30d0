// Texts into the notification icon record's fixed fields: cut to the
// field, never inside a UTF-8 sequence, always terminated.
#pragma once

#include "platform/text.h"

#include <cstddef>
#include <cstring>
#include <string_view>

inline void CopyNotifyText(char* field, std::size_t size, std::string_view text) {
    const std::string_view cut = qv::text::CutUtf8(text, size - 1);
    std::memcpy(field, cut.data(), cut.size());
    field[cut.size()] = '\0';
}
