#include "app/custom_occ_manager.h"

#include "app/custom_control_site.h"

std::unique_ptr<COleControlSite> CCustomOccManager::CreateSite(COleControlContainer* container) {
    return std::make_unique<CCustomControlSite>(container);
}
