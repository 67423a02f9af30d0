// The res: scheme: the program's own HTML resources (type 23) as pages, so
// res://<executable path>/readme-en.htm shows the read-me with its style
// sheet and pictures.
#pragma once

class QWebEngineProfile;

namespace qv::qt {

// Declares the scheme to the engine. Must run before the application object
// is made; later calls do nothing.
void RegisterResScheme();

// Serves res: URLs in this profile. The handler lives as long as the
// profile; a second call for the same profile does nothing.
void InstallResSchemeHandler(QWebEngineProfile* profile);

} // namespace qv::qt
