#include "framework/occ_manager.h"

#include "framework/wnd.h"

std::unique_ptr<COleControlSite> COccManager::CreateSite(COleControlContainer* container) {
    return std::make_unique<COleControlSite>(container);
}

std::unique_ptr<COleControlContainer> COccManager::CreateContainer(CWnd* wnd) {
    return std::make_unique<COleControlContainer>(wnd);
}

BOOL COccManager::CreateDlgControls(CWnd* dialog) {
    auto* ws = qv::platform::GetWindowSystem();
    if (!ws || !dialog || !dialog->m_hWnd)
        return FALSE;
    for (HWND child : ws->Tree().Descendants(dialog->m_hWnd)) {
        auto object = ws->ControlObject(child);
        if (!object)
            continue;
        if (!dialog->GetControlContainer())
            dialog->SetControlContainer(CreateContainer(dialog));
        COleControlContainer* container = dialog->GetControlContainer();
        auto site = CreateSite(container);
        if (!site)
            continue;
        // Into the container first: events may come as soon as it is attached.
        COleControlSite* raw = site.get();
        container->AddSite(std::move(site));
        raw->Attach(child, std::move(object));
    }
    return TRUE;
}
