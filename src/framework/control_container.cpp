#include "framework/control_container.h"

#include "framework/wnd.h"

COleControlContainer::COleControlContainer(CWnd* wnd) : m_pWnd(wnd) {}

COleControlContainer::~COleControlContainer() {
    // The controls let go of their sites before the sites go.
    for (auto& site : m_sites)
        site->Detach();
}

void COleControlContainer::AddSite(std::unique_ptr<COleControlSite> site) {
    if (site)
        m_sites.push_back(std::move(site));
}

COleControlSite* COleControlContainer::FindSite(HWND hwnd) const {
    for (const auto& site : m_sites) {
        if (site->m_hWnd == hwnd)
            return site.get();
    }
    return nullptr;
}

COleControlSite* COleControlContainer::FindSite(UINT id) const {
    for (const auto& site : m_sites) {
        if (site->m_nID == id)
            return site.get();
    }
    return nullptr;
}

BOOL COleControlContainer::OnEvent(COleControlSite& site, DISPID dispid, DISPPARAMS* params) {
    return m_pWnd ? m_pWnd->OnEvent(site.m_nID, dispid, params) : FALSE;
}
