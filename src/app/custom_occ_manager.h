// The control-container manager the program installs: every hosted control
// gets a CCustomControlSite, so the browser asks this program how to behave.
#pragma once

#include "framework/occ_manager.h"

class CCustomOccManager : public COccManager {
public:
    std::unique_ptr<COleControlSite> CreateSite(COleControlContainer* container) override;
};
