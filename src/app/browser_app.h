// The application object: prepares the framework, the settings and the
// command line, then runs the main window modally. Its run is the program.
#pragma once

#include "framework/win_app.h"
#include "mainwnd/cti_external.h"

#include <memory>
#include <string>

class CBrowserApp : public CWinApp {
public:
    CBrowserApp();
    ~CBrowserApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The page's external object, for the whole run.
    std::unique_ptr<CCtiExternal> m_pExternal;
};

// What the command line asks for, after the switches are taken out.
struct CommandLineRequest {
    bool addressBook = false; // "/wab"
    bool navClick = false;    // "/navclick": leave the navigation sound alone
    std::string urlFormat;    // empty: the default start URL
};

// Matching ignores case: the whole tail is lower-cased first, so a start
// URL given here is lower case too. Only each switch's first occurrence is
// taken out, wherever it stands.
CommandLineRequest ParseCommandLine(std::string tail);
