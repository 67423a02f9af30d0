// The user's default language from the locale variables.
#pragma once

#include "platform/types.h"

#include <string>
#include <string_view>

// The language of UserUiLocaleName. "C"/"POSIX" and unknown languages give
// US English (0x0409).
LANGID GetUserDefaultLangID();

namespace qv::platform {
// "de_CH.UTF-8" -> 0x0807, "fr" -> 0x040C, "nl_BE@euro" -> 0x0813 ...
LANGID LangIdFromLocaleName(std::string_view locale);
// The locale the user wants messages in, as desktop programs read it: the
// first entry of the colon list LANGUAGE whose language the resources offer
// (else its first known entry), unless the messages locale is C or POSIX;
// otherwise LC_ALL, else LC_MESSAGES, else LANG (the first one not empty);
// "C" when none is set. The whole program follows it, Qt's texts included.
// Null resources: the resource module (AfxGetResourceHandle).
std::string UserUiLocaleName(HMODULE resources = nullptr);
} // namespace qv::platform
