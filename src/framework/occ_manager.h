// COccManager: makes the sites and containers for ActiveX controls. An
// application installs its own manager (AfxEnableControlContainer) to give
// every control a site of its own class.
#pragma once

#include "framework/control_container.h"
#include "framework/control_site.h"

#include <memory>

class CWnd;

class COccManager {
public:
    COccManager() = default;
    virtual ~COccManager() = default;
    COccManager(const COccManager&) = delete;
    COccManager& operator=(const COccManager&) = delete;

    virtual std::unique_ptr<COleControlSite> CreateSite(COleControlContainer* container);
    virtual std::unique_ptr<COleControlContainer> CreateContainer(CWnd* wnd);
    // Hosts the ActiveX controls that the window system made for a
    // dialog's template: a container for the dialog, a site per control.
    virtual BOOL CreateDlgControls(CWnd* dialog);
};
