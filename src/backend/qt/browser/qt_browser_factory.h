// Makes the browser control for the dialogs the window system builds: the
// object behind every control of the browser's class id, all sharing one
// browser profile for the process.
#pragma once

#include "backend/qt/browser/res_scheme_handler.h"

#include <string>
#include <vector>

namespace qv::qt {

class QtWindowSystem;

// The members of window.external that the console's pages use.
std::vector<std::string> DefaultExternalNames();

// Registers the factory with the window system. The profile lives as long as
// the factory or the last control made by it; its res: pages come from
// findResource.
void InstallQtBrowserFactory(QtWindowSystem& windows, ResourceFinder findResource,
                             std::vector<std::string> externalNames = DefaultExternalNames());

} // namespace qv::qt
