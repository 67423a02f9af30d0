// The res: scheme: the program's own HTML resources (type 23) as pages, so
// res://<executable path>/readme-en.htm shows the read-me with its style
// sheet and pictures.
#pragma once

#include "platform/types.h"

#include <functional>

class QWebEngineProfile;

namespace qv::qt {

// Declares the scheme to the engine. Must run before the application object
// is made; later calls do nothing.
void RegisterResScheme();

// Finds a resource of the program by name and type: its data, or null;
// size receives its size in bytes. The program hands in its language-aware
// lookup, which the backend cannot reach itself.
using ResourceFinder = std::function<HGLOBAL(LPCSTR name, LPCSTR type, DWORD* size)>;

// Serves res: URLs in this profile from the resources find finds. The
// handler lives as long as the profile; a second call for the same profile
// does nothing.
void InstallResSchemeHandler(QWebEngineProfile* profile, ResourceFinder find);

} // namespace qv::qt
