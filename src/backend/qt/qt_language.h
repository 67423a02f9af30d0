// Qt's and the web engine's own texts (standard buttons, the page's context
// menu, the engine's error pages) in the language the program's texts are in.
#pragma once

#include "platform/types.h"

namespace qv::qt {

// Makes the user's message locale Qt's default, which the web engine takes
// for its own locale when it starts, and installs Qt's and Qt WebEngine's
// translations for it where the system has them. The program's resources
// tell which of the user's languages it has texts in. Call once the
// application object exists and before any window or web view is made.
void ApplyUserLanguage(HMODULE resources);

} // namespace qv::qt
