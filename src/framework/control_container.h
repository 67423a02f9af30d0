// COleControlContainer: the ActiveX controls of one window, each with its
// site. Owns the sites and routes their events to the window's event map.
#pragma once

#include "framework/control_site.h"

#include <memory>
#include <vector>

class CWnd;

class COleControlContainer {
public:
    explicit COleControlContainer(CWnd* wnd);
    virtual ~COleControlContainer();
    COleControlContainer(const COleControlContainer&) = delete;
    COleControlContainer& operator=(const COleControlContainer&) = delete;

    CWnd* m_pWnd;

    void AddSite(std::unique_ptr<COleControlSite> site);
    COleControlSite* FindSite(HWND hwnd) const;
    COleControlSite* FindSite(UINT id) const;

    // An event of a site's control: to the window's handler for that
    // control id and DISPID.
    virtual BOOL OnEvent(COleControlSite& site, DISPID dispid, DISPPARAMS* params);

private:
    std::vector<std::unique_ptr<COleControlSite>> m_sites;
};
