// The user's default language from the locale variables.
#pragma once

#include "platform/types.h"

#include <string_view>

// From LC_ALL, else LC_MESSAGES, else LANG (the first one set and not empty).
// "C"/"POSIX" and unknown languages give US English (0x0409).
LANGID GetUserDefaultLangID();

namespace qv::platform {
// "de_CH.UTF-8" -> 0x0807, "fr" -> 0x040C, "nl_BE@euro" -> 0x0813 ...
LANGID LangIdFromLocaleName(std::string_view locale);
} // namespace qv::platform
